#pragma once
// One Progsmith run: reads the job from progsmith_setup.txt in the program folder, steps through
// the phases of COMPILE or DECOMPILE one per tick, and writes CompileOut.txt or DecompileOut.prg.
// Plain C++: the window calls load() once, tick() on its timer and cancel() on its button, and
// closes when finished() turns true.

#include "jobfiles/compiler_setup.h"
#include "progsmith/compiler/compile_phases.h"
#include "progsmith/compiler/model_tables.h"
#include "progsmith/compiler/user_messages.h"

#include <optional>
#include <string>
#include <vector>

namespace progsmith {

class CompilerJob {
public:
    CompilerJob(std::string programFolder, UserMessages& messages);

    // Window load: reads the set-up file, selects the model, removes the previous result of the
    // operation and resets the run. A set-up file that is missing or names no operation, or a
    // previous result that cannot be removed, finishes the run at once with a failure file.
    void load();
    // One step of the run; does nothing once it has finished.
    void tick();
    // Ends the run at once without writing any result file.
    void cancel();

    bool finished() const { return finished_; }
    // False when the result could not be written (a folder without write access, a full disk);
    // its failure is then in its place where that was still possible.
    bool resultWritten() const { return resultWritten_; }
    // The model the set-up file names; null for a code that is none of the thirteen.
    const ModelInfo* model() const { return model_; }

    // What the window shows.
    const std::string& caption() const { return caption_; }
    int progress() const { return progress_; }
    const std::string& orgProgram() const { return orgProgram_; }
    // 1-based source line that the last error selected, and its character range in orgProgram().
    std::optional<int> selectedLine() const { return selectedLine_; }
    struct Selection {
        size_t start = 0;
        size_t length = 0;
    };
    std::optional<Selection> selection() const;

private:
    bool ReadSetupFile();
    enum class LoadResult { Loaded, Missing, Skipped };
    LoadResult LoadProgramFile();
    void LoadCompiledFile();
    void FinishRun();
    bool WriteCompileResult();
    bool WriteDecompileResult();

    std::string pathOf(const std::string& name) const;
    // CompileOut.txt, or DecompileOut.prg for a DECOMPILE.
    std::string resultPath() const;
    void resetRun();
    void finishWithFailure(const std::string& reason);
    void compileStep();
    void decompileStep();
    void failCompile(const PhaseError& error);

    std::string folder_;
    UserMessages& messages_;

    jobfiles::CompilerSetup setup_;
    const ModelInfo* model_ = nullptr;

    std::string orgProgram_;
    CompilePhases phases_{nullptr};
    std::vector<std::string> compileList2_;
    std::string compileMsg_ = "NONE";
    bool compileDone_ = false;
    bool decompileDone_ = false;
    int compileLineNumber_ = 0;
    std::string decompiledProgram_;
    int runStep_ = 1;

    std::string caption_;
    int progress_ = 0;
    std::optional<int> selectedLine_;
    bool finished_ = false;
    bool resultWritten_ = false;
};

} // namespace progsmith
