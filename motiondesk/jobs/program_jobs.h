#pragma once
// Compile, download, upload and clear: Motiondesk's side of the jobs it hands to Progsmith and
// Proglift. Each writes the job's files into the EXE folder, runs the helper program and waits
// for it, and reads its result; around every loader run the link is let go and taken back.
// A job that cannot run to its end shows why, after the link is back.

#include "motiondesk/jobs/link_release.h"

#include <optional>
#include <string>
#include <vector>

namespace session {
struct WindowServices;
class HelperPrograms;
} // namespace session

namespace jobs {

// The program text boxes the jobs read and fill: the main window's and, while it is open, the
// program editor's.
class ProgramTexts {
public:
    virtual ~ProgramTexts() = default;
    // The text to compile: the editor's while the editor compiles, else the main window's.
    virtual std::string sourceText() = 0;
    // Gives the source box the focus and selects its program line (counted from 1).
    virtual void selectSourceLine(int line) = 0;
    // Both boxes receive this text (an upload).
    virtual void setAllTexts(const std::string& text) = 0;
    // The main window's "Total Lines: " label.
    virtual void showCompiledTotal(int lines) = 0;
};

class ProgramJobs {
public:
    ProgramJobs(const session::WindowServices& services, ProgramTexts& texts);

    void CompileProgram();
    void DownloadProgram();
    void UploadProgram();
    void ClearCodeSpace();

private:
    std::string path(const char* name) const;
    void runHelper(const char* program);
    void writeLines(const char* name, const std::vector<std::string>& lines);
    void compile();
    // Download, or clear when clearOnly.
    void load(bool clearOnly);
    void upload();
    // Runs the job with the link let go; the link is back before any error of the job is shown.
    template <typename Job> void withLinkReleased(Job job);
    void report(const std::string& text);

    const session::WindowServices& services_;
    ProgramTexts& texts_;
    LinkRelease link_;
};

} // namespace jobs
