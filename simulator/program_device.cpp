#include "simulator/program_device.h"

#include "simulator/controller_model.h"

#include <charconv>

namespace simulator {
namespace {

using progsmith::Form;
using F = Form;

struct Named {
    Form form;
    std::string_view command;
};

// Instructions whose value follows the command text: "HSPD=" + value, "X" + value. All axes
// share one speed set, so every per-axis speed form is the common one.
constexpr Named kValueCommands[] = {
    {F::HSPD_Set, "HSPD="},      {F::HSPD_SetVar, "HSPD="},
    {F::HSPDX_Set, "HSPD="},     {F::HSPDX_SetVar, "HSPD="},
    {F::HSPDY_Set, "HSPD="},     {F::HSPDY_SetVar, "HSPD="},
    {F::HSPDZ_Set, "HSPD="},     {F::HSPDZ_SetVar, "HSPD="},
    {F::HSPDU_Set, "HSPD="},     {F::HSPDU_SetVar, "HSPD="},
    {F::LSPD_Set, "LSPD="},      {F::LSPD_SetVar, "LSPD="},
    {F::LSPDX_Set, "LSPD="},     {F::LSPDX_SetVar, "LSPD="},
    {F::LSPDY_Set, "LSPD="},     {F::LSPDY_SetVar, "LSPD="},
    {F::LSPDZ_Set, "LSPD="},     {F::LSPDZ_SetVar, "LSPD="},
    {F::LSPDU_Set, "LSPD="},     {F::LSPDU_SetVar, "LSPD="},
    {F::ACC_Set, "ACC="},        {F::ACC_SetVar, "ACC="},
    {F::ACCX_Set, "ACC="},       {F::ACCX_SetVar, "ACC="},
    {F::ACCY_Set, "ACC="},       {F::ACCY_SetVar, "ACC="},
    {F::ACCZ_Set, "ACC="},       {F::ACCZ_SetVar, "ACC="},
    {F::ACCU_Set, "ACC="},       {F::ACCU_SetVar, "ACC="},
    {F::DEC_Set, "DEC="},        {F::DEC_SetVar, "DEC="},
    {F::DECX_Set, "DEC="},       {F::DECX_SetVar, "DEC="},
    {F::DECY_Set, "DEC="},       {F::DECY_SetVar, "DEC="},
    {F::SSPDX_Set, "SSPD"},      {F::SSPDX_SetVar, "SSPD"},
    {F::SSPDY_Set, "SSPD"},      {F::SSPDY_SetVar, "SSPD"},
    {F::SSPDZ_Set, "SSPD"},      {F::SSPDZ_SetVar, "SSPD"},
    {F::SSPDU_Set, "SSPD"},      {F::SSPDU_SetVar, "SSPD"},
    {F::TOC_Set, "TOC="},        {F::PX_Set, "PX="},
    {F::PX_SetVar, "PX="},       {F::EX_Set, "EX="},
    {F::EX_SetVar, "EX="},       {F::MoveX, "X"},
    {F::MoveX_Var, "X"},         {F::DO_Set, "DO="},
    {F::DO_SetVar, "DO="},       {F::EO_Set, "EO="},
    {F::EO_SetVar, "EO="},       {F::EDIO_Set, "EDIO="},
    {F::DRVMS_Set, "DRVMS="},    {F::DRVIT_Set, "DRVIT="},
    {F::DRVIT_SetVar, "DRVIT="}, {F::DRVIC_Set, "DRVIC="},
    {F::DRVIC_SetVar, "DRVIC="}, {F::DRVRC_Set, "DRVRC="},
    {F::DRVRC_SetVar, "DRVRC="},
};

// Per-axis settings that the controller has for X only: selector 0 runs the command.
constexpr Named kXAxisCommands[] = {
    {F::SSPDM_Set, "SSPDM="},     {F::SSPDM_SetVar, "SSPDM="}, {F::SL_Set, "SL="},
    {F::LT_Set, "LT="},           {F::SYNCFG_Set, "SYNC="},    {F::SYNCFG_SetVar, "SYNC="},
    {F::SYNPOS_Set, "SYNP="},     {F::SYNPOS_SetVar, "SYNP="}, {F::SYNTIME_Set, "SYNT="},
    {F::SYNTIME_SetVar, "SYNT="}, {F::SCV_Set, "SCV="},        {F::SCV_SetVar, "SCV="},
};

// Instructions without a value.
constexpr Named kBareCommands[] = {
    {F::ABS, "ABS"}, {F::INC, "INC"}, {F::STORE, "STORE"}, {F::RW, "RW"}, {F::JOGX_Minus, "J-"},
};

// Quantities read with a query of their own.
constexpr Named kQueries[] = {
    {F::HSPD, "HSPD"},  {F::HSPDX, "HSPD"}, {F::HSPDY, "HSPD"}, {F::HSPDZ, "HSPD"},
    {F::HSPDU, "HSPD"}, {F::LSPD, "LSPD"},  {F::LSPDX, "LSPD"}, {F::LSPDY, "LSPD"},
    {F::LSPDZ, "LSPD"}, {F::LSPDU, "LSPD"}, {F::ACC, "ACC"},    {F::ACCX, "ACC"},
    {F::ACCY, "ACC"},   {F::ACCZ, "ACC"},   {F::ACCU, "ACC"},   {F::DEC, "DEC"},
    {F::DECX, "DEC"},   {F::DECY, "DEC"},   {F::DO, "DO"},      {F::DI, "DI"},
    {F::EO, "EO"},      {F::RWSTAT, "R4"},
};

// Quantities of one axis: the X query, or what the program's own axes hold.
enum class AxisQuantity { Position, Encoder, Speed, Status };

struct AxisRead {
    Form form;
    int axis;
    AxisQuantity quantity;
};

constexpr AxisRead kAxisReads[] = {
    {F::PX, 0, AxisQuantity::Position}, {F::PY, 1, AxisQuantity::Position},
    {F::PZ, 2, AxisQuantity::Position}, {F::PU, 3, AxisQuantity::Position},
    {F::EX, 0, AxisQuantity::Encoder},  {F::EY, 1, AxisQuantity::Encoder},
    {F::EZ, 2, AxisQuantity::Encoder},  {F::EU, 3, AxisQuantity::Encoder},
    {F::PSX, 0, AxisQuantity::Speed},   {F::PSY, 1, AxisQuantity::Speed},
    {F::PSZ, 2, AxisQuantity::Speed},   {F::PSU, 3, AxisQuantity::Speed},
    {F::MSTX, 0, AxisQuantity::Status}, {F::MSTY, 1, AxisQuantity::Status},
    {F::MSTZ, 2, AxisQuantity::Status}, {F::MSTU, 3, AxisQuantity::Status},
    {F::MIOX, 0, AxisQuantity::Status}, {F::MIOY, 1, AxisQuantity::Status},
    {F::MIOZ, 2, AxisQuantity::Status}, {F::MIOU, 3, AxisQuantity::Status},
};

// X-axis quantities whose read operand carries the axis number.
constexpr Named kXAxisQueries[] = {
    {F::SLS, "SLS"},      {F::LTS, "LTS"},     {F::LTE, "LTE"},      {F::LTP, "LTP"},
    {F::SYNSTAT, "SYNS"}, {F::SYNCFG, "SYNC"}, {F::SYNTIME, "SYNT"},
};

struct Homing {
    Form form;
    int axis;
    int direction;
    MoveKind kind;
    std::string_view command; // for X
};

constexpr Homing kHomings[] = {
    {F::HOMEX_Plus, 0, 1, MoveKind::Home, "H+"},
    {F::HOMEY_Plus, 1, 1, MoveKind::Home, ""},
    {F::HOMEZ_Plus, 2, 1, MoveKind::Home, ""},
    {F::HOMEU_Plus, 3, 1, MoveKind::Home, ""},
    {F::HOMEX_Minus, 0, -1, MoveKind::Home, "H-"},
    {F::HOMEY_Minus, 1, -1, MoveKind::Home, ""},
    {F::HOMEZ_Minus, 2, -1, MoveKind::Home, ""},
    {F::HOMEU_Minus, 3, -1, MoveKind::Home, ""},
    {F::ZHOMEX_Plus, 0, 1, MoveKind::ZHome, "ZH+"},
    {F::ZHOMEY_Plus, 1, 1, MoveKind::ZHome, ""},
    {F::ZHOMEZ_Plus, 2, 1, MoveKind::ZHome, ""},
    {F::ZHOMEU_Plus, 3, 1, MoveKind::ZHome, ""},
    {F::ZHOMEX_Minus, 0, -1, MoveKind::ZHome, "ZH-"},
    {F::ZHOMEY_Minus, 1, -1, MoveKind::ZHome, ""},
    {F::ZHOMEZ_Minus, 2, -1, MoveKind::ZHome, ""},
    {F::ZHOMEU_Minus, 3, -1, MoveKind::ZHome, ""},
    {F::ZOMEX_Plus, 0, 1, MoveKind::ZHome, "Z+"},
    {F::ZOMEY_Plus, 1, 1, MoveKind::ZHome, ""},
    {F::ZOMEZ_Plus, 2, 1, MoveKind::ZHome, ""},
    {F::ZOMEU_Plus, 3, 1, MoveKind::ZHome, ""},
    {F::ZOMEX_Minus, 0, -1, MoveKind::ZHome, "Z-"},
    {F::ZOMEY_Minus, 1, -1, MoveKind::ZHome, ""},
    {F::ZOMEZ_Minus, 2, -1, MoveKind::ZHome, ""},
    {F::ZOMEU_Minus, 3, -1, MoveKind::ZHome, ""},
    {F::LHOMEX_Plus, 0, 1, MoveKind::LimitHome, "L+"},
    {F::LHOMEY_Plus, 1, 1, MoveKind::LimitHome, ""},
    {F::LHOMEZ_Plus, 2, 1, MoveKind::LimitHome, ""},
    {F::LHOMEU_Plus, 3, 1, MoveKind::LimitHome, ""},
    {F::LHOMEX_Minus, 0, -1, MoveKind::LimitHome, "L-"},
    {F::LHOMEY_Minus, 1, -1, MoveKind::LimitHome, ""},
    {F::LHOMEZ_Minus, 2, -1, MoveKind::LimitHome, ""},
    {F::LHOMEU_Minus, 3, -1, MoveKind::LimitHome, ""},
    {F::HLHOMEX_Plus, 0, 1, MoveKind::LimitHome, "HL+"},
    {F::HLHOMEY_Plus, 1, 1, MoveKind::LimitHome, ""},
    {F::HLHOMEZ_Plus, 2, 1, MoveKind::LimitHome, ""},
    {F::HLHOMEU_Plus, 3, 1, MoveKind::LimitHome, ""},
    {F::HLHOMEX_Minus, 0, -1, MoveKind::LimitHome, "HL-"},
    {F::HLHOMEY_Minus, 1, -1, MoveKind::LimitHome, ""},
    {F::HLHOMEZ_Minus, 2, -1, MoveKind::LimitHome, ""},
    {F::HLHOMEU_Minus, 3, -1, MoveKind::LimitHome, ""},
};

// Instructions on one of the program's own axes Y, Z, U (X has commands for all of them).
struct AxisSetting {
    Form form;
    int axis;
    enum { Move, Position, Encoder } what;
};

constexpr AxisSetting kAxisSettings[] = {
    {F::MoveY, 1, AxisSetting::Move},      {F::MoveY_Var, 1, AxisSetting::Move},
    {F::MoveZ, 2, AxisSetting::Move},      {F::MoveZ_Var, 2, AxisSetting::Move},
    {F::MoveU, 3, AxisSetting::Move},      {F::MoveU_Var, 3, AxisSetting::Move},
    {F::PY_Set, 1, AxisSetting::Position}, {F::PY_SetVar, 1, AxisSetting::Position},
    {F::PZ_Set, 2, AxisSetting::Position}, {F::PZ_SetVar, 2, AxisSetting::Position},
    {F::PU_Set, 3, AxisSetting::Position}, {F::PU_SetVar, 3, AxisSetting::Position},
    {F::EY_Set, 1, AxisSetting::Encoder},  {F::EY_SetVar, 1, AxisSetting::Encoder},
    {F::EZ_Set, 2, AxisSetting::Encoder},  {F::EZ_SetVar, 2, AxisSetting::Encoder},
    {F::EU_Set, 3, AxisSetting::Encoder},  {F::EU_SetVar, 3, AxisSetting::Encoder},
};

template <class Row, size_t N> const Row* find(const Row (&rows)[N], Form form) {
    for (const Row& row : rows)
        if (row.form == form) return &row;
    return nullptr;
}

bool bitOf(int32_t word, int32_t bit) {
    return bit >= 1 && bit <= 31 && ((word >> (bit - 1)) & 1) != 0;
}

} // namespace

ControllerProgramDevice::ControllerProgramDevice(ControllerModel& controller)
    : controller_(controller) {
    const auto* model = progsmith::findModel(controller.model().code);
    axes_ = model ? model->axes : 1;
}

Axis* ControllerProgramDevice::axis(int number) {
    if (number == 0) return &controller_.axis_;
    if (number < 1 || number >= axes_ || number > 3) return nullptr;
    return &controller_.otherAxes_[size_t(number - 1)];
}

bool ControllerProgramDevice::axisBusy(int number) {
    const Axis* a = axis(number);
    return a && a->busy();
}

int32_t ControllerProgramDevice::query(std::string_view command) {
    const std::string reply = controller_.run(command);
    int32_t value = 0;
    std::from_chars(reply.data(), reply.data() + reply.size(), value);
    return value;
}

void ControllerProgramDevice::command(const std::string& text) {
    controller_.run(text);
}

int32_t ControllerProgramDevice::read(const DeviceRead& quantity) {
    const Form form = quantity.form;
    const int32_t argument = quantity.argument;
    if (const auto* row = find(kQueries, form)) return query(row->command);
    if (const auto* row = find(kXAxisQueries, form)) return argument == 0 ? query(row->command) : 0;
    if (const auto* row = find(kAxisReads, form)) {
        const Axis* a = axis(row->axis);
        if (!a) return 0;
        switch (row->quantity) {
        case AxisQuantity::Position:
            return a->position();
        case AxisQuantity::Encoder:
            return a->encoder();
        case AxisQuantity::Speed:
            return a->speed();
        case AxisQuantity::Status:
            return a->statusBits();
        }
    }
    switch (form) {
    case F::DOn:
        return bitOf(query("DO"), argument) ? 1 : 0;
    case F::DIn:
        return bitOf(query("DI"), argument) ? 1 : 0;
    case F::EOn:
        return argument == 1 ? query("EO") : 0;
    case F::AIn:
        return argument == 1 || argument == 2 ? query("AI" + std::to_string(argument)) : 0;
    case F::DN:
        return query("ID");
    default:
        return 0;
    }
}

void ControllerProgramDevice::perform(Form form, int32_t selector, int32_t value) {
    if (const auto* row = find(kValueCommands, form))
        return command(std::string(row->command) + std::to_string(value));
    if (const auto* row = find(kXAxisCommands, form)) {
        if (selector == 0) command(std::string(row->command) + std::to_string(value));
        return;
    }
    if (const auto* row = find(kBareCommands, form)) return command(std::string(row->command));
    if (performAxisInstruction(form, selector, value)) return;
    switch (form) {
    case F::DOn_Set:
    case F::DOn_SetVar:
        return command("DO" + std::to_string(selector) + "=" + std::to_string(value));
    case F::EOn_Set:
    case F::EOn_SetVar:
        if (selector == 1) command("EO=" + std::to_string(value));
        return;
    case F::SYNON:
    case F::SYNOFF:
        if (selector == 0) command(form == F::SYNON ? "SYNO" : "SYNF");
        return;
    case F::JOYENA_Set:
    case F::JOYENA_SetAlt:
    case F::JOYENA_SetVar:
        return command(value != 0 ? "JO" : "JF");
    case F::DN_Set:
    case F::DN_SetVar:
        if (value >= 1 && value <= 99)
            command("DN=" + std::string(controller_.model().nameWord) + (value < 10 ? "0" : "") +
                    std::to_string(value));
        return;
    default:
        return; // settings the simulator has no counterpart for
    }
}

// Moves, homing, jogging, stopping and clearing on any axis; false for other instructions.
bool ControllerProgramDevice::performAxisInstruction(Form form, int32_t selector, int32_t value) {
    if (const auto* row = find(kHomings, form)) {
        if (row->axis == 0)
            command(std::string(row->command));
        else if (Axis* a = axis(row->axis))
            a->home(row->direction, row->kind);
        return true;
    }
    if (const auto* row = find(kAxisSettings, form)) {
        Axis* a = axis(row->axis);
        if (!a) return true;
        if (row->what == AxisSetting::Move)
            a->moveTo(controller_.incremental_ ? int64_t(a->position()) + value : value);
        else if (row->what == AxisSetting::Position)
            a->setPosition(value);
        else
            a->setEncoder(value);
        return true;
    }
    switch (form) {
    case F::JOG:
        if (selector == 0) {
            command(axes_ > 1 && value != 1 ? "J-" : "J+");
        } else if (Axis* a = axis(selector)) {
            a->jog(value == 1 ? 1 : -1);
        }
        return true;
    case F::STOP:
    case F::ABORT:
        stopAxes(selector, form == F::ABORT);
        return true;
    case F::ECLEAR:
        if (selector == 0)
            command("CLR");
        else if (Axis* a = axis(selector))
            a->clearErrors();
        return true;
    default:
        return false;
    }
}

void ControllerProgramDevice::stopAxes(int32_t selector, bool abort) {
    for (int number = 0; number < 4; ++number) {
        if (selector != 255 && selector != number) continue;
        if (number == 0) {
            command(abort ? "ABORT" : "STOP");
        } else if (Axis* a = axis(number)) {
            abort ? a->abort() : a->stop();
        }
    }
}

} // namespace simulator
