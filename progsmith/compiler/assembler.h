#pragma once
// Turns the token table into compiled program lines for one model.

#include "progsmith/compiler/model_tables.h"
#include "progsmith/compiler/phase_error.h"
#include "progsmith/compiler/tokeniser.h"

#include <optional>
#include <string>
#include <vector>

namespace progsmith {

struct AssembleResult {
    std::vector<std::string> lines; // complete only when there is no error
    std::optional<PhaseError> error;
    // The source line each compiled line came from, slot by slot (beside lines).
    std::vector<int> sourceLines;
};

// Every statement in order; jump distances are the real distances between the produced lines.
// The first error ends the phase.
AssembleResult Assemble(const TokenTable& table, const ModelInfo* model);

} // namespace progsmith
