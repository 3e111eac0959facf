#pragma once
// The compile phases, in the one order a compile runs them: clean-up, tokeniser, check and
// assembler. Each phase works on what the phase before it left (the clean-up on the program
// text). A Progsmith run steps through them one per tick, the window's buttons Clean, Token,
// Check and Compile one per click, and compileProgram (the fuzzers, the benchmarks, the program
// simulator) all at once: the same code every time.

#include "progsmith/compiler/model_tables.h"
#include "progsmith/compiler/phase_error.h"
#include "progsmith/compiler/tokeniser.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace progsmith {

enum class CompilePhase { Clean, Tokenise, Check, Assemble };
inline constexpr CompilePhase kCompilePhases[] = {CompilePhase::Clean, CompilePhase::Tokenise,
                                                  CompilePhase::Check, CompilePhase::Assemble};

// What a phase run by hand shows.
struct PhaseOutput {
    std::string caption;            // what ran, and how it ended
    std::vector<std::string> lines; // what it produced, one entry per line
    std::optional<PhaseError> error;
};

class CompilePhases {
public:
    explicit CompilePhases(const ModelInfo* model) : model_(model) {}

    // The program text the clean-up starts from.
    void setProgramText(std::string_view text) { programText_ = text; }
    // Runs one phase on what the phase before it left; its error, if it found one.
    std::optional<PhaseError> run(CompilePhase phase);
    // Runs one phase and says what it produced, for the window.
    PhaseOutput runShown(CompilePhase phase);

    // The assembler's lines (as far as it got when it found an error).
    const std::vector<std::string>& compiledLines() const { return compileList_; }
    std::vector<std::string> takeCompiledLines() { return std::move(compileList_); }
    // The source line of each compiled line (after a compile without error).
    const std::vector<int>& sourceLines() const { return sourceLines_; }

private:
    const ModelInfo* model_;
    std::string programText_;
    std::vector<std::string> cleanList_;
    TokenTable tokens_;
    std::vector<std::string> compileList_;
    std::vector<int> sourceLines_;
};

struct CompileOutcome {
    std::vector<std::string> lines; // the compiled lines when there is no error
    std::optional<PhaseError> error;
    std::vector<int> sourceLines; // the source line of each compiled line
};

// Every phase in order, stopping at the first error.
CompileOutcome compileProgram(std::string_view source, const ModelInfo* model);

// The program text indented by its blocks (the window's "Add Spaces"). The indentation keeps only
// lines ended by a CR; a last line without one is kept too.
std::string addSpaces(const std::string& programText);

} // namespace progsmith
