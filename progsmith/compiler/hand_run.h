#pragma once
// The compile phases run one at a time by hand, from the window's buttons Clean, Token, Check,
// Compile and "Add Spaces". Each phase works on what the phase before it left (the clean-up and
// the indentation on the window's program text), as the unattended run passes its lists on,
// and says what it produced, so a program can be followed through the compiler step by step.

#include "progsmith/compiler/model_tables.h"
#include "progsmith/compiler/phase_error.h"
#include "progsmith/compiler/tokeniser.h"

#include <optional>
#include <string>
#include <vector>

namespace progsmith {

struct PhaseOutput {
    std::string caption;            // what ran, and how it ended
    std::vector<std::string> lines; // what it produced, one entry per line
    std::optional<PhaseError> error;
};

class HandRun {
public:
    explicit HandRun(const ModelInfo* model) : model_(model) {}

    // Program text in, the cleaned lines out.
    PhaseOutput clean(const std::string& programText);
    // The cleaned lines in, the token table out (index, line and tokens of each row).
    PhaseOutput tokenise();
    // The token table checked; nothing produced but the verdict.
    PhaseOutput check() const;
    // The token table assembled into compiled lines.
    PhaseOutput compile();
    // The program text indented by its blocks.
    static std::string addSpaces(const std::string& programText);

    const std::vector<std::string>& cleanList() const { return cleanList_; }
    const TokenTable& tokens() const { return tokens_; }
    const std::vector<std::string>& compileList() const { return compileList_; }

private:
    const ModelInfo* model_;
    std::vector<std::string> cleanList_;
    TokenTable tokens_;
    std::vector<std::string> compileList_;
};

} // namespace progsmith
