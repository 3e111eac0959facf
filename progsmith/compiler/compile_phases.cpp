#include "progsmith/compiler/compile_phases.h"

#include "progsmith/compiler/assembler.h"
#include "progsmith/compiler/clean.h"
#include "progsmith/compiler/indent.h"
#include "progsmith/compiler/syntax_check.h"

namespace progsmith {

namespace {

std::string counted(const char* phase, size_t count, const char* what) {
    return std::string(phase) + ": " + std::to_string(count) + " " + what;
}

std::string failed(const char* phase, const PhaseError& error) {
    std::string caption = std::string(phase) + " failed: " + error.message;
    if (error.selectsLine) caption += " (Line: " + std::to_string(error.line) + ")";
    return caption;
}

std::string rowText(const TokenRow& row) {
    std::string text = row.index + " " + row.lineNumber;
    for (int n = 1; n <= row.count; ++n)
        text += " | " + row.t(n);
    return text;
}

} // namespace

std::optional<PhaseError> CompilePhases::run(CompilePhase phase) {
    switch (phase) {
    case CompilePhase::Clean:
        cleanList_ = Clean(programText_);
        return std::nullopt;
    case CompilePhase::Tokenise:
        tokens_ = Tokenise(cleanList_);
        return std::nullopt;
    case CompilePhase::Check:
        return CheckProgram(tokens_, model_);
    case CompilePhase::Assemble: {
        AssembleResult result = Assemble(tokens_, model_);
        compileList_ = std::move(result.lines);
        sourceLines_ = std::move(result.sourceLines);
        return std::move(result.error);
    }
    }
    return std::nullopt;
}

PhaseOutput CompilePhases::runShown(CompilePhase phase) {
    auto error = run(phase);
    switch (phase) {
    case CompilePhase::Clean:
        return {counted("Clean", cleanList_.size(), "lines"), cleanList_, std::nullopt};
    case CompilePhase::Tokenise: {
        PhaseOutput output{counted("Token", tokens_.size(), "rows"), {}, std::nullopt};
        for (const TokenRow& row : tokens_)
            output.lines.push_back(rowText(row));
        return output;
    }
    case CompilePhase::Check:
        if (error) return {failed("Check", *error), {}, error};
        return {"Check: OK", {}, std::nullopt};
    case CompilePhase::Assemble:
        if (error) return {failed("Compile", *error), compileList_, error};
        return {counted("Compile", compileList_.size(), "compiled lines"), compileList_,
                std::nullopt};
    }
    return {};
}

CompileOutcome compileProgram(std::string_view source, const ModelInfo* model) {
    CompilePhases phases(model);
    phases.setProgramText(source);
    for (const CompilePhase phase : kCompilePhases)
        if (auto error = phases.run(phase)) return {{}, std::move(error), {}};
    std::vector<int> sourceLines = phases.sourceLines();
    return {phases.takeCompiledLines(), std::nullopt, std::move(sourceLines)};
}

std::string addSpaces(const std::string& programText) {
    if (programText.empty() || programText.back() == '\r' || programText.ends_with("\r\n"))
        return AddSpacesToProg(programText);
    return AddSpacesToProg(programText + "\r\n");
}

} // namespace progsmith
