#pragma once
// The four compile phases in one call: clean-up, tokeniser, check and assembler.

#include "progsmith/compiler/model_tables.h"
#include "progsmith/compiler/phase_error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace progsmith {

struct CompileOutcome {
    std::vector<std::string> lines; // the compiled lines when there is no error
    std::optional<PhaseError> error;
};

CompileOutcome compileProgram(std::string_view source, const ModelInfo* model);

} // namespace progsmith
