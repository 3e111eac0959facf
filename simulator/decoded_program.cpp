#include "simulator/decoded_program.h"

#include "progsmith/compiler/compiled_line.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <optional>
#include <string_view>

namespace simulator {
namespace {

using progsmith::CompiledLine;
using progsmith::Form;
using progsmith::FormKind;
using progsmith::Packing;
using progsmith::readCompiledLine;

// Optional "-" and decimal digits, nothing else, within 32 bits.
std::optional<int32_t> parseInt32(std::string_view text) {
    if (text.empty() || text.front() == '+') return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

constexpr int32_t kBits = 8; // DO1 .. DO8, EO1 .. EO8

constexpr std::string_view kMissingOperand = "no operand line before it";
constexpr std::string_view kUnknownLine = "not a compiled line";
constexpr std::string_view kOutside = "jump out of the program";

// Operators of OX<op>, in the order of their digits 1 to 10.
constexpr std::array<Op, 10> kOperators{Op::Add,       Op::Subtract,   Op::Multiply,  Op::Divide,
                                        Op::Remainder, Op::ShiftRight, Op::ShiftLeft, Op::BitAnd,
                                        Op::BitOr,     Op::Not};

class Decoder {
public:
    Decoder(const std::vector<std::string>& slots, const progsmith::ModelInfo* model,
            int variableCount)
        : model_(model), variableCount_(variableCount) {
        const auto end = std::find(slots.begin(), slots.end(), std::string());
        program_.lines.assign(slots.begin(), end);
        size_ = int32_t(program_.lines.size());
        readByCode_.fill(-1);
        if (model_ == nullptr) return;
        // A code can stand for a read and for instructions (KT-230 gives 62 to the EO<n> read
        // and CPAR1=, 63 to EO<n>= and CPAR2=, 64 to EO<n>=V and CPAR3=): a line that a
        // statement reads as its operand is the read, any other line one of the instructions.
        for (size_t f = 0; f < progsmith::kFormCount; ++f) {
            const int code = progsmith::codeOf(model_, Form(f));
            if (code < 0 || code > 255) continue;
            if (progsmith::formInfo(Form(f)).kind == FormKind::Read) {
                if (readByCode_[size_t(code)] < 0) readByCode_[size_t(code)] = int16_t(f);
            } else {
                instructionsByCode_[size_t(code)].push_back(Form(f));
            }
        }
    }

    DecodedProgram run() {
        program_.code.resize(size_t(size_) + 1);
        operandSlots_.assign(size_t(size_), false);
        for (int32_t i = 0; i < size_; ++i)
            program_.code[size_t(i)] = decode(i);
        program_.code[size_t(size_)] = {.op = Op::End};
        // A line read as an operand is passed over like every operand line, whatever
        // instruction its code could also be.
        for (int32_t i = 0; i < size_; ++i)
            if (operandSlots_[size_t(i)]) program_.code[size_t(i)] = {.op = Op::Skip};
        linkLabels();
        resolveSlots();
        return std::move(program_);
    }

private:
    const progsmith::ModelInfo* model_;
    int variableCount_;
    DecodedProgram program_;
    int32_t size_ = 0;
    std::array<int16_t, 256> readByCode_{};
    std::array<std::vector<Form>, 256> instructionsByCode_{}; // in table order
    std::vector<bool> operandSlots_; // slots that a statement reads as an operand line
    std::vector<std::pair<int32_t, int32_t>> calls_;  // call slot, label
    std::vector<std::pair<int32_t, int32_t>> labels_; // label, SUB slot

    std::string_view line(int32_t i) const { return program_.lines[size_t(i)]; }

    Instruction fault(std::string reason) {
        program_.faults.push_back(std::move(reason));
        return {.op = Op::Fault, .index = int32_t(program_.faults.size() - 1)};
    }

    // The read form of a device line's code.
    std::optional<Form> readForm(std::string_view text) const {
        const int code = readCompiledLine(text).code;
        if (code < 0 || readByCode_[size_t(code)] < 0) return std::nullopt;
        return Form(readByCode_[size_t(code)]);
    }

    // The instruction forms of a device line's code; empty for an unknown code or a read.
    const std::vector<Form>& instructionForms(std::string_view text) const {
        static const std::vector<Form> none;
        const int code = readCompiledLine(text).code;
        return code < 0 ? none : instructionsByCode_[size_t(code)];
    }

    bool variableInRange(int32_t number) const {
        if (number < 0 || number >= variableCount_) return false;
        return model_ == nullptr || (number >= model_->varMin && number <= model_->varMax);
    }

    std::optional<Operand> variable(std::string_view digits) const {
        const auto number = parseInt32(digits);
        if (!number || !variableInRange(*number)) return std::nullopt;
        return Operand{Operand::Kind::Variable, *number};
    }

    // The operand line at slot i, or nullopt when there is none (a slot before the program,
    // a line of another class, a variable the controller lacks).
    std::optional<Operand> operandAt(int32_t i) {
        if (i < 0) return std::nullopt;
        const std::string_view text = line(i);
        const CompiledLine read = readCompiledLine(text);
        if (read.kind == CompiledLine::Kind::Variable) return variable(read.operand);
        if (read.kind == CompiledLine::Kind::Constant) {
            const auto constant = parseInt32(read.operand);
            if (!constant) return std::nullopt;
            return Operand{Operand::Kind::Constant, *constant};
        }
        if (read.kind != CompiledLine::Kind::Device) return std::nullopt;
        const auto form = readForm(text);
        if (!form) return std::nullopt;
        if (*form == Form::TR) {
            operandSlots_[size_t(i)] = true;
            return Operand{Operand::Kind::Timer, 0};
        }
        const std::string_view argument = read.operand;
        const auto number = argument.empty() ? std::optional<int32_t>(0) : parseInt32(argument);
        if (!number) return std::nullopt;
        operandSlots_[size_t(i)] = true;
        program_.reads.push_back({*form, *number});
        return Operand{Operand::Kind::Device, int32_t(program_.reads.size() - 1)};
    }

    // The value line of a move or an arc at slot i, if it is one of `constants` or `variables`
    // (the index of the one it is goes to `which`).
    template <size_t N>
    std::optional<Operand> valueLineAt(int32_t i, const std::array<Form, N>& constants,
                                       const std::array<Form, N>& variables, size_t& which) {
        if (i < 0) return std::nullopt;
        const CompiledLine read = readCompiledLine(line(i));
        if (read.kind != CompiledLine::Kind::Device) return std::nullopt;
        const std::string_view argument = read.operand;
        for (const Form form : instructionForms(line(i))) {
            for (which = 0; which < N; ++which) {
                if (form == constants[which]) {
                    const auto value = parseInt32(argument);
                    if (!value) return std::nullopt;
                    return Operand{Operand::Kind::Constant, *value};
                }
                if (form == variables[which]) return variable(argument);
            }
        }
        return std::nullopt;
    }

    int32_t jumpTarget(int32_t i, std::string_view distanceText) const {
        const auto distance = parseInt32(distanceText);
        if (!distance) return -2;
        const int64_t target = int64_t(i) + *distance;
        return target >= 0 && target <= size_ ? int32_t(target) : -1;
    }

    Instruction decode(int32_t i) {
        const std::string_view text = line(i);
        switch (readCompiledLine(text).kind) {
        case CompiledLine::Kind::Variable:
        case CompiledLine::Kind::Constant:
            return {.op = Op::Skip};
        case CompiledLine::Kind::Device:
            return deviceInstruction(i);
        case CompiledLine::Kind::Other:
            break;
        }
        const std::string_view mnemonic = text.substr(0, 2);
        const std::string_view rest = text.size() > 2 ? text.substr(2) : std::string_view();
        if (text == "AM") return assignment(i);
        if (mnemonic == "OX") return operation(i, rest);
        if (mnemonic == "JI" || mnemonic == "JE" || mnemonic == "JW" || mnemonic == "JU")
            return conditionalJump(i, rest);
        if (mnemonic == "JR" || mnemonic == "JO" || mnemonic == "JM") return jump(i, rest);
        if (text == "EI0" || text == "RP0") return {.op = Op::Skip};
        if (text == "SE") return {.op = Op::Return};
        if (text == "XX") return {.op = Op::End};
        if (text.size() == 3 && text[0] == 'W' && text[2] == '0') {
            constexpr std::string_view axes = "XYZU";
            const size_t axis = axes.find(text[1]);
            if (axis != std::string_view::npos)
                return {.op = Op::WaitAxis, .detail = uint8_t(axis)};
        }
        const auto number = parseInt32(rest);
        if (!number) return fault(std::string(kUnknownLine));
        if (mnemonic == "DD") return {.op = Op::Delay, .a = {Operand::Kind::Constant, *number}};
        if (mnemonic == "TR") return {.op = Op::SetTimer, .a = {Operand::Kind::Constant, *number}};
        if (mnemonic == "GS") {
            calls_.push_back({i, *number});
            return {.op = Op::Call};
        }
        if (mnemonic == "SS") {
            labels_.push_back({*number, i});
            return {.op = Op::Skip};
        }
        if (mnemonic == "PS") {
            program_.programStarts.push_back({*number, i});
            return {.op = Op::Skip};
        }
        return fault(std::string(kUnknownLine));
    }

    // Why the operand line at slot i cannot be read.
    Instruction missingOperand(int32_t i) {
        if (i >= 0 && line(i).starts_with("VR")) {
            const auto number = parseInt32(line(i).substr(2));
            if (number && !variableInRange(*number)) return outOfRange(*number);
        }
        return fault(std::string(kMissingOperand));
    }

    Instruction outOfRange(int32_t variableNumber) {
        return fault("variable V" + std::to_string(variableNumber) + " out of range");
    }

    Instruction assignment(int32_t i) {
        const auto destination = operandAt(i - 1);
        const auto source = operandAt(i - 2);
        if (!destination) return missingOperand(i - 1);
        if (!source) return missingOperand(i - 2);
        if (destination->kind != Operand::Kind::Variable)
            return fault("the destination is not a variable");
        return {.op = Op::Assign, .destination = destination->value, .a = *source};
    }

    Instruction operation(int32_t i, std::string_view digits) {
        const auto op = parseInt32(digits);
        if (!op || *op < 1 || *op > 10 || digits.size() > 2 || digits[0] == '-')
            return fault("unknown operator " + std::string(digits));
        const auto destination = operandAt(i - 1);
        const auto left = operandAt(i - 2);
        const auto right = operandAt(i - 3);
        if (!destination) return missingOperand(i - 1);
        if (!left) return missingOperand(i - 2);
        if (!right) return missingOperand(i - 3);
        if (destination->kind != Operand::Kind::Variable)
            return fault("the destination is not a variable");
        return {.op = kOperators[size_t(*op - 1)],
                .destination = destination->value,
                .a = *left,
                .b = *right};
    }

    // J?<c>$<d>: when "left <c> right" holds, go d lines on (the compiler writes $2 for the
    // forward skips and the distance back to REPEAT for LOOPWHILE).
    Instruction conditionalJump(int32_t i, std::string_view rest) {
        if (rest.size() < 3 || rest[0] < '1' || rest[0] > '6' || rest[1] != '$')
            return fault(std::string(kUnknownLine));
        const int32_t target = jumpTarget(i, rest.substr(2));
        if (target == -2) return fault(std::string(kUnknownLine));
        const auto left = operandAt(i - 2);
        const auto right = operandAt(i - 1);
        if (!left) return missingOperand(i - 2);
        if (!right) return missingOperand(i - 1);
        return {.op = Op::JumpIf,
                .detail = uint8_t(rest[0] - '0'),
                .target = target,
                .a = *left,
                .b = *right};
    }

    Instruction jump(int32_t i, std::string_view distance) {
        const int32_t target = jumpTarget(i, distance);
        if (target == -2) return fault(std::string(kUnknownLine));
        if (target < 0) return fault(std::string(kOutside));
        return {.op = Op::Jump, .target = target};
    }

    bool multiAxis() const { return progsmith::isMultiAxis(model_); }

    Instruction deviceInstruction(int32_t i) {
        const CompiledLine device = readCompiledLine(line(i));
        const std::vector<Form>& forms = instructionForms(line(i));
        if (forms.empty()) {
            if (readForm(line(i))) return {.op = Op::Skip}; // read by the statement after it
            return fault("unknown code " + std::string(device.codeText));
        }
        const auto operand = parseInt32(device.operand);
        const Form form = operand ? formFor(forms, *operand) : forms.front();
        const progsmith::FormInfo& info = progsmith::formInfo(form);
        if (info.kind == FormKind::Target || info.kind == FormKind::TargetVar)
            return {.op = Op::Skip}; // read by the move or arc after it
        if (form == Form::CoordinatedMove) return coordinatedMove(i, device.operand);
        if (form == Form::ARC || form == Form::CIR) return arc(i, form == Form::ARC ? 3 : 2);
        const bool ignoresOperand =
            info.kind == FormKind::Command &&
            (info.packing == Packing::None || (info.packing == Packing::Jog && !multiAxis()));
        if (ignoresOperand) return action(form, 0, {});
        if (!operand) return fault("operand " + std::string(device.operand) + " is no number");
        return packedInstruction(form, info, *operand);
    }

    // Of the instructions that share a code, the first that the operand is a valid one for;
    // otherwise the last, which takes any value (KT-230: EO<n>= with a bit 1..8 and, for
    // EO<n>=V, a variable the controller has; else the CPAR setting).
    Form formFor(const std::vector<Form>& forms, int32_t operand) const {
        for (const Form form : forms)
            if (operandFits(form, operand)) return form;
        return forms.back();
    }

    bool operandFits(Form form, int32_t operand) const {
        const progsmith::FormInfo& info = progsmith::formInfo(form);
        const Unpacked unpacked = unpack(form, info, operand);
        if (info.packing == Packing::Bit && (unpacked.selector < 1 || unpacked.selector > kBits))
            return false;
        return info.kind != FormKind::SetVar || variableInRange(unpacked.value);
    }

    Instruction action(Form form, int32_t selector, Operand value) {
        program_.actions.push_back({form, selector, value});
        return {.op = Op::Instruction, .index = int32_t(program_.actions.size() - 1)};
    }

    struct Unpacked {
        int32_t selector = 0;
        int32_t value = 0;
    };

    Unpacked unpack(Form form, const progsmith::FormInfo& info, int32_t operand) const {
        switch (info.packing) {
        case Packing::AxisOnMultiAxis:
            if (!multiAxis()) break;
            return {(operand & 255) - (form == Form::SL_Set ? model_->slSelectorOffset : 0),
                    operand >> 8};
        case Packing::AxisNumber:
        case Packing::AllAxesOrAxis:
            return {operand, 0};
        case Packing::Jog:
            return {operand & 255, (operand >> 8) & 255};
        case Packing::Bit:
        case Packing::Thread:
            return {operand & 255, operand >> 8};
        default:
            break;
        }
        return {0, operand};
    }

    Instruction packedInstruction(Form form, const progsmith::FormInfo& info, int32_t operand) {
        const auto [selector, value] = unpack(form, info, operand);
        Operand valueOperand{Operand::Kind::Constant, value};
        if (info.kind == FormKind::SetVar) {
            if (!variableInRange(value)) return outOfRange(value);
            valueOperand = {Operand::Kind::Variable, value};
        }
        if (form == Form::SRn_Set)
            return {.op = Op::ProgramControl, .detail = uint8_t(selector), .a = valueOperand};
        return action(form, selector, valueOperand);
    }

    // The target lines before it, one per axis of the mask; the nearest is the last axis of
    // the program text.
    Instruction coordinatedMove(int32_t i, std::string_view maskText) {
        const auto mask = parseInt32(maskText);
        if (!mask || *mask < 1 || *mask > 15) return fault("axis mask " + std::string(maskText));
        const int count = std::popcount(uint32_t(*mask));
        MoveTargets move;
        int seen = 0;
        for (int k = count; k >= 1; --k) {
            size_t axis = 0;
            const auto value = valueLineAt(i - k, progsmith::kTargetConstantForms,
                                           progsmith::kTargetVariableForms, axis);
            if (!value) return fault(std::string(kMissingOperand));
            const int bit = 1 << axis;
            if ((*mask & bit) == 0 || (seen & bit) != 0)
                return fault("target lines do not match the axis mask");
            seen |= bit;
            move.targets.push_back({int(axis), *value});
        }
        program_.moves.push_back(std::move(move));
        return {.op = Op::CoordinatedMove, .index = int32_t(program_.moves.size() - 1)};
    }

    // Arcs and circles: the value lines are checked; the axes do not follow circular paths.
    Instruction arc(int32_t i, int count) {
        for (int k = count; k >= 1; --k) {
            size_t which = 0;
            const auto value = valueLineAt(i - k, progsmith::kArcConstantForms,
                                           progsmith::kArcVariableForms, which);
            if (!value || which != size_t(count - k)) return fault(std::string(kMissingOperand));
        }
        return action(count == 3 ? Form::ARC : Form::CIR, 0, {});
    }

    void linkLabels() {
        for (const auto& call : calls_) {
            const int32_t slot = call.first, label = call.second;
            const auto sub = std::find_if(labels_.begin(), labels_.end(),
                                          [label](const auto& l) { return l.first == label; });
            if (sub == labels_.end())
                program_.code[size_t(slot)] = fault("GOSUB " + std::to_string(label) +
                                                    " has no SUB " + std::to_string(label));
            else
                program_.code[size_t(slot)].target = sub->second;
        }
    }

    // Slot numbers step over the slots that do nothing when the program passes them.
    void resolveSlots() {
        auto& code = program_.code;
        std::vector<int32_t> runnable(code.size());
        for (size_t j = code.size(); j-- > 0;)
            runnable[j] = code[j].op == Op::Skip ? runnable[j + 1] : int32_t(j);
        for (size_t j = 0; j + 1 < code.size(); ++j) {
            code[j].next = runnable[j + 1];
            if (code[j].target >= 0) code[j].target = runnable[size_t(code[j].target)];
        }
        code.back().next = int32_t(code.size() - 1);
        for (auto& [number, slot] : program_.programStarts)
            slot = runnable[size_t(slot)];
        if (program_.programStarts.empty() && size_ > 0)
            program_.programStarts.push_back({0, runnable[0]});
    }
};

} // namespace

int32_t DecodedProgram::start(int program) const {
    for (const auto& [number, slot] : programStarts)
        if (number == program) return slot;
    return -1;
}

DecodedProgram decodeProgram(const std::vector<std::string>& slots,
                             const progsmith::ModelInfo* model, int variableCount) {
    return Decoder(slots, model, variableCount).run();
}

} // namespace simulator
