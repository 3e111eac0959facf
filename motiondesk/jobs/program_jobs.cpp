#include "motiondesk/jobs/program_jobs.h"

#include "common/textfile.h"
#include "jobfiles/compiler_setup.h"
#include "jobfiles/file_names.h"
#include "jobfiles/loader_setup.h"
#include "jobfiles/program_file.h"
#include "jobfiles/results.h"
#include "link/command_transport.h"
#include "link/connection_state.h"
#include "motiondesk/session/helper_programs.h"
#include "motiondesk/session/program_values.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/user_interface.h"

#include <exception>
#include <stdexcept>

namespace jobs {

namespace {

using namespace jobfiles;

// A job that could not run to its end (a helper that would not start or did not finish, a
// result file that is missing or unreadable). Its text is what the user is shown.
class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::string> readResultLines(const std::string& path, size_t maxBytes) {
    ResultFile file = readResultFile(path, maxBytes);
    if (file.error) throw JobError(*file.error);
    return std::move(file.lines);
}

// The loader's job as Motiondesk describes it: its one link and its program values.
LoaderSetup loaderSetup(int16_t operation, bool clearOnly, const transport::ConnectionState& state,
                        const session::ProgramValues& program) {
    LoaderSetup setup;
    setup.LineLimitText = program.LineLimit;
    setup.LinkType =
        state.LinkType == transport::LinkUsb ? transport::LinkUsb : transport::LinkSerial;
    setup.DeviceName = state.DeviceName;
    setup.SerialPort = state.SerialPort;
    setup.BaudRate = state.BaudRate;
    setup.LoaderOperation = operation;
    setup.ClearOnly = clearOnly;
    setup.ProgramFileName = kCompileResultFile;
    setup.ModelCode = program.ModelName;
    return setup;
}

// The largest result files a helper writes: a compile of every slot, an upload of every slot
// at the longest line a slot can hold.
constexpr size_t kMaxCompileResultBytes = 4u << 20;
constexpr size_t kMaxLoaderResultBytes = 1u << 20;
constexpr size_t kMaxDecompileResultBytes = 64u << 20;

std::string joinedWithLineEnds(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace

ProgramJobs::ProgramJobs(const session::WindowServices& services, ProgramTexts& texts)
    : services_(services), texts_(texts), link_(services.transport, services.usb) {}

std::string ProgramJobs::path(const char* name) const {
    return pathIn(services_.exeFolder, name);
}

void ProgramJobs::report(const std::string& text) {
    services_.ui.showMessage(text);
}

void ProgramJobs::writeLines(const char* name, const std::vector<std::string>& lines) {
    if (!common::writeLinesAtomically(path(name), lines))
        throw JobError("File " + path(name) + " cannot be written.");
}

void ProgramJobs::runHelper(const char* program) {
    if (!services_.helpers) throw JobError("No helper programs are available.");
    const std::string programPath = path(program);
    const session::HelperRun run = services_.helpers->run(programPath);
    if (run.outcome == session::HelperRun::FailedToStart)
        throw JobError(programPath + " could not be started: " + run.errorText);
    if (run.outcome == session::HelperRun::Crashed)
        throw JobError(programPath + " ended before its job was done: " + run.errorText);
}

void ProgramJobs::CompileProgram() {
    try {
        compile();
    } catch (const std::exception& error) {
        report(error.what());
    }
}

void ProgramJobs::compile() {
    const std::string source = texts_.sourceText();
    if (source.empty()) return report("Nothing to compile!");
    writeLines(kProgramFile, programFileLines(source));
    writeLines(kCompilerSetupFile, compilerSetupLines(compileSetup(services_.program.ModelName)));
    runHelper(kCompilerProgram);
    const auto lines = readResultLines(path(kCompileResultFile), kMaxCompileResultBytes);
    const ResultVerdict outcome = judgeResult(lines, kCompileResultFile, EmptyResult::Failure);
    report(outcome.message);
    if (outcome.success) {
        texts_.showCompiledTotal(CountCompiledLines(lines));
    } else if (const auto line = ReadFailedLine(lines)) {
        texts_.selectSourceLine(*line);
    }
}

template <typename Job> void ProgramJobs::withLinkReleased(Job job) {
    std::string error;
    {
        const session::PortLoan loan(link_);
        try {
            job();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    }
    if (!link_.failure().empty()) {
        services_.state.LinkOpen = false;
        report("Communication Error! " + link_.failure());
    }
    if (!error.empty()) report(error);
}

void ProgramJobs::DownloadProgram() {
    withLinkReleased([this] { load(false); });
}

void ProgramJobs::ClearCodeSpace() {
    withLinkReleased([this] { load(true); });
}

void ProgramJobs::load(bool clearOnly) {
    writeLines(kLoaderSetupFile, loaderSetupLines(loaderSetup(DownloadOrClear, clearOnly,
                                                              services_.state, services_.program)));
    runHelper(kLoaderProgram);
    const auto lines = readResultLines(path(kDownloadResultFile), kMaxLoaderResultBytes);
    report(judgeResult(lines, kDownloadResultFile, EmptyResult::Failure).message);
}

void ProgramJobs::UploadProgram() {
    withLinkReleased([this] { upload(); });
}

void ProgramJobs::upload() {
    writeLines(kLoaderSetupFile,
               loaderSetupLines(loaderSetup(Upload, false, services_.state, services_.program)));
    runHelper(kLoaderProgram);
    // A failed upload is reported as it is, and the program texts stay as they were: decompiled,
    // its report would give an empty program that looks like a successful upload.
    const auto uploaded = readResultLines(path(kUploadResultFile), kMaxDecompileResultBytes);
    const ResultVerdict read = judgeResult(uploaded, kUploadResultFile, EmptyResult::Success);
    if (!read.success) return report(read.message);

    writeLines(kCompilerSetupFile, compilerSetupLines(decompileSetup(services_.program.ModelName)));
    runHelper(kCompilerProgram);
    const auto lines = readResultLines(path(kDecompileResultFile), kMaxDecompileResultBytes);
    const ResultVerdict decompiled = judgeResult(lines, kDecompileResultFile, EmptyResult::Success);
    if (decompiled.success) texts_.setAllTexts(joinedWithLineEnds(lines));
    report(decompiled.message);
}

} // namespace jobs
