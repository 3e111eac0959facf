// Compile, download and upload as the user runs them: the main window's buttons "Compile",
// "Download" and "Upload", with the real Progsmith and Proglift against controller-sim on a
// pseudo-terminal at 115200 baud with wire time, timed from the click to what the user waits
// for ("Done!", or the decompiled text in the program box).
//
// Each is set beside what it cannot do without: the compile beside a run of Progsmith on a
// one-line program plus the compiler's own work on the program (timed in this process); the
// download beside the loader's start plus the wire time of its characters, its SR=0 and the
// 1,000 ms wait after it shown on their own line; the upload beside the loader's start, the wire
// time and a decompile run of Progsmith.
//
//   program_jobs_bench [runs]   (default 3; the median is shown; controller-sim, progsmith and
//                                proglift are looked for beside the build)

#include "bench_support.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "motiondesk/jobs/process_helpers.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/session/helper_programs.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/ui/user_interface.h"
#include "progsmith/compiler/compile_phases.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bench_support::besideBuild;
using bench_support::median;

constexpr int kBaud = 115200;

// Settings and END: a program of the given source lines.
std::string program(int lines) {
    std::string text;
    for (int i = 0; i + 1 < lines; ++i)
        text += "HSPD = " + std::to_string(1000 + i * 7 % 9000) + "\r\n";
    return text + "END\r\n";
}

class RecordingUi final : public ui::UserInterface {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFileName(const ui::FileDialog&) override { return {}; }
    std::optional<std::string> saveFileName(const ui::FileDialog&) override { return {}; }
    void quitProgram() override {}
    std::vector<std::string> messages;
};

// The real helpers, each run timed by program.
class TimedHelpers final : public session::HelperPrograms {
public:
    session::HelperRun run(const std::string& programPath) override {
        QElapsedTimer timer;
        timer.start();
        const session::HelperRun result = real_.run(programPath);
        (programPath.ends_with("proglift") ? loaderMs : compilerMs) += timer.nsecsElapsed() / 1e6;
        return result;
    }
    double loaderMs = 0;
    double compilerMs = 0;

private:
    jobs::ProcessHelpers real_;
};

// The protocol's waits, kept and added up.
class CountingClock final : public transport::Clock {
public:
    void sleepMs(int milliseconds) override {
        real_.sleepMs(milliseconds);
        sleptMs += milliseconds;
    }
    double sleptMs = 0;

private:
    transport::RealClock real_;
};

struct Timing {
    double totalMs = 0;
    double compilerMs = 0;
    double loaderMs = 0;
    double waitedMs = 0;
    bool ok = false;
};

struct World {
    QTemporaryDir folder;
    QProcess sim;
    transport::ConnectionState state;
    RecordingUi ui;
    CountingClock clock;
    bench_support::NoUsb usb;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    TimedHelpers helpers;
    std::unique_ptr<session::WindowServices> services;
    std::unique_ptr<mainwindow::MainWindow> window;

    bool start() {
        const QString exe = folder.filePath("EXE");
        QDir().mkpath(exe + "/ports");
        for (const char* helper : {"progsmith", "proglift"})
            if (!QFile::copy(besideBuild(QString("EXE/") + helper), exe + "/" + helper))
                return false;
        if (!bench_support::startSimulator(sim, exe, kBaud, true,
                                           {"--log", folder.filePath("commands.log")}))
            return false;
        state.LinkType = transport::LinkSerial;
        state.SerialPort = 1;
        state.BaudRate = std::to_string(kBaud);
        const std::string exeFolder = exe.toStdString();
        services = std::make_unique<session::WindowServices>(session::WindowServices{
            state, transport, ui, clock, usb,
            [exeFolder]() -> std::unique_ptr<transport::SerialLink> {
                return std::make_unique<transport::SerialPortLink>(exeFolder);
            },
            exeFolder, program});
        services->helpers = &helpers;
        window = std::make_unique<mainwindow::MainWindow>(*services);
        // No poll between the clicks: each is timed alone.
        window->setPollPaused(true);
        return state.LinkOpen && ui.messages.empty();
    }
    ~World() {
        window.reset();
        sim.terminate();
        sim.waitForFinished(5000);
    }

    void setProgram(const std::string& text) {
        window->findChild<ui::ProgramTextEdit*>("OrgProgram")->setProgramText(text);
    }
    std::string programText() {
        return window->findChild<ui::ProgramTextEdit*>("OrgProgram")->programText();
    }

    Timing click(const char* button, const std::string& expected) {
        ui.messages.clear();
        helpers.loaderMs = helpers.compilerMs = 0;
        clock.sleptMs = 0;
        QElapsedTimer timer;
        timer.start();
        window->findChild<QAbstractButton*>(button)->click();
        Timing timing{timer.nsecsElapsed() / 1e6, helpers.compilerMs, helpers.loaderMs,
                      clock.sleptMs, ui.messages == std::vector<std::string>{expected}};
        if (!timing.ok)
            for (const auto& message : ui.messages)
                std::fprintf(stderr, "message: %s\n", message.c_str());
        return timing;
    }

    // Characters the slot commands put on the line since the log had this size: each framed as
    // "@01" + command + CR, each answered with up to its slot's line + CR.
    long long slotCharacters(std::streamoff from, bool reads) {
        std::ifstream log(folder.filePath("commands.log").toStdString());
        log.seekg(from);
        long long characters = 0;
        std::string endpoint, id, command;
        while (log >> endpoint >> id >> command)
            if (command.starts_with("SA")) characters += 3 + command.size() + 1 + (reads ? 9 : 3);
        return characters;
    }
    std::streamoff logSize() { return QFileInfo(folder.filePath("commands.log")).size(); }
};

double compilerWorkMs(const std::string& text) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto outcome = progsmith::compileProgram(text, progsmith::findModel("KT-210"));
        runs.push_back(timer.nsecsElapsed() / 1e6);
        if (outcome.error) return -1;
    }
    return median(runs);
}

struct Figures {
    std::vector<double> compileSmall, compileLarge, compilerStart;
    std::vector<double> download, downloadWait, loaderStart, downloadWire;
    std::vector<double> upload, uploadWire, decompileRun;
};

bool runOnce(Figures& figures, int largeLines) {
    World world;
    if (!world.start()) {
        std::fprintf(stderr, "the simulator, the helpers or the main window did not start\n");
        return false;
    }
    // Progsmith's start: a compile of one line.
    world.setProgram("END\r\n");
    const Timing empty = world.click("CompileAll", "Done!");
    world.setProgram(program(10));
    const Timing small = world.click("CompileAll", "Done!");
    world.setProgram(program(largeLines));
    const Timing large = world.click("CompileAll", "Done!");
    // Proglift's start: a download of a file it refuses at once.
    std::ofstream(world.folder.filePath("EXE/CompileOut.txt").toStdString()) << "";
    const Timing refused = world.click("DownloadSAP", "");
    world.setProgram(program(largeLines));
    world.click("CompileAll", "Done!");
    const std::streamoff beforeDownload = world.logSize();
    const Timing download = world.click("DownloadSAP", "Done!");
    const long long downloadCharacters = world.slotCharacters(beforeDownload, false);
    world.setProgram("");
    const std::streamoff beforeUpload = world.logSize();
    const Timing upload = world.click("UploadSAP", "Done!");
    const long long uploadCharacters = world.slotCharacters(beforeUpload, true);
    if (!empty.ok || !small.ok || !large.ok || !download.ok || !upload.ok ||
        world.programText().find("HSPD") == std::string::npos)
        return false;
    figures.compilerStart.push_back(empty.totalMs);
    figures.compileSmall.push_back(small.totalMs);
    figures.compileLarge.push_back(large.totalMs);
    figures.loaderStart.push_back(refused.loaderMs);
    figures.download.push_back(download.totalMs);
    figures.downloadWait.push_back(download.waitedMs);
    figures.downloadWire.push_back(downloadCharacters * 10.0 * 1000.0 / kBaud);
    figures.upload.push_back(upload.totalMs);
    figures.uploadWire.push_back(uploadCharacters * 10.0 * 1000.0 / kBaud);
    figures.decompileRun.push_back(upload.compilerMs);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 3;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') runs = std::max(1, std::atoi(argv[i]));
    constexpr int kLargeLines = 1785;
    Figures figures;
    for (int i = 0; i < runs; ++i)
        if (!runOnce(figures, kLargeLines)) return 1;

    const double start = median(figures.compilerStart);
    std::printf("Buttons of the main window, %d baud with wire time: median of %d runs\n", kBaud,
                runs);
    for (const auto& [lines, totals] :
         {std::pair{10, &figures.compileSmall}, std::pair{kLargeLines, &figures.compileLarge}}) {
        const double work = compilerWorkMs(program(lines));
        const double total = median(*totals);
        std::printf("  Compile, %4d source lines, click to \"Done!\": %7.1f ms; Progsmith on a "
                    "one-line program %6.1f ms + the compiler's work %5.1f ms: %.2fx (aim: at "
                    "most 1.3x)\n",
                    lines, total, start, work, total / (start + work));
    }
    const double loader = median(figures.loaderStart);
    const double wait = median(figures.downloadWait);
    const double download = median(figures.download);
    const double wire = median(figures.downloadWire);
    std::printf("  Download, %d lines, click to \"Done!\": %7.1f ms, of which SR=0 and the "
                "protocol's wait after it: %6.1f ms\n",
                kLargeLines, download, wait);
    std::printf("    the rest %7.1f ms beside the loader's start %5.1f ms + the wire time %7.1f "
                "ms: %.2fx\n",
                download - wait, loader, wire, (download - wait) / (loader + wire));
    const double upload = median(figures.upload);
    const double uploadWire = median(figures.uploadWire);
    const double decompile = median(figures.decompileRun);
    std::printf("  Upload, %d lines, click to the decompiled text: %7.1f ms beside the loader's "
                "start %5.1f ms + the wire time %7.1f ms + the decompile run %6.1f ms: %.2fx\n",
                kLargeLines, upload, loader, uploadWire, decompile,
                upload / (loader + uploadWire + decompile));
    return 0;
}
