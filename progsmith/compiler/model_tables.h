#pragma once
// The thirteen controller models and their instruction codes.
//
// How to use these tables (the assembler and the decompiler both read them):
//
//   const ModelInfo* model = findModel("KT-210");    // exact, case-sensitive; nullptr if unknown
//   model->group, model->axes, model->varMin..varMax,
//   model->controller->pageLines (the suite's table of controller models)
//   isVarInRange(model, 5)                           // false for every number when model is null
//
//   Every instruction in every form has a name in the enum `Form` (`Form::HSPD` is the read
//   code, `Form::HSPD_Set` the "HSPD=<op>" code, `Form::HSPD_SetVar` the "HSPD=V<op>" code).
//   codeOf(model, Form::HSPD_Set)   -> 84, or -1 when the model lacks the form (or model is null)
//   formInfo(Form::LT_Set).name     -> "LT<a>=",  .kind -> FormKind::Set,
//                                      .packing -> Packing::AxisOnMultiAxis
//   formsWithCode(model, 63)        -> every form of that model with code 63, in enum order
//                                      (codes can repeat within a model: KT-230 has 63 for
//                                      "EO<n>=" and "CPAR2=")
//
//   Each model's constexpr table (kCodesQB450 ... in model_tables.cpp) is the only place its
//   codes are written.

#include "common/controller_models.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace progsmith {

enum class Group { None, Q2, Q4, Q4C, K1, K1B };

// Instruction forms. Read forms stand for a value read at run time (device-quantity operand
// lines); the others are instruction lines. Per-axis families with one code for all axes carry
// the axis in the operand (see Packing).
enum class Form : uint16_t {
    // Motion parameters: read, =<op>, =V<op>
    HSPD,
    HSPD_Set,
    HSPD_SetVar,
    LSPD,
    LSPD_Set,
    LSPD_SetVar,
    ACC,
    ACC_Set,
    ACC_SetVar,
    DEC,
    DEC_Set,
    DEC_SetVar,
    HSPDX,
    HSPDX_Set,
    HSPDX_SetVar,
    HSPDY,
    HSPDY_Set,
    HSPDY_SetVar,
    HSPDZ,
    HSPDZ_Set,
    HSPDZ_SetVar,
    HSPDU,
    HSPDU_Set,
    HSPDU_SetVar,
    LSPDX,
    LSPDX_Set,
    LSPDX_SetVar,
    LSPDY,
    LSPDY_Set,
    LSPDY_SetVar,
    LSPDZ,
    LSPDZ_Set,
    LSPDZ_SetVar,
    LSPDU,
    LSPDU_Set,
    LSPDU_SetVar,
    ACCX,
    ACCX_Set,
    ACCX_SetVar,
    ACCY,
    ACCY_Set,
    ACCY_SetVar,
    ACCZ,
    ACCZ_Set,
    ACCZ_SetVar,
    ACCU,
    ACCU_Set,
    ACCU_SetVar,
    DECX,
    DECX_Set,
    DECX_SetVar,
    DECY,
    DECY_Set,
    DECY_SetVar,
    SSPDX_Set,
    SSPDX_SetVar,
    SSPDY_Set,
    SSPDY_SetVar,
    SSPDZ_Set,
    SSPDZ_SetVar,
    SSPDU_Set,
    SSPDU_SetVar,
    SSPDM_Set,
    SSPDM_SetVar,
    TPE,
    TPE_Set,
    TPE_SetVar,
    TPO,
    TPO_Set,
    TPO_SetVar,
    TPI,
    TPI_Set,
    TPI_SetVar,
    TOC_Set,

    // Positions, encoders and moves
    PX,
    PX_Set,
    PX_SetVar,
    PY,
    PY_Set,
    PY_SetVar,
    PZ,
    PZ_Set,
    PZ_SetVar,
    PU,
    PU_Set,
    PU_SetVar,
    EX,
    EX_Set,
    EX_SetVar,
    EY,
    EY_Set,
    EY_SetVar,
    EZ,
    EZ_Set,
    EZ_SetVar,
    EU,
    EU_Set,
    EU_SetVar,
    PSX,
    PSY,
    PSZ,
    PSU,
    MoveX,
    MoveX_Var,
    MoveY,
    MoveY_Var,
    MoveZ,
    MoveZ_Var,
    MoveU,
    MoveU_Var,
    CoordinatedMove,
    TargetX,
    TargetY,
    TargetZ,
    TargetU,
    TargetX_Var,
    TargetY_Var,
    TargetZ_Var,
    TargetU_Var,
    ARC,
    CIR,
    ArcOperand1,
    ArcOperand2,
    ArcOperand3,
    ArcOperand1_Var,
    ArcOperand2_Var,
    ArcOperand3_Var,
    JOG,
    JOGX_Minus,
    ABS,
    INC,
    STOP,
    ABORT,
    ECLEAR,
    STORE,

    // Homing, one code per axis and direction
    HOMEX_Plus,
    HOMEY_Plus,
    HOMEZ_Plus,
    HOMEU_Plus,
    HOMEX_Minus,
    HOMEY_Minus,
    HOMEZ_Minus,
    HOMEU_Minus,
    ZHOMEX_Plus,
    ZHOMEY_Plus,
    ZHOMEZ_Plus,
    ZHOMEU_Plus,
    ZHOMEX_Minus,
    ZHOMEY_Minus,
    ZHOMEZ_Minus,
    ZHOMEU_Minus,
    ZOMEX_Plus,
    ZOMEY_Plus,
    ZOMEZ_Plus,
    ZOMEU_Plus,
    ZOMEX_Minus,
    ZOMEY_Minus,
    ZOMEZ_Minus,
    ZOMEU_Minus,
    LHOMEX_Plus,
    LHOMEY_Plus,
    LHOMEZ_Plus,
    LHOMEU_Plus,
    LHOMEX_Minus,
    LHOMEY_Minus,
    LHOMEZ_Minus,
    LHOMEU_Minus,
    HLHOMEX_Plus,
    HLHOMEY_Plus,
    HLHOMEZ_Plus,
    HLHOMEU_Plus,
    HLHOMEX_Minus,
    HLHOMEY_Minus,
    HLHOMEZ_Minus,
    HLHOMEU_Minus,

    // Inputs, outputs and status
    DO,
    DOn,
    DO_Set,
    DO_SetVar,
    DOn_Set,
    DOn_SetVar,
    DI,
    DIn,
    EO,
    EOn,
    EO_Set,
    EO_SetVar,
    EOn_Set,
    EOn_SetVar,
    AIn,
    MSTX,
    MSTY,
    MSTZ,
    MSTU,
    MIOX,
    MIOY,
    MIOZ,
    MIOU,
    EDIO_Set,
    DN,
    DN_Set,
    DN_SetVar,
    RW,
    RWSTAT,
    TR,
    SRn_Set,
    SL_Set,
    SLS,

    // Latch, synchronisation and scan
    LT_Set,
    LTS,
    LTE,
    LTP,
    SYNON,
    SYNOFF,
    SYNCFG_Set,
    SYNCFG_SetVar,
    SYNPOS_Set,
    SYNPOS_SetVar,
    SYNTIME_Set,
    SYNTIME_SetVar,
    SYNSTAT,
    SYNCFG,
    SYNTIME,
    SCV_Set,
    SCV_SetVar,

    // Joystick
    JOYENA_Set,
    JOYENA_SetAlt,
    JOYENA_SetVar,
    JOYHS_Set,
    JOYHS_SetVar,
    JOYDEL_Set,
    JOYDEL_SetVar,
    JOYTOL_Set,
    JOYTOL_SetVar,
    JOYNO_Set,
    JOYNO_SetVar,
    JOYNI_Set,
    JOYNI_SetVar,
    JOYPI_Set,
    JOYPI_SetVar,
    JOYPO_Set,
    JOYPO_SetVar,

    // Driver settings
    DRVMS_Set,
    DRVIT_Set,
    DRVIC_Set,
    DRVRC_Set,
    DRVIT_SetVar,
    DRVIC_SetVar,
    DRVRC_SetVar,
    BDT_Set,
    APAR1_Set,
    APAR2_Set,
    APAR3_Set,
    APAR4_Set,
    APAR5_Set,
    APAR6_Set,
    APAR7_Set,
    KPAR1_Set,
    KPAR2_Set,
    KPAR3_Set,
    KPAR4_Set,
    KPAR5_Set,
    KPAR6_Set,
    KPAR7_Set,
    CPAR1_Set,
    CPAR2_Set,
    CPAR3_Set,
    CPAR4_Set,
    CPAR5_Set,
    CPAR6_Set,
    CPAR7_Set,
    CPAR8_Set,

    Count
};

inline constexpr size_t kFormCount = static_cast<size_t>(Form::Count);

enum class FormKind : uint8_t {
    Read,      // device-quantity operand line
    Set,       // "=<op>": the operand is the value
    SetVar,    // "=V<op>": the operand is the variable number
    Command,   // no value: the operand is 0, a selector or an axis mask
    Target,    // operand line of a move or an arc, constant value
    TargetVar, // the same, variable number
};

enum class Packing : uint8_t {
    None,            // plain operand
    AxisOnMultiAxis, // value * 256 + axis on multi-axis models, the plain value on single-axis
    AxisNumber,      // the operand is the axis number (0 X .. 3 U), SYNON / SYNOFF / ECLEAR
    AllAxesOrAxis,   // 255 for all axes, else the axis number (STOP, ABORT)
    Jog,             // multi-axis: direction (1 "+", 0 "-") * 256 + axis; single-axis: 0
    Bit,             // value * 256 + bit number (DO<n>=, EO<n>=), on every model
    Thread,          // value * 256 + program number (SR<n>=), on every model
    Channel,         // read operand carries the bit or channel number (DO<n>, DI<n>, AI<n>)
    AxisArgument,    // read operand carries the axis number (MST<a>, SLS<a>, SYNSTAT<a> ...)
};

struct FormInfo {
    Form form;
    std::string_view name; // program-text shape; <a> axis letter, <n> number
    FormKind kind;
    Packing packing = Packing::None;
};

struct FormCode {
    Form form;
    int16_t code;
};

using CodeTable = std::array<int16_t, kFormCount>; // -1: the model lacks the form

struct ModelInfo {
    std::string_view name;
    const common::ControllerModel* controller; // page size, USB key, slot count
    Group group;
    int axes;   // 1 X; 2 X Y; 4 X Y Z U
    int varMin; // variable numbers V<varMin> .. V<varMax> are accepted
    int varMax;
    int slSelectorOffset; // SL numbers its axes from this selector (1 on two models)
    std::span<const FormCode> codes;
    const CodeTable* table;
};

const FormInfo& formInfo(Form form);
const ModelInfo* findModel(std::string_view name);
std::span<const ModelInfo> allModels();

int codeOf(const ModelInfo* model, Form form);
std::vector<Form> formsWithCode(const ModelInfo* model, int code);
bool isVarInRange(const ModelInfo* model, int64_t number);
bool isMultiAxis(const ModelInfo* model);

// "HSPDX=" -> Form::HSPDX_Set. Only forms whose name is a literal program text match (names with
// <a> or <n> placeholders never do); nullopt otherwise.
std::optional<Form> formByName(std::string_view name);

} // namespace progsmith
