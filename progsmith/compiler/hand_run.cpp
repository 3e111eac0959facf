#include "progsmith/compiler/hand_run.h"

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

PhaseOutput HandRun::clean(const std::string& programText) {
    cleanList_ = Clean(programText);
    return {counted("Clean", cleanList_.size(), "lines"), cleanList_, std::nullopt};
}

PhaseOutput HandRun::tokenise() {
    tokens_ = Tokenise(cleanList_);
    PhaseOutput output{counted("Token", tokens_.size(), "rows"), {}, std::nullopt};
    for (const TokenRow& row : tokens_)
        output.lines.push_back(rowText(row));
    return output;
}

PhaseOutput HandRun::check() const {
    if (auto error = CheckProgram(tokens_, model_)) return {failed("Check", *error), {}, error};
    return {"Check: OK", {}, std::nullopt};
}

PhaseOutput HandRun::compile() {
    AssembleResult result = Assemble(tokens_, model_);
    compileList_ = std::move(result.lines);
    if (result.error) return {failed("Compile", *result.error), compileList_, result.error};
    return {counted("Compile", compileList_.size(), "compiled lines"), compileList_, std::nullopt};
}

// The indentation keeps only lines ended by a CR; a last line without one is kept too.
std::string HandRun::addSpaces(const std::string& programText) {
    if (programText.empty() || programText.back() == '\r' || programText.ends_with("\r\n"))
        return AddSpacesToProg(programText);
    return AddSpacesToProg(programText + "\r\n");
}

} // namespace progsmith
