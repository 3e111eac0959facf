#pragma once
// The check between tokeniser and assembler: every statement on its own, then the program's
// END, its subroutines after END, and duplicate subroutine and program numbers.

#include "progsmith/compiler/model_tables.h"
#include "progsmith/compiler/phase_error.h"
#include "progsmith/compiler/tokeniser.h"

#include <optional>
#include <string>

namespace progsmith {

// "OK" when the statement is well formed, otherwise the error message.
std::string CheckProg(const TokenRow& row, const ModelInfo* model);

// The first error of the program, or nothing when it passed.
std::optional<PhaseError> CheckProgram(const TokenTable& table, const ModelInfo* model);

} // namespace progsmith
