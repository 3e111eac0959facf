// Every instruction form of every model is reached by the statement that writes it, with the
// model's code and the operand its packing gives; a form the model lacks is an unknown command.

#include "compile_helpers.h"
#include "progsmith/compiler/operands.h"

#include <gtest/gtest.h>

#include <set>

using namespace progsmith;
using namespace progsmith::testing;

namespace {

struct Probe {
    std::string statement;
    int64_t operand; // of the line with the form's code
};

constexpr int kValue = 7;    // "= 7"
constexpr int kVariable = 2; // "= V2"

std::string withoutSuffix(std::string_view name, std::string_view suffix) {
    return std::string(name.substr(0, name.size() - suffix.size()));
}

// Families whose name carries <a>: written for axis X.
std::string familyOf(std::string_view name) {
    return std::string(name.substr(0, name.find('<')));
}

std::optional<Probe> probeFor(Form form, bool multiAxis, int slOffset) {
    const FormInfo& info = formInfo(form);
    const std::string_view name = info.name;
    const int64_t packedValue = multiAxis ? kValue * 256 : kValue;
    const int64_t packedVariable = multiAxis ? kVariable * 256 : kVariable;
    switch (form) {
    case Form::DN_SetVar:     // the check takes numbers only
    case Form::JOYENA_SetAlt: // read back, never written
        return std::nullopt;
    case Form::DOn:
        return Probe{"V2 = DO3", 3};
    case Form::EOn:
        return Probe{"V2 = EO3", 3};
    case Form::DIn:
        return Probe{"V2 = DI3", 3};
    case Form::AIn:
        return Probe{"V2 = AI3", 3};
    case Form::DOn_Set:
        return Probe{"DO3 = 7", kValue * 256 + 3};
    case Form::DOn_SetVar:
        return Probe{"DO3 = V2", kVariable * 256 + 3};
    case Form::EOn_Set:
        return Probe{"EO3 = 7", kValue * 256 + 3};
    case Form::EOn_SetVar:
        return Probe{"EO3 = V2", kVariable * 256 + 3};
    case Form::SRn_Set:
        return Probe{"SR3 = 7", kValue * 256 + 3};
    case Form::SL_Set:
        return Probe{"SLX = 7", packedValue + (multiAxis ? slOffset : 0)};
    case Form::JOG:
        return Probe{"JOGX +", multiAxis ? 256 : 0};
    case Form::JOGX_Minus:
        if (multiAxis) return std::nullopt; // JOG carries both directions there
        return Probe{"JOGX -", 0};
    case Form::STOP:
        return Probe{"STOP", 255};
    case Form::ABORT:
        return Probe{"ABORT", 255};
    case Form::ECLEAR:
        return Probe{"ECLEARX", 0};
    case Form::SYNON:
        return Probe{"SYNONX", 0};
    case Form::SYNOFF:
        return Probe{"SYNOFFX", 0};
    case Form::CoordinatedMove:
        if (!multiAxis) return std::nullopt; // a single axis moves with its own code
        return Probe{"X7", 1};
    case Form::ARC:
        return Probe{"ARCP7:7:7", 1};
    case Form::CIR:
        return Probe{"CIRP7:7", 1};
    case Form::ArcOperand1:
    case Form::ArcOperand2:
    case Form::ArcOperand3:
        return Probe{"ARCP7:7:7", kValue};
    case Form::ArcOperand1_Var:
    case Form::ArcOperand2_Var:
    case Form::ArcOperand3_Var:
        return Probe{"ARCPV2:V2:V2", kVariable};
    default:
        break;
    }
    switch (info.kind) {
    case FormKind::Read: {
        const bool axisArgument = info.packing == Packing::AxisArgument;
        const std::string token =
            name.find('<') != std::string_view::npos ? familyOf(name) + "X" : std::string(name);
        return Probe{"V2 = " + token, axisArgument && name.find('<') == std::string_view::npos
                                          ? axisIndex(name.back())
                                          : 0};
    }
    case FormKind::Set:
        if (info.packing == Packing::AxisOnMultiAxis)
            return Probe{familyOf(name) + "X = 7", packedValue};
        if (name.ends_with("<op>")) { // moves: only single-axis models write them
            if (multiAxis || name[0] != 'X') return std::nullopt;
            return Probe{"X7", kValue};
        }
        return Probe{withoutSuffix(name, "=") + " = 7", kValue};
    case FormKind::SetVar:
        if (info.packing == Packing::AxisOnMultiAxis)
            return Probe{familyOf(name) + "X = V2", packedVariable};
        if (name.ends_with("<op>")) {
            if (multiAxis || name[0] != 'X') return std::nullopt;
            return Probe{"XV2", kVariable};
        }
        return Probe{withoutSuffix(name, "=V") + " = V2", kVariable};
    case FormKind::Target:
    case FormKind::TargetVar: {
        if (!multiAxis) return std::nullopt;
        const std::string axis(1, name.back() == 'V' ? name[name.size() - 3] : name.back());
        return info.kind == FormKind::Target ? Probe{axis + "7", kValue}
                                             : Probe{axis + "V2", kVariable};
    }
    case FormKind::Command:
        if (name.ends_with('+')) return Probe{withoutSuffix(name, "+") + " +", 0};
        if (name.ends_with('-')) {
            const std::string family = withoutSuffix(name, "-");
            return Probe{family.substr(0, family.size() - 1) + " " + family.back() + "-", 0};
        }
        return Probe{std::string(name), 0};
    }
    return std::nullopt;
}

} // namespace

TEST(InstructionCoverage, EveryFormOfEveryModel) {
    for (const ModelInfo& model : allModels()) {
        int formsReached = 0;
        for (size_t i = 0; i < kFormCount; ++i) {
            const Form form = static_cast<Form>(i);
            const auto probe = probeFor(form, isMultiAxis(&model), model.slSelectorOffset);
            if (!probe) continue;
            const int code = codeOf(&model, form);
            const auto outcome = compileProgram(program({probe->statement, "END"}), &model);
            const std::string where = std::string(model.name) + " " +
                                      std::string(formInfo(form).name) + ": " + probe->statement;
            if (code < 0) {
                ASSERT_TRUE(outcome.error.has_value()) << where;
                // Moves name their axes themselves: an axis the model lacks is a bad move.
                const bool move = formInfo(form).name.starts_with("target");
                EXPECT_EQ(outcome.error->message, move ? "Error!" : "Unknown Command!") << where;
                continue;
            }
            ASSERT_FALSE(outcome.error.has_value()) << where << " -> " << outcome.error->message;
            const std::string line =
                "&" + std::to_string(code) + "$" + std::to_string(probe->operand);
            EXPECT_NE(std::find(outcome.lines.begin(), outcome.lines.end(), line),
                      outcome.lines.end())
                << where << " expects " << line << " in " << outcomeText(outcome);
            ++formsReached;
        }
        EXPECT_GE(formsReached, 40) << model.name;
    }
}
