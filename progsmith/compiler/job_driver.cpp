#include "progsmith/compiler/job_driver.h"

#include "common/textfile.h"
#include "jobfiles/file_names.h"
#include "jobfiles/program_file.h"
#include "jobfiles/results.h"
#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

namespace progsmith {

namespace {

using jobfiles::CompilerOperation;
using jobfiles::hasWildcard;

// What the window shows while each compile phase runs.
struct CompileStep {
    CompilePhase phase;
    const char* caption; // null: the caption stays
    int progress;
};
constexpr CompileStep kCompileSteps[] = {
    {CompilePhase::Clean, "Cleaning up program...", 100},
    {CompilePhase::Tokenise, "Checking syntax...", 200},
    {CompilePhase::Check, "Creating assembly...", 300},
    {CompilePhase::Assemble, nullptr, 800},
};
static_assert(std::size(kCompileSteps) == std::size(kCompilePhases));

// Lines ended by CR; LF characters are dropped and text after the last CR is not a line.
std::vector<std::string> linesEndedByCr(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (const char c : text) {
        if (c == '\r') {
            lines.push_back(std::move(current));
            current.clear();
        } else if (c != '\n') {
            current.push_back(c);
        }
    }
    return lines;
}

} // namespace

CompilerJob::CompilerJob(std::string programFolder, UserMessages& messages)
    : folder_(std::move(programFolder)), messages_(messages) {}

std::string CompilerJob::pathOf(const std::string& name) const {
    return jobfiles::pathIn(folder_, name);
}

void CompilerJob::load() {
    if (!ReadSetupFile()) {
        finishWithFailure("Could not find configuration file");
        return;
    }
    model_ = findModel(setup_.ModelCode);
    phases_ = CompilePhases(model_);
    resetRun();
    // Without an operation the run could never end; it ends here with a failure file instead.
    if (setup_.operation == CompilerOperation::None) {
        finishWithFailure("No operation in configuration file");
        return;
    }
    // Before any work: a run that is cancelled, killed or unable to write must not leave the
    // previous result to be read as this run's.
    if (auto error = jobfiles::removePreviousResult(resultPath())) finishWithFailure(*error);
}

std::string CompilerJob::resultPath() const {
    return pathOf(setup_.operation == CompilerOperation::Decompile ? jobfiles::kDecompileResultFile
                                                                   : jobfiles::kCompileResultFile);
}

void CompilerJob::resetRun() {
    orgProgram_.clear();
    runStep_ = 1;
    decompiledProgram_.clear();
    compileMsg_ = "NONE";
    compileDone_ = false;
    decompileDone_ = false;
    compileLineNumber_ = 0;
}

bool CompilerJob::ReadSetupFile() {
    const auto setup = jobfiles::readCompilerSetup(folder_);
    if (!setup) return false;
    setup_ = *setup;
    return true;
}

// A failure of the run itself, not of a line of the program: the failure word and the reason.
void CompilerJob::finishWithFailure(const std::string& reason) {
    const char* failed = setup_.operation == CompilerOperation::Decompile
                             ? jobfiles::kDecompileFailedText
                             : jobfiles::kCompileFailedText;
    resultWritten_ = jobfiles::writeRunFailure(resultPath(), failed, reason);
    runStep_ = 0;
    finished_ = true;
}

CompilerJob::LoadResult CompilerJob::LoadProgramFile() {
    const std::string path = pathOf(setup_.FileName);
    if (hasWildcard(path)) return LoadResult::Skipped;
    auto text = jobfiles::readProgramFile(path);
    if (!text) return LoadResult::Missing;
    orgProgram_ = std::move(*text);
    return LoadResult::Loaded;
}

void CompilerJob::LoadCompiledFile() {
    const std::string path = pathOf(setup_.FileName);
    if (hasWildcard(path)) return;
    const auto file = common::readTextFile(path);
    if (!file.ok()) {
        messages_.showMessage("File " + path + " does not exist!");
        return;
    }
    compileList2_.insert(compileList2_.end(), file.lines.begin(), file.lines.end());
}

void CompilerJob::tick() {
    if (finished_) return;
    if (setup_.operation == CompilerOperation::Compile)
        compileStep();
    else if (setup_.operation == CompilerOperation::Decompile)
        decompileStep();
}

void CompilerJob::cancel() {
    compileDone_ = false;
    finished_ = true;
}

// One phase per tick; the first tick reads the program file.
void CompilerJob::compileStep() {
    if (runStep_ < 1 || runStep_ > static_cast<int>(std::size(kCompileSteps))) return;
    if (runStep_ == 1) {
        if (LoadProgramFile() == LoadResult::Missing) {
            finishWithFailure("Could not find .prg file!");
            return;
        }
        phases_.setProgramText(orgProgram_);
    }
    const CompileStep& step = kCompileSteps[runStep_ - 1];
    if (step.caption) caption_ = step.caption;
    if (auto error = phases_.run(step.phase)) {
        failCompile(*error);
        return;
    }
    progress_ = step.progress;
    if (++runStep_ <= static_cast<int>(std::size(kCompileSteps))) return;
    compileDone_ = true;
    runStep_ = 0;
    FinishRun();
}

void CompilerJob::failCompile(const PhaseError& error) {
    compileMsg_ = error.message;
    if (error.selectsLine) {
        compileLineNumber_ = error.line;
        selectedLine_ = error.line;
    }
    compileDone_ = false;
    progress_ = 800;
    runStep_ = 0;
    FinishRun();
}

void CompilerJob::decompileStep() {
    switch (runStep_) {
    case 1:
        caption_ = "Getting program...";
        LoadCompiledFile();
        caption_ = "Decompiling program...";
        progress_ = 600;
        runStep_ = 2;
        return;
    case 2:
        progress_ = 800;
        orgProgram_ = Decompiler(model_).DecompileProgram(compileList2_);
        runStep_ = 3;
        return;
    case 3:
        caption_ = "Cleaning up program...";
        progress_ = 1000;
        decompiledProgram_ = AddSpacesToProg(orgProgram_);
        decompileDone_ = true;
        runStep_ = 0;
        FinishRun();
        return;
    default:
        return;
    }
}

std::optional<CompilerJob::Selection> CompilerJob::selection() const {
    if (!selectedLine_ || *selectedLine_ < 1) return std::nullopt;
    // Lines are counted by their CR; the text is taken to end with one.
    size_t start = 0;
    for (int line = 1; line < *selectedLine_; ++line) {
        const size_t cr = orgProgram_.find('\r', start);
        if (cr == std::string::npos) return std::nullopt;
        start = cr + 1;
        if (start < orgProgram_.size() && orgProgram_[start] == '\n') ++start;
    }
    if (start > orgProgram_.size()) return std::nullopt;
    const size_t cr = orgProgram_.find('\r', start);
    const size_t end = cr == std::string::npos ? orgProgram_.size() : cr;
    return Selection{start, end - start};
}

void CompilerJob::FinishRun() {
    if (setup_.operation == CompilerOperation::Compile)
        resultWritten_ = WriteCompileResult();
    else
        resultWritten_ = WriteDecompileResult();
    finished_ = true;
}

bool CompilerJob::WriteCompileResult() {
    const std::string path = pathOf(jobfiles::kCompileResultFile);
    if (!compileDone_) return jobfiles::writeCompileError(path, compileMsg_, compileLineNumber_);
    if (hasWildcard(path)) return false;
    return jobfiles::writeCompiledLines(path, phases_.compiledLines());
}

bool CompilerJob::WriteDecompileResult() {
    const std::string path = pathOf(jobfiles::kDecompileResultFile);
    if (!decompileDone_) return jobfiles::writeDecompileFailure(path);
    if (hasWildcard(path)) return false;
    return jobfiles::writeDecompiledLines(path, linesEndedByCr(decompiledProgram_));
}

} // namespace progsmith
