#include "progsmith/compiler/assembler.h"

#include "common/bits.h"
#include "progsmith/compiler/block_partners.h"
#include "progsmith/compiler/operands.h"

#include <algorithm>
#include <array>
#include <variant>

namespace progsmith {

namespace {

constexpr std::string_view kUnknownCommand = "Unknown Command!";

int comparisonDigit(std::string_view token) {
    static constexpr std::array<std::string_view, 6> comparisons{">", "<", "=", ">=", "<=", "!="};
    const auto it = std::find(comparisons.begin(), comparisons.end(), token);
    return it == comparisons.end() ? 0 : static_cast<int>(it - comparisons.begin()) + 1;
}

int operatorDigit(std::string_view token) {
    static constexpr std::array<std::string_view, 10> operators{"+",  "-",  "*", "/", "%",
                                                                ">>", "<<", "&", "|", "~"};
    const auto it = std::find(operators.begin(), operators.end(), token);
    return it == operators.end() ? 0 : static_cast<int>(it - operators.begin()) + 1;
}

// Axis letter that ends `t1` right after `prefix`, or -1.
int axisSuffix(std::string_view t1, std::string_view prefix) {
    if (t1.size() != prefix.size() + 1 || !t1.starts_with(prefix)) return -1;
    return axisIndex(t1.back());
}

std::vector<RowKind> kindsOf(const TokenTable& table) {
    std::vector<RowKind> kinds;
    kinds.reserve(table.size());
    for (const auto& row : table)
        kinds.push_back(kindOf(row.t(1)));
    return kinds;
}

class Assembler {
public:
    Assembler(const TokenTable& table, const ModelInfo* model)
        : rows_(table), model_(model), multiAxis_(isMultiAxis(model)), partners_(kindsOf(table)) {
        rowStart_.reserve(rows_.size());
        lines_.reserve(rows_.size() * 2);
    }

    AssembleResult run() {
        for (size_t r = 0; r < rows_.size(); ++r) {
            rowStart_.push_back(lines_.size());
            std::string error = statement(r);
            if (error.empty() && producedUnknownInstruction(rowStart_[r]))
                error = std::string(kUnknownCommand);
            if (!error.empty())
                return {std::move(lines_), PhaseError{std::move(error), rows_[r].line()}, {}};
        }
        resolveJumps();
        auto sources = sourceLines();
        return {std::move(lines_), std::nullopt, std::move(sources)};
    }

private:
    struct Jump {
        size_t line;      // the jump line
        size_t targetRow; // the row whose lines it jumps to
        size_t offset;    // which line of that row
    };

    const TokenTable& rows_;
    const ModelInfo* model_;
    const bool multiAxis_;
    const BlockPartners partners_;
    std::vector<size_t> rowStart_;
    std::vector<std::string> lines_;
    std::vector<Jump> jumps_;

    // A line whose code is empty names an instruction the model does not have.
    bool producedUnknownInstruction(size_t from) const {
        return std::any_of(lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end(),
                           [](const std::string& line) { return line.starts_with("&$"); });
    }

    void emit(std::string line) { lines_.push_back(std::move(line)); }
    void emit(Form form, int64_t operand) { emit(instructionLine(model_, form, operand)); }

    // The jump text is completed once every row has its lines: the distance is then exact.
    void emitJump(std::string prefix, size_t targetRow, size_t offset) {
        jumps_.push_back({lines_.size(), targetRow, offset});
        emit(std::move(prefix));
    }

    std::vector<int> sourceLines() const {
        std::vector<int> lines(lines_.size());
        for (size_t r = 0; r < rows_.size(); ++r) {
            const size_t end = r + 1 < rows_.size() ? rowStart_[r + 1] : lines_.size();
            std::fill(lines.begin() + std::ptrdiff_t(rowStart_[r]),
                      lines.begin() + std::ptrdiff_t(end), rows_[r].line());
        }
        return lines;
    }

    void resolveJumps() {
        for (const auto& jump : jumps_) {
            const auto target = static_cast<int64_t>(rowStart_[jump.targetRow] + jump.offset);
            lines_[jump.line] += std::to_string(target - static_cast<int64_t>(jump.line));
        }
    }

    std::string statement(size_t r) {
        const TokenRow& row = rows_[r];
        const std::string& t1 = row.t(1);
        if (isVar(t1) >= 0) return assignment(row);
        if (auto handled = deviceInstruction(row)) return std::move(*handled);
        if (auto handled = blockStatement(r)) return std::move(*handled);
        if (t1[0] == 'I') return coordinatedMove(t1);
        if (row.t(2) == "=" && isParameterName(t1)) return parameter(row);
        return std::string(kUnknownCommand);
    }

    // ---- assignments -------------------------------------------------------------------

    std::string assignment(const TokenRow& row) {
        const int64_t destination = isVar(row.t(1));
        if (destination > INT32_MAX) return "Assignment Error!";
        const std::string destinationLine = "VR" + std::to_string(destination);
        if (row.count == 3) {
            const std::string& source = row.t(3);
            if (source.starts_with("~")) {
                const std::string operand =
                    convertOperand(std::string_view(source).substr(1), model_);
                if (operand.empty()) return "Assignment Error!";
                emit("CV0");
                emit(operand);
                emit(destinationLine);
                emit("OX10");
                return {};
            }
            const std::string operand = convertOperand(source, model_);
            if (operand.empty()) return "Assignment Error!";
            emit(operand);
            emit(destinationLine);
            emit("AM");
            return {};
        }
        if (row.count == 5) {
            const std::string right = convertOperand(row.t(5), model_);
            if (right.empty()) return "Operation Argument Error!";
            const std::string left = convertOperand(row.t(3), model_);
            if (left.empty()) return "Operation Argument Error!";
            const int op = operatorDigit(row.t(4));
            if (op == 0) return "Unknown Operation!";
            emit(right);
            emit(left);
            emit(destinationLine);
            emit("OX" + std::to_string(op));
        }
        return {};
    }

    // ---- device instructions -----------------------------------------------------------

    std::optional<std::string> deviceInstruction(const TokenRow& row) {
        const std::string& t1 = row.t(1);
        static constexpr std::array<std::string_view, 8> registers{"PX", "PY", "PZ", "PU",
                                                                   "EX", "EY", "EZ", "EU"};
        if (std::find(registers.begin(), registers.end(), t1) != registers.end())
            return namedSetting(row);
        if (t1 == "EDIO" || t1 == "DN" || t1.starts_with("DRV")) return namedSetting(row);
        if (t1.starts_with("DO") || t1.starts_with("EO")) return outputSetting(row);
        if (t1.starts_with("SR")) return threadSetting(row);
        if (t1.starts_with("SYN")) return synchronisation(row);
        if (t1 == "JOYENA") return namedSetting(row);
        if (t1.starts_with("JOY")) return joystickSetting(row);
        if (t1.starts_with("LT")) return axisSetting(row, Form::LT_Set, std::nullopt, "LT");
        if (t1.starts_with("SCV")) return axisSetting(row, Form::SCV_Set, Form::SCV_SetVar, "SCV");
        if (t1 == "DELAY") return statementWithNumber(row, "DD");
        if (t1 == "TR") return statementWithNumber(row, "TR");
        if (t1.starts_with("ECLEAR")) return axisCommand(t1, "ECLEAR", Form::ECLEAR, -1);
        if (t1.starts_with("STOP")) return axisCommand(t1, "STOP", Form::STOP, 255);
        if (t1.starts_with("ABORT")) return axisCommand(t1, "ABORT", Form::ABORT, 255);
        if (t1 == "STORE") return bareCommand(Form::STORE);
        if (t1 == "RW") return bareCommand(Form::RW);
        if (t1 == "ABS") return bareCommand(Form::ABS);
        if (t1 == "INC") return bareCommand(Form::INC);
        if (t1.starts_with("HLHOME") || t1.starts_with("LHOME") || t1.starts_with("ZHOME") ||
            t1.starts_with("ZOME") || t1.starts_with("HOME"))
            return homing(row);
        if (t1.starts_with("JOG")) return jog(row);
        if (t1.starts_with("ARC") || t1.starts_with("CIR")) return arc(t1);
        if (axisIndex(t1[0]) >= 0) return axisMove(row);
        return std::nullopt;
    }

    std::optional<Value> settingValue(const TokenRow& row) const {
        if (row.t(2) != "=") return std::nullopt;
        return valueOf(row.t(3));
    }

    // "<name> = <number>" with the "<name>=" code, "<name> = V<n>" with the "<name>=V" code.
    // A name without such a form gets no code, which the model check reports.
    std::string namedSetting(const TokenRow& row) {
        const auto value = settingValue(row);
        if (!value) return "Error!";
        const std::string name = row.t(1) + (value->isVariable ? "=V" : "=");
        const auto form = formByName(name);
        const std::string code = form ? codeText(model_, *form) : "";
        emit("&" + code + "$" + std::to_string(value->number));
        return {};
    }

    std::string packed(Form form, const Value& value, int selector) {
        const auto operand = common::packSelector(value.number, selector);
        if (!operand) return "Error!";
        emit(form, *operand);
        return {};
    }

    // DO / EO take the plain value; DO<n> / EO<n> carry the bit as selector on every model.
    std::string outputSetting(const TokenRow& row) {
        const std::string& t1 = row.t(1);
        if (t1.size() == 2) return namedSetting(row);
        if (t1.size() != 3 || t1[2] < '1' || t1[2] > '8') return std::string(kUnknownCommand);
        const auto value = settingValue(row);
        if (!value) return "Error!";
        const bool digital = t1.starts_with("DO");
        const Form form = value->isVariable ? (digital ? Form::DOn_SetVar : Form::EOn_SetVar)
                                            : (digital ? Form::DOn_Set : Form::EOn_Set);
        return packed(form, *value, t1[2] - '0');
    }

    // SR<n> = <state>: program (thread) n, 0 to 255, as selector.
    std::string threadSetting(const TokenRow& row) {
        const auto thread = numberValue(std::string_view(row.t(1)).substr(2));
        if (row.t(1).size() < 3 || row.t(1)[2] == '-' || !thread || *thread > 255)
            return std::string(kUnknownCommand);
        const auto value = settingValue(row);
        if (!value || value->isVariable) return "Error!";
        return packed(Form::SRn_Set, *value, *thread);
    }

    bool hasAxis(int axis) const { return axis >= 0 && axis < axesOf(model_); }

    // Families with one code for every axis: multi-axis models pack the axis with the value,
    // single-axis models take the plain value and know only X.
    std::string axisSetting(const TokenRow& row, Form set, std::optional<Form> setVar,
                            std::string_view family, int selectorOffset = 0) {
        const int axis = axisSuffix(row.t(1), family);
        if (!hasAxis(axis)) return std::string(kUnknownCommand);
        const auto value = settingValue(row);
        if (!value || (value->isVariable && !setVar)) return "Error!";
        const Form form = value->isVariable ? *setVar : set;
        if (!multiAxis_) {
            emit(form, value->number);
            return {};
        }
        return packed(form, *value, axis + selectorOffset);
    }

    std::string synchronisation(const TokenRow& row) {
        const std::string& t1 = row.t(1);
        for (const auto& [family, form] :
             {std::pair{"SYNON", Form::SYNON}, std::pair{"SYNOFF", Form::SYNOFF}}) {
            if (!t1.starts_with(family)) continue;
            const int axis = axisSuffix(t1, family);
            if (!hasAxis(axis)) return std::string(kUnknownCommand);
            emit(form, axis);
            return {};
        }
        if (t1.starts_with("SYNCFG"))
            return axisSetting(row, Form::SYNCFG_Set, Form::SYNCFG_SetVar, "SYNCFG");
        if (t1.starts_with("SYNPOS"))
            return axisSetting(row, Form::SYNPOS_Set, Form::SYNPOS_SetVar, "SYNPOS");
        if (t1.starts_with("SYNTIME"))
            return axisSetting(row, Form::SYNTIME_Set, Form::SYNTIME_SetVar, "SYNTIME");
        return std::string(kUnknownCommand);
    }

    std::string joystickSetting(const TokenRow& row) {
        struct Family {
            std::string_view name;
            Form set, setVar;
        };
        static constexpr std::array<Family, 7> families{{
            {"JOYHS", Form::JOYHS_Set, Form::JOYHS_SetVar},
            {"JOYDEL", Form::JOYDEL_Set, Form::JOYDEL_SetVar},
            {"JOYTOL", Form::JOYTOL_Set, Form::JOYTOL_SetVar},
            {"JOYNO", Form::JOYNO_Set, Form::JOYNO_SetVar},
            {"JOYNI", Form::JOYNI_Set, Form::JOYNI_SetVar},
            {"JOYPI", Form::JOYPI_Set, Form::JOYPI_SetVar},
            {"JOYPO", Form::JOYPO_Set, Form::JOYPO_SetVar},
        }};
        for (const auto& family : families)
            if (axisSuffix(row.t(1), family.name) >= 0)
                return axisSetting(row, family.set, family.setVar, family.name);
        return std::string(kUnknownCommand);
    }

    std::string statementWithNumber(const TokenRow& row, std::string_view mnemonic) {
        const auto value = settingValue(row);
        if (!value || value->isVariable) return "Error!";
        emit(std::string(mnemonic) + std::to_string(value->number));
        return {};
    }

    // STOP, ABORT (all axes without a letter) and ECLEAR carry the axis as operand.
    std::string axisCommand(std::string_view t1, std::string_view family, Form form, int allAxes) {
        if (t1 == family && allAxes >= 0) {
            emit(form, allAxes);
            return {};
        }
        const int axis = axisSuffix(t1, family);
        if (!hasAxis(axis)) return std::string(kUnknownCommand);
        emit(form, axis);
        return {};
    }

    std::string bareCommand(Form form) {
        emit(form, 0);
        return {};
    }

    // The instruction is the keyword joined with its direction: HOMEX + +, ZHOME + X-.
    std::string homing(const TokenRow& row) {
        const std::string name = row.t(1) + row.t(2);
        const auto form = formByName(name);
        if (!form || formInfo(*form).kind != FormKind::Command) return std::string(kUnknownCommand);
        emit(*form, 0);
        return {};
    }

    std::string jog(const TokenRow& row) {
        const int axis = axisSuffix(row.t(1), "JOG");
        const std::string& direction = row.t(2);
        if (!hasAxis(axis) || (direction != "+" && direction != "-"))
            return std::string(kUnknownCommand);
        if (multiAxis_) return packed(Form::JOG, Value{false, direction == "+" ? 1 : 0}, axis);
        emit(direction == "+" ? Form::JOG : Form::JOGX_Minus, 0);
        return {};
    }

    static std::vector<std::string_view> splitAtColons(std::string_view text) {
        std::vector<std::string_view> parts;
        size_t start = 0;
        while (true) {
            const size_t colon = text.find(':', start);
            parts.push_back(
                text.substr(start, colon == std::string_view::npos ? colon : colon - start));
            if (colon == std::string_view::npos) return parts;
            start = colon + 1;
        }
    }

    std::string arc(std::string_view t1) {
        if (t1.size() < 4 || (t1[3] != 'P' && t1[3] != 'N')) return std::string(kUnknownCommand);
        const bool circle = t1.starts_with("CIR");
        const auto values = splitAtColons(t1.substr(4));
        if (values.size() != (circle ? 2u : 3u)) return "Token Error!";
        static constexpr std::array<Form, 3> constants{Form::ArcOperand1, Form::ArcOperand2,
                                                       Form::ArcOperand3};
        static constexpr std::array<Form, 3> variables{Form::ArcOperand1_Var, Form::ArcOperand2_Var,
                                                       Form::ArcOperand3_Var};
        for (size_t i = 0; i < values.size(); ++i) {
            const auto value = valueOf(values[i]);
            if (!value) return "Token Error!";
            emit(value->isVariable ? variables[i] : constants[i], value->number);
        }
        emit(circle ? Form::CIR : Form::ARC, t1[3] == 'P' ? 1 : 0);
        return {};
    }

    static constexpr std::array<Form, 4> kMoveForms{Form::MoveX, Form::MoveY, Form::MoveZ,
                                                    Form::MoveU};
    static constexpr std::array<Form, 4> kMoveVarForms{Form::MoveX_Var, Form::MoveY_Var,
                                                       Form::MoveZ_Var, Form::MoveU_Var};
    static constexpr std::array<Form, 4> kTargetForms{Form::TargetX, Form::TargetY, Form::TargetZ,
                                                      Form::TargetU};
    static constexpr std::array<Form, 4> kTargetVarForms{Form::TargetX_Var, Form::TargetY_Var,
                                                         Form::TargetZ_Var, Form::TargetU_Var};

    std::string axisMove(const TokenRow& row) {
        struct Target {
            int axis;
            Value value;
        };
        std::vector<Target> targets;
        int mask = 0;
        for (const auto& token : row.tokens) {
            if (isAbsent(token)) continue;
            const int axis = axisIndex(token[0]);
            const auto value = valueOf(std::string_view(token).substr(1));
            // An unknown model rules out no axis: it has no codes at all, so the model check
            // reports the move as an unknown command, as it does every other instruction.
            const bool lacksAxis = axis < 0 || (model_ != nullptr && !hasAxis(axis));
            if (lacksAxis || !value || (mask & (1 << axis)) != 0) return "Error!";
            mask |= 1 << axis;
            targets.push_back({axis, *value});
        }
        if (!multiAxis_) {
            const auto& target = targets.front();
            emit(target.value.isVariable ? kMoveVarForms[0] : kMoveForms[0], target.value.number);
            return {};
        }
        for (const auto& target : targets) {
            const auto axis = static_cast<size_t>(target.axis);
            emit(target.value.isVariable ? kTargetVarForms[axis] : kTargetForms[axis],
                 target.value.number);
        }
        emit(Form::CoordinatedMove, mask);
        return {};
    }

    // I<x>:<y>:<z>:<u> moves all four axes together.
    std::string coordinatedMove(std::string_view t1) {
        const auto parts = splitAtColons(t1.substr(1));
        if (parts.size() != 4) return "Error!";
        for (size_t axis = 0; axis < 4; ++axis) {
            const auto value = valueOf(parts[axis]);
            if (!value) return "Error!";
            emit(value->isVariable ? kTargetVarForms[axis] : kTargetForms[axis], value->number);
        }
        emit(Form::CoordinatedMove, 15);
        return {};
    }

    // ---- parameter settings ------------------------------------------------------------

    static bool isParameterName(std::string_view t1) {
        static constexpr std::array<std::string_view, 10> prefixes{
            "SL", "HSPD", "LSPD", "ACC", "DEC", "SSPD", "TP", "KPAR", "CPAR", "APAR"};
        return t1 == "TOC" || t1 == "BDT" ||
               std::any_of(prefixes.begin(), prefixes.end(),
                           [&](std::string_view prefix) { return t1.starts_with(prefix); });
    }

    std::string parameter(const TokenRow& row) {
        const std::string& t1 = row.t(1);
        if (t1.starts_with("SSPDM"))
            return axisSetting(row, Form::SSPDM_Set, Form::SSPDM_SetVar, "SSPDM");
        if (t1.starts_with("SL"))
            return axisSetting(row, Form::SL_Set, std::nullopt, "SL",
                               model_ != nullptr ? model_->slSelectorOffset : 0);
        return namedSetting(row);
    }

    // ---- blocks, subroutines and markers -----------------------------------------------

    std::optional<std::string> blockStatement(size_t r) {
        const TokenRow& row = rows_[r];
        const std::string& t1 = row.t(1);
        switch (partners_.kind(r)) {
        case RowKind::If:
            return ifStatement(r);
        case RowKind::ElseIf:
            return elseIfStatement(r);
        case RowKind::Else:
            return elseStatement(r);
        case RowKind::EndIf:
            emit("EI0");
            return std::string();
        case RowKind::While:
            return whileStatement(r);
        case RowKind::EndWhile:
            return endWhileStatement(r);
        case RowKind::Repeat:
            emit("RP0");
            return std::string();
        case RowKind::LoopWhile:
            return loopWhileStatement(r);
        case RowKind::Prg:
            return numberedMarker(row, "PS");
        case RowKind::Sub:
            return numberedMarker(row, "SS");
        case RowKind::EndSub:
            emit("SE");
            return std::string();
        case RowKind::End:
            emit("XX");
            return std::string();
        case RowKind::Other:
            break;
        }
        if (t1 == "GOSUB") return numberedMarker(row, "GS");
        if (t1 == "WAITX" || t1 == "WAITY" || t1 == "WAITZ" || t1 == "WAITU") {
            emit(std::string("W") + t1.back() + "0");
            return std::string();
        }
        return std::nullopt;
    }

    std::string numberedMarker(const TokenRow& row, std::string_view mnemonic) {
        const auto number = numberValue(row.t(2));
        if (!number) return "Error!";
        emit(std::string(mnemonic) + std::to_string(*number));
        return {};
    }

    // The operand lines of "<a> <cmp> <b>" and the comparison digit, or 0 after an error.
    int condition(const TokenRow& row) {
        const std::string left = convertOperand(row.t(2), model_);
        if (left.empty()) return 0;
        const std::string right = convertOperand(row.t(4), model_);
        if (right.empty()) return 0;
        const int comparison = comparisonDigit(row.t(3));
        if (comparison == 0) return 0;
        emit(left);
        emit(right);
        return comparison;
    }

    // Jumps to the line after the partner's first line: past its ELSE/ELSEIF jump or EI0.
    std::string jumpToPartner(std::string prefix, size_t r, ElseAtDepthZero elses) {
        return jumpTo(std::move(prefix), partners_.endIf(r, elses), 1);
    }

    std::string ifStatement(size_t r) {
        const int comparison = condition(rows_[r]);
        if (comparison == 0) return "Assignment Error!";
        emit("JI" + std::to_string(comparison) + "$2");
        return jumpToPartner("JR", r, ElseAtDepthZero::Partner);
    }

    std::string elseIfStatement(size_t r) {
        if (auto error = jumpToPartner("JR", r, ElseAtDepthZero::PassOver); !error.empty())
            return error;
        const int comparison = condition(rows_[r]);
        if (comparison == 0) return "Assignment Error!";
        emit("JE" + std::to_string(comparison) + "$2");
        return jumpToPartner("JR", r, ElseAtDepthZero::Partner);
    }

    std::string elseStatement(size_t r) {
        return jumpToPartner("JO", r, ElseAtDepthZero::Mismatch);
    }

    std::string whileStatement(size_t r) {
        const int comparison = condition(rows_[r]);
        if (comparison == 0) return "Assignment Error!";
        emit("JW" + std::to_string(comparison) + "$2");
        return jumpTo("JR", partners_.endWhile(r), 1);
    }

    // Back to the JW line of the matching WHILE (its third line), whose operands come before it.
    std::string endWhileStatement(size_t r) { return jumpTo("JM", partners_.whileOf(r), 2); }

    std::string loopWhileStatement(size_t r) {
        const int comparison = condition(rows_[r]);
        if (comparison == 0) return "Assignment Error!";
        return jumpTo("JU" + std::to_string(comparison) + "$", partners_.repeatOf(r), 0);
    }

    // A jump to the given line of the partner row, or the error that finding it ended with.
    std::string jumpTo(std::string prefix, const Partner& partner, size_t offset) {
        if (const auto* error = std::get_if<std::string>(&partner)) return *error;
        emitJump(std::move(prefix), std::get<size_t>(partner), offset);
        return {};
    }
};

} // namespace

AssembleResult Assemble(const TokenTable& table, const ModelInfo* model) {
    return Assembler(table, model).run();
}

} // namespace progsmith
