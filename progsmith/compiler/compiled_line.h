#pragma once
// Reading one compiled line, for every reader of compiled programs (the decompiler, the
// simulated controller's decoder): what class of line it is and, for a device line
// "&<code>$<operand>", its code and operand. The code is compared as text, so "084" is no code.

#include "progsmith/compiler/model_tables.h"

#include <array>
#include <string_view>

namespace progsmith {

struct CompiledLine {
    enum class Kind { Variable, Constant, Device, Other };
    Kind kind = Kind::Other;
    // A device line's code (0 .. 255); -1 for any other line and for a code written otherwise.
    int code = -1;
    // The code as it is written in a device line.
    std::string_view codeText;
    // What follows "VR" or "CV", or a device line's operand (empty when it has no "$").
    std::string_view operand;
};

CompiledLine readCompiledLine(std::string_view line);

// The code of a device line as written: 0 to 255 without leading zeros; -1 otherwise.
int codeNumber(std::string_view code);

// The value lines before a coordinated move (one per axis) and an arc (one per operand): the
// constant form and the variable form of each.
inline constexpr std::array<Form, 4> kTargetConstantForms{Form::TargetX, Form::TargetY,
                                                          Form::TargetZ, Form::TargetU};
inline constexpr std::array<Form, 4> kTargetVariableForms{Form::TargetX_Var, Form::TargetY_Var,
                                                          Form::TargetZ_Var, Form::TargetU_Var};
inline constexpr std::array<Form, 3> kArcConstantForms{Form::ArcOperand1, Form::ArcOperand2,
                                                       Form::ArcOperand3};
inline constexpr std::array<Form, 3> kArcVariableForms{Form::ArcOperand1_Var, Form::ArcOperand2_Var,
                                                       Form::ArcOperand3_Var};

} // namespace progsmith
