#include "progsmith/compiler/decompiler.h"

#include "common/bits.h"
#include "common/numbers.h"
#include "progsmith/compiler/compiled_line.h"

namespace progsmith {

namespace {

// ---------------------------------------------------------------------------------------------
// How an instruction line is spelled. The words come from the form names of the model tables
// ("LT<a>=", "SR<n>=", "X<op>"); the rows below only say how the placeholders are filled.

enum class Shape : uint8_t {
    Plain,          // the name, then the operand text as it stands
    Packed,         // <a> from the selector and a value from the operand, or the X form
    SlPacked,       // as Packed, but the selectors count from the model's SL offset
    AllAxesOrAxis,  // selector 255: the name alone, else <a> from the selector
    Numbered,       // <n> from the selector, then the value
    AxisOnly,       // <a> from the selector
    AxisOrX,        // <a> from the selector when packed, else X
    Jog,            // <a> from the selector and the direction from the byte value
    Arc,            // ARCP/ARCN a:b:c
    Circle,         // CIRP/CIRN a:b
    CoordinatedMove // target lines before it
};

enum class When : uint8_t { Always, NotK1, Q4, Q4OrQ2, MultiAxis };

// The value of a packed operand is everything above the selector byte (operand >> 8). Taking
// only the next byte would turn SSPDMY=1000 into SSPDMY=232 and LTX=-1 into LTX=255; the
// whole value gives back exactly what was packed. Sync positions and joystick settings round
// operand / 256 instead, which is the same for every selector an axis can have.
enum class Value : uint8_t { None, Rounded, Shifted };

struct InstructionRule {
    Form form;
    Shape shape = Shape::Plain;
    When packedWhen = When::Always;
    Value value = Value::None;
};

using F = Form;
using S = Shape;
using W = When;
using V = Value;

// The order of comparison: the first rule whose code equals the line's code decides, which
// matters where a model gives two forms the same code (KT-230's CPAR1= and EO<n> read).
// clang-format off
constexpr InstructionRule kInstructionRules[] = {
    {F::HSPD_Set}, {F::LSPD_Set}, {F::ACC_Set}, {F::HSPD_SetVar}, {F::LSPD_SetVar},
    {F::ACC_SetVar}, {F::RW}, {F::BDT_Set}, {F::APAR1_Set}, {F::APAR2_Set}, {F::APAR3_Set},
    {F::APAR4_Set}, {F::APAR5_Set}, {F::APAR6_Set}, {F::APAR7_Set}, {F::KPAR1_Set},
    {F::KPAR2_Set}, {F::KPAR3_Set}, {F::KPAR4_Set}, {F::KPAR5_Set}, {F::KPAR6_Set},
    {F::KPAR7_Set}, {F::CPAR1_Set}, {F::CPAR2_Set}, {F::CPAR3_Set}, {F::CPAR4_Set},
    {F::CPAR5_Set}, {F::CPAR6_Set}, {F::CPAR7_Set}, {F::CPAR8_Set}, {F::TPE_Set}, {F::TPI_Set},
    {F::TPO_Set}, {F::TPE_SetVar}, {F::TPI_SetVar}, {F::TPO_SetVar}, {F::TOC_Set},
    {F::HSPDX_Set}, {F::LSPDX_Set}, {F::ACCX_Set}, {F::HSPDX_SetVar}, {F::LSPDX_SetVar},
    {F::ACCX_SetVar}, {F::HSPDY_Set}, {F::LSPDY_Set}, {F::ACCY_Set}, {F::HSPDY_SetVar},
    {F::LSPDY_SetVar}, {F::ACCY_SetVar}, {F::HSPDZ_Set}, {F::LSPDZ_Set}, {F::ACCZ_Set},
    {F::HSPDZ_SetVar}, {F::LSPDZ_SetVar}, {F::ACCZ_SetVar}, {F::HSPDU_Set}, {F::LSPDU_Set},
    {F::ACCU_Set}, {F::HSPDU_SetVar}, {F::LSPDU_SetVar}, {F::ACCU_SetVar}, {F::SSPDX_Set},
    {F::SSPDX_SetVar}, {F::SSPDY_Set}, {F::SSPDY_SetVar}, {F::SSPDZ_Set}, {F::SSPDZ_SetVar},
    {F::SSPDU_Set}, {F::SSPDU_SetVar}, {F::DEC_Set}, {F::DECX_Set}, {F::DECY_Set},
    {F::DEC_SetVar}, {F::DECX_SetVar}, {F::DECY_SetVar},
    {F::LT_Set, S::Packed, W::NotK1, V::Shifted},
    {F::SYNON, S::AxisOrX, W::Q4}, {F::SYNOFF, S::AxisOrX, W::Q4},
    {F::SYNCFG_Set, S::Packed, W::Q4, V::Shifted},
    {F::SYNCFG_SetVar, S::Packed, W::Q4, V::Shifted},
    {F::SYNPOS_Set, S::Packed, W::Q4, V::Rounded},
    {F::SYNPOS_SetVar, S::Packed, W::Q4, V::Shifted},
    {F::SYNTIME_Set, S::Packed, W::Q4, V::Shifted},
    {F::SYNTIME_SetVar, S::Packed, W::Q4, V::Shifted},
    {F::SSPDM_SetVar, S::Packed, W::Q4OrQ2, V::Shifted},
    {F::SSPDM_Set, S::Packed, W::Q4OrQ2, V::Shifted},
    {F::DRVMS_Set}, {F::DRVIT_Set}, {F::DRVIC_Set}, {F::DRVRC_Set}, {F::DRVIT_SetVar},
    {F::DRVIC_SetVar}, {F::DRVRC_SetVar}, {F::EDIO_Set},
    {F::SL_Set, S::SlPacked, W::Q4OrQ2, V::Shifted},
    {F::ABORT, S::AllAxesOrAxis}, {F::STOP, S::AllAxesOrAxis}, {F::SRn_Set, S::Numbered},
    {F::MoveX}, {F::MoveY}, {F::MoveZ}, {F::MoveU}, {F::MoveX_Var}, {F::MoveY_Var},
    {F::MoveZ_Var}, {F::MoveU_Var}, {F::DO_Set}, {F::DOn_Set, S::Numbered}, {F::DO_SetVar},
    {F::DOn_SetVar, S::Numbered}, {F::DN_Set}, {F::DN_SetVar}, {F::EO_Set},
    {F::EOn_Set, S::Numbered}, {F::EO_SetVar}, {F::EOn_SetVar, S::Numbered}, {F::JOYENA_Set},
    {F::JOYENA_SetAlt}, {F::JOYENA_SetVar},
    {F::JOYHS_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYHS_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::JOYDEL_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYDEL_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::JOYTOL_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYTOL_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::JOYNO_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYNO_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::JOYNI_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYNI_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::JOYPI_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYPI_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::JOYPO_Set, S::Packed, W::NotK1, V::Rounded},
    {F::JOYPO_SetVar, S::Packed, W::NotK1, V::Rounded},
    {F::SCV_Set, S::Packed, W::NotK1, V::Shifted},
    {F::SCV_SetVar, S::Packed, W::NotK1, V::Shifted},
    {F::PX_Set}, {F::PY_Set}, {F::PZ_Set}, {F::PU_Set}, {F::EX_Set}, {F::EY_Set}, {F::EZ_Set},
    {F::EU_Set}, {F::PX_SetVar}, {F::PY_SetVar}, {F::PZ_SetVar}, {F::PU_SetVar}, {F::EX_SetVar},
    {F::EY_SetVar}, {F::EZ_SetVar}, {F::EU_SetVar}, {F::LHOMEX_Plus}, {F::LHOMEX_Minus},
    {F::LHOMEY_Plus}, {F::LHOMEY_Minus}, {F::LHOMEZ_Plus}, {F::LHOMEZ_Minus}, {F::LHOMEU_Plus},
    {F::LHOMEU_Minus}, {F::HLHOMEX_Plus}, {F::HLHOMEX_Minus}, {F::HLHOMEY_Plus},
    {F::HLHOMEY_Minus}, {F::HLHOMEZ_Plus}, {F::HLHOMEZ_Minus}, {F::HLHOMEU_Plus},
    {F::HLHOMEU_Minus}, {F::HOMEX_Plus}, {F::HOMEY_Plus}, {F::HOMEZ_Plus}, {F::HOMEU_Plus},
    {F::ZHOMEX_Plus}, {F::ZHOMEY_Plus}, {F::ZHOMEZ_Plus}, {F::ZHOMEU_Plus}, {F::ZOMEX_Plus},
    {F::ZOMEY_Plus}, {F::ZOMEZ_Plus}, {F::ZOMEU_Plus}, {F::HOMEX_Minus}, {F::HOMEY_Minus},
    {F::HOMEZ_Minus}, {F::HOMEU_Minus}, {F::ZHOMEX_Minus}, {F::ZHOMEY_Minus}, {F::ZHOMEZ_Minus},
    {F::ZHOMEU_Minus}, {F::ZOMEX_Minus}, {F::ZOMEY_Minus}, {F::ZOMEZ_Minus}, {F::ZOMEU_Minus},
    // Every multi-axis model packs the axis and direction of JOG; only the single-axis ones
    // have a plain JOGX+ (and JOGX- of its own code).
    {F::JOG, S::Jog, W::MultiAxis}, {F::JOGX_Minus}, {F::ABS}, {F::INC}, {F::STORE},
    {F::ECLEAR, S::AxisOnly}, {F::ARC, S::Arc}, {F::CIR, S::Circle},
    {F::CoordinatedMove, S::CoordinatedMove},
};
// clang-format on

// ---------------------------------------------------------------------------------------------
// Device quantities in operand lines.

enum class Operand : uint8_t {
    Name,         // the name alone
    WithArgument, // <n> from the argument text as it stands
    AxisArgument, // <a> from the argument: X..U for "0".."3", the argument itself otherwise
    AxisOnQ4,     // as AxisArgument on the four-axis models, X elsewhere
};

struct OperandRule {
    Form form;
    Operand shape = Operand::Name;
};

// clang-format off
constexpr OperandRule kOperandRules[] = {
    {F::DO}, {F::DOn, Operand::WithArgument}, {F::DI}, {F::DIn, Operand::WithArgument},
    {F::RWSTAT}, {F::DN}, {F::AIn, Operand::WithArgument}, {F::TR},
    {F::SYNSTAT, Operand::AxisOnQ4}, {F::EX}, {F::EY}, {F::EZ}, {F::EU}, {F::PX}, {F::PY},
    {F::PZ}, {F::PU}, {F::PSX}, {F::PSY}, {F::PSZ}, {F::PSU}, {F::HSPD}, {F::LSPD}, {F::ACC},
    {F::DEC}, {F::DECX}, {F::DECY}, {F::TPE}, {F::TPO}, {F::TPI}, {F::HSPDX}, {F::LSPDX},
    {F::ACCX}, {F::HSPDY}, {F::LSPDY}, {F::ACCY}, {F::HSPDZ}, {F::LSPDZ}, {F::ACCZ}, {F::HSPDU},
    {F::LSPDU}, {F::ACCU}, {F::MIOX}, {F::MIOY}, {F::MIOZ}, {F::MIOU}, {F::MSTX}, {F::MSTY},
    {F::MSTZ}, {F::MSTU}, {F::SLS, Operand::AxisArgument}, {F::LTS, Operand::AxisArgument},
    {F::LTE, Operand::AxisArgument}, {F::LTP, Operand::AxisArgument}, {F::EO},
    {F::EOn, Operand::WithArgument},
    // Last, so that they only ever add a name where there would be none: without them
    // "V1=SYNCFGX" would come back as "V1=" and lose its source.
    {F::SYNCFG, Operand::AxisOnQ4}, {F::SYNTIME, Operand::AxisOnQ4},
};
// clang-format on

// ---------------------------------------------------------------------------------------------

// Mid$-style substring: `count` characters from 1-based `start`, clipped to the text.
std::string_view mid(std::string_view text, size_t start, size_t count = std::string_view::npos) {
    if (start - 1 >= text.size()) return {};
    return text.substr(start - 1, count);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string axisText(int32_t selector) {
    static constexpr char kAxes[] = {'X', 'Y', 'Z', 'U'};
    if (selector >= 0 && selector <= 3) return std::string(1, kAxes[selector]);
    return std::to_string(selector);
}

std::string axisTextOfArgument(std::string_view argument) {
    if (argument.size() == 1 && argument[0] >= '0' && argument[0] <= '3')
        return axisText(argument[0] - '0');
    return std::string(argument);
}

// Fills a form name: "<a>"/"<n>" with `placeholder`; the value goes where "<op>" stands, or
// at the end.
std::string spell(std::string_view name, std::string_view placeholder, std::string_view value) {
    std::string text;
    bool valuePlaced = false;
    for (size_t i = 0; i < name.size();) {
        if (startsWith(name.substr(i), "<a>") || startsWith(name.substr(i), "<n>")) {
            text += placeholder;
            i += 3;
        } else if (startsWith(name.substr(i), "<op>")) {
            text += value;
            valuePlaced = true;
            i += 4;
        } else {
            text += name[i++];
        }
    }
    if (!valuePlaced) text += value;
    return text;
}

bool holds(When when, const ModelInfo* model) {
    const Group group = model ? model->group : Group::None;
    switch (when) {
    case When::Always:
        return true;
    case When::NotK1:
        return group != Group::K1;
    case When::Q4:
        return group == Group::Q4;
    case When::Q4OrQ2:
        return group == Group::Q4 || group == Group::Q2;
    case When::MultiAxis:
        return isMultiAxis(model);
    }
    return false;
}

std::string valueText(Value value, int32_t operand) {
    switch (value) {
    case Value::None:
        return {};
    case Value::Rounded:
        return std::to_string(common::roundHalfEven(operand, 256));
    case Value::Shifted:
        return std::to_string(common::shiftedValueOf(operand));
    }
    return {};
}

// SL counts its selectors from the model's offset (1 = X on the two-axis models).
std::string slAxisText(const ModelInfo* model, int32_t selector) {
    const int axis = selector - model->slSelectorOffset;
    if (model->slSelectorOffset > 0 && (axis < 0 || axis >= model->axes))
        return std::to_string(selector);
    return axisText(axis);
}

} // namespace

// ---------------------------------------------------------------------------------------------

std::string DecodeComparison(std::string_view digit) {
    static constexpr std::string_view kComparisons[] = {">", "<", "=", ">=", "<=", "!="};
    if (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '6')
        return std::string(kComparisons[digit[0] - '1']);
    return "?";
}

std::string DecodeOperator(std::string_view digits) {
    static constexpr std::string_view kOperators[] = {"+",  "-",  "*", "/", "%",
                                                      ">>", "<<", "&", "|", "~"};
    if (digits == "10") return std::string(kOperators[9]);
    if (digits.size() == 1 && digits[0] >= '1' && digits[0] <= '9')
        return std::string(kOperators[digits[0] - '1']);
    return "?";
}

Decompiler::Decompiler(const ModelInfo* model) : model_(model) {
    instructionByCode_.fill(kNoRule);
    operandByCode_.fill(kNoRule);
    for (size_t r = 0; r < std::size(kInstructionRules); ++r) {
        const int code = codeOf(model_, kInstructionRules[r].form);
        if (code >= 0 && code <= 255 && instructionByCode_[code] == kNoRule)
            instructionByCode_[code] = static_cast<int16_t>(r);
    }
    for (size_t r = 0; r < std::size(kOperandRules); ++r) {
        const int code = codeOf(model_, kOperandRules[r].form);
        if (code >= 0 && code <= 255 && operandByCode_[code] == kNoRule)
            operandByCode_[code] = static_cast<int16_t>(r);
    }
}

std::string Decompiler::DecompileProgram(const std::vector<std::string>& lines) const {
    std::string out;
    out.reserve(lines.size() * 12);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i][0] == '&')
            decodeInstruction(lines, i, out);
        else
            decodeStatement(lines, i, out);
    }
    return out;
}

namespace {

// Operand positions before the first line read as an empty line.
std::string_view lineBefore(const std::vector<std::string>& lines, size_t i, size_t distance) {
    return i >= distance ? std::string_view(lines[i - distance]) : std::string_view{};
}

void emit(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

} // namespace

std::string Decompiler::conditionText(const std::vector<std::string>& lines, size_t i) const {
    return DecodeOperand(lineBefore(lines, i, 2)) + " " + DecodeComparison(mid(lines[i], 3, 1)) +
           " " + DecodeOperand(lineBefore(lines, i, 1));
}

void Decompiler::decodeStatement(const std::vector<std::string>& lines, size_t i,
                                 std::string& out) const {
    const std::string_view line = lines[i];
    static constexpr std::pair<std::string_view, std::string_view> kWholeLines[] = {
        {"XX", "END"},    {"RP0", "REPEAT"}, {"WX0", "WAITX"},
        {"WY0", "WAITY"}, {"WZ0", "WAITZ"},  {"WU0", "WAITU"},
    };
    for (const auto& [compiled, text] : kWholeLines) {
        if (line == compiled) return emit(out, text);
    }
    const std::string_view prefix = line.substr(0, 2);
    const std::string_view rest = mid(line, 3);
    if (prefix == "AM") {
        emit(out,
             DecodeOperand(lineBefore(lines, i, 1)) + "=" + DecodeOperand(lineBefore(lines, i, 2)));
    } else if (prefix == "JW") {
        emit(out, "WHILE " + conditionText(lines, i));
    } else if (prefix == "DD") {
        emit(out, "DELAY=" + std::string(rest));
    } else if (prefix == "TR" && mid(line, 3, 3) != "0") {
        emit(out, "TR=" + std::string(rest));
    } else if (prefix == "GS") {
        emit(out, "GOSUB " + std::string(rest));
    } else if (prefix == "SS") {
        emit(out, kBlockSeparator);
        emit(out, "SUB " + std::string(rest));
    } else if (prefix == "PS") {
        emit(out, kBlockSeparator);
        emit(out, "PRG " + std::string(rest));
    } else if (prefix == "SE") {
        emit(out, "ENDSUB ");
    } else if (prefix == "JU") {
        emit(out, "LOOPWHILE " + conditionText(lines, i));
    } else if (prefix == "JI") {
        emit(out, "IF " + conditionText(lines, i));
    } else if (prefix == "JE") {
        emit(out, "ELSEIF " + conditionText(lines, i));
    } else if (prefix == "JO") {
        emit(out, "ELSE");
    } else if (prefix == "OX") {
        const std::string destination = DecodeOperand(lineBefore(lines, i, 1));
        const std::string left = DecodeOperand(lineBefore(lines, i, 2));
        const std::string right = DecodeOperand(lineBefore(lines, i, 3));
        const std::string op = DecodeOperator(mid(line, 3, 2));
        if (op == "~")
            emit(out, destination + "=~" + left);
        else
            emit(out, destination + "=" + left + op + right);
    } else if (prefix == "JM") {
        emit(out, "ENDWHILE ");
    } else if (prefix == "EI") {
        emit(out, "ENDIF ");
    }
    // Operand lines, JR jumps, TR0 and unknown lines stand for no text.
}

void Decompiler::decodeInstruction(const std::vector<std::string>& lines, size_t i,
                                   std::string& out) const {
    const CompiledLine device = readCompiledLine(lines[i]);
    const int code = device.code;
    if (code < 0 || instructionByCode_[code] == kNoRule) return;
    const InstructionRule& rule = kInstructionRules[instructionByCode_[code]];
    const std::string_view name = formInfo(rule.form).name;
    const std::string_view op = device.operand;
    const int32_t operand = common::leadingInteger(op);
    const int32_t selector = common::selectorOf(operand);
    const bool packed = holds(rule.packedWhen, model_);

    switch (rule.shape) {
    case Shape::Plain:
        return emit(out, spell(name, "", formInfo(rule.form).kind == FormKind::Command ? "" : op));
    case Shape::Packed:
        if (packed)
            return emit(out, spell(name, axisText(selector), valueText(rule.value, operand)));
        return emit(out, spell(name, "X", op));
    case Shape::SlPacked:
        if (packed)
            return emit(out,
                        spell(name, slAxisText(model_, selector), valueText(rule.value, operand)));
        return emit(out, spell(name, "X", op));
    case Shape::AllAxesOrAxis:
        return emit(out, spell(name, selector == 255 ? std::string() : axisText(selector), ""));
    case Shape::Numbered:
        return emit(out, spell(name, std::to_string(selector), valueText(Value::Shifted, operand)));
    case Shape::AxisOnly:
        return emit(out, spell(name, axisText(selector), ""));
    case Shape::AxisOrX:
        return emit(out, spell(name, packed ? axisText(selector) : "X", ""));
    case Shape::Jog:
        if (!packed) return emit(out, spell(name, "X", "+"));
        return emit(out,
                    spell(name, axisText(selector), common::byteValueOf(operand) == 1 ? "+" : "-"));
    case Shape::Arc:
        return emit(out, std::string(operand != 0 ? "ARCP" : "ARCN") +
                             DecodeArcOperand(lineBefore(lines, i, 3)) + ":" +
                             DecodeArcOperand(lineBefore(lines, i, 2)) + ":" +
                             DecodeArcOperand(lineBefore(lines, i, 1)));
    case Shape::Circle:
        return emit(out, std::string(operand != 0 ? "CIRP" : "CIRN") +
                             DecodeArcOperand(lineBefore(lines, i, 2)) + ":" +
                             DecodeArcOperand(lineBefore(lines, i, 1)));
    case Shape::CoordinatedMove: {
        const std::string text = coordinatedMoveText(lines, i, operand);
        if (!text.empty()) emit(out, text);
        return;
    }
    }
}

std::string Decompiler::coordinatedMoveText(const std::vector<std::string>& lines, size_t i,
                                            int32_t mask) const {
    size_t count = 0;
    for (int32_t bit : {1, 2, 4, 8}) {
        if ((mask & bit) == bit) ++count;
    }
    std::string text;
    for (size_t k = count; k >= 1; --k) {
        const std::string_view target = lineBefore(lines, i, k);
        text += DecodeTargetAxis(target) + DecodeTargetValue(target);
    }
    return text;
}

std::string Decompiler::DecodeOperand(std::string_view line) const {
    const CompiledLine device = readCompiledLine(line);
    if (device.kind == CompiledLine::Kind::Variable) return "V" + std::string(device.operand);
    if (device.kind == CompiledLine::Kind::Constant) return std::string(device.operand);
    const int code = device.code;
    if (code < 0 || operandByCode_[code] == kNoRule) return {};
    const OperandRule& rule = kOperandRules[operandByCode_[code]];
    const std::string_view name = formInfo(rule.form).name;
    switch (rule.shape) {
    case Operand::Name:
        return std::string(name);
    case Operand::WithArgument:
        return spell(name, device.operand, "");
    case Operand::AxisArgument:
        return spell(name, axisTextOfArgument(device.operand), "");
    case Operand::AxisOnQ4:
        return spell(name, holds(When::Q4, model_) ? axisTextOfArgument(device.operand) : "X", "");
    }
    return {};
}

namespace {

template <size_t N>
int indexOfCode(const ModelInfo* model, const std::array<Form, N>& forms, int code) {
    if (code < 0) return -1;
    for (size_t k = 0; k < N; ++k) {
        if (codeOf(model, forms[k]) == code) return static_cast<int>(k);
    }
    return -1;
}

} // namespace

std::string Decompiler::DecodeTargetAxis(std::string_view line) const {
    static constexpr std::string_view kAxes[] = {"X", "Y", "Z", "U"};
    const CompiledLine device = readCompiledLine(line);
    if (device.kind != CompiledLine::Kind::Device) return "?";
    int axis = indexOfCode(model_, kTargetConstantForms, device.code);
    if (axis < 0) axis = indexOfCode(model_, kTargetVariableForms, device.code);
    return axis < 0 ? "?" : std::string(kAxes[axis]);
}

std::string Decompiler::DecodeTargetValue(std::string_view line) const {
    const CompiledLine device = readCompiledLine(line);
    if (device.kind != CompiledLine::Kind::Device) return "?";
    if (indexOfCode(model_, kTargetConstantForms, device.code) >= 0)
        return std::string(device.operand);
    if (indexOfCode(model_, kTargetVariableForms, device.code) >= 0)
        return "V" + std::string(device.operand);
    return "?";
}

std::string Decompiler::DecodeArcOperand(std::string_view line) const {
    const CompiledLine device = readCompiledLine(line);
    if (device.kind != CompiledLine::Kind::Device) return "?";
    if (indexOfCode(model_, kArcConstantForms, device.code) >= 0)
        return std::string(device.operand);
    if (indexOfCode(model_, kArcVariableForms, device.code) >= 0)
        return "V" + std::string(device.operand);
    return "?";
}

std::string DecompileProgram(std::string_view modelName, const std::vector<std::string>& lines) {
    return Decompiler(findModel(modelName)).DecompileProgram(lines);
}

} // namespace progsmith
