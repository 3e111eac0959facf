// Motiondesk's compile and download of a 1,785-line program, button to "Done!", with the real
// Progsmith and Proglift against controller-sim on a pseudo-terminal at 115200 baud, with wire
// time and without. Each job is split into the helper's fixed cost (a run of the same helper
// that does almost nothing: for Progsmith that includes its four 100 ms phase ticks), the
// helper's own work, and what Motiondesk itself spends (writing the job files, starting the
// process, reading the result). The download is also set against the wire time of its
// characters plus the loader's start.
//
//   program_jobs_bench [runs]   (default 3; the median is shown; controller-sim, progsmith and
//                                proglift are looked for beside the build)

#include "bench_support.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "link/usb_library.h"
#include "motiondesk/jobs/process_helpers.h"
#include "motiondesk/jobs/program_jobs.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/user_interface.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kProgramLines = 1785;
constexpr int kBaud = 115200;

// 1,784 settings and END: as many compiled lines as the controller has slots.
std::string program() {
    std::string text;
    for (int i = 0; i + 1 < kProgramLines; ++i)
        text += "HSPD = " + std::to_string(1000 + i * 7 % 9000) + "\r\n";
    return text + "END\r\n";
}

class Texts final : public jobs::ProgramTexts {
public:
    std::string sourceText() override { return source; }
    void selectSourceLine(int) override {}
    void setAllTexts(const std::string&) override {}
    void showCompiledTotal(int) override {}
    std::string source;
};

class RecordingUi final : public ui::UserInterface {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFileName(const ui::FileDialog&) override { return {}; }
    std::optional<std::string> saveFileName(const ui::FileDialog&) override { return {}; }
    void quitProgram() override {}
    std::vector<std::string> messages;
};

// The real helpers, timed.
class TimedHelpers final : public session::HelperPrograms {
public:
    session::HelperRun run(const std::string& programPath) override {
        QElapsedTimer timer;
        timer.start();
        const session::HelperRun result = real_.run(programPath);
        helperMs += timer.nsecsElapsed() / 1e6;
        return result;
    }
    double helperMs = 0;

private:
    jobs::ProcessHelpers real_;
};

using bench_support::besideBuild;
using bench_support::median;
using bench_support::NoUsb;

struct Timing {
    double totalMs = 0;  // button to "Done!"
    double helperMs = 0; // the helper process, start to end
    bool done = false;
};

struct World {
    QTemporaryDir folder;
    QProcess sim;
    transport::ConnectionState state;
    RecordingUi ui;
    transport::RealClock clock;
    NoUsb usb;
    std::unique_ptr<transport::SerialPortLink> port;
    std::unique_ptr<transport::CommandTransport> transport;
    session::ProgramValues program;
    TimedHelpers helpers;
    Texts texts;
    std::unique_ptr<session::WindowServices> services;
    std::unique_ptr<jobs::ProgramJobs> jobs;

    bool start(bool wireTime) {
        const QString exe = folder.filePath("EXE");
        QDir().mkpath(exe + "/ports");
        for (const char* helper : {"progsmith", "proglift"})
            if (!QFile::copy(besideBuild(QString("EXE/") + helper), exe + "/" + helper))
                return false;
        QStringList arguments = {"--pty",  exe + "/ports/COM1",
                                 "--baud", QString::number(kBaud),
                                 "--log",  folder.filePath("commands.log")};
        if (wireTime) arguments << "--wire-time";
        sim.start(besideBuild("controller-sim"), arguments);
        bool ready = false;
        while (!ready && sim.waitForReadyRead(10000))
            while (sim.canReadLine())
                ready = ready || sim.readLine().trimmed() == "ready";
        if (!ready) return false;
        state.LinkType = transport::LinkSerial;
        state.SerialPort = 1;
        state.BaudRate = std::to_string(kBaud);
        port = std::make_unique<transport::SerialPortLink>(exe.toStdString());
        transport = std::make_unique<transport::CommandTransport>(
            state, transport::TransportPolicy::motiondesk(), port.get(), &usb, &ui, clock);
        if (!transport->OpenSerialPort()) return false;
        state.LinkOpen = true;
        services = std::make_unique<session::WindowServices>(session::WindowServices{
            state, *transport, ui, clock, usb, {}, exe.toStdString(), program});
        services->helpers = &helpers;
        jobs = std::make_unique<jobs::ProgramJobs>(*services, texts);
        return true;
    }
    ~World() {
        sim.terminate();
        sim.waitForFinished(5000);
    }

    template <typename Job> Timing time(Job job) {
        ui.messages.clear();
        helpers.helperMs = 0;
        QElapsedTimer timer;
        timer.start();
        job();
        Timing timing{timer.nsecsElapsed() / 1e6, helpers.helperMs, false};
        timing.done = ui.messages == std::vector<std::string>{"Done!"};
        if (!timing.done)
            for (const auto& message : ui.messages)
                std::fprintf(stderr, "message: %s\n", message.c_str());
        return timing;
    }

    // Characters a download puts on the line: each command framed as "@01" + command + CR, each
    // answered "OK" + CR, as controller-sim logged them.
    long long downloadCharacters(std::streamoff from) {
        std::ifstream log(folder.filePath("commands.log").toStdString());
        log.seekg(from);
        long long characters = 0;
        std::string endpoint, id, command;
        while (log >> endpoint >> id >> command)
            if (command.starts_with("SA")) characters += 3 + command.size() + 1 + 3;
        return characters;
    }
};

void report(const char* what, double total, double start, double helper) {
    std::printf(
        "  %-9s %8.1f ms: helper's fixed cost %6.1f ms, its work %7.1f ms, Motiondesk %5.1f ms\n",
        what, total, start, helper - start, total - helper);
}

bool run(bool wireTime, int runs) {
    std::vector<double> compileTotal, compileHelper, compileStart;
    std::vector<double> downloadTotal, downloadHelper, loaderStart, wireMs;
    for (int i = 0; i < runs; ++i) {
        World world;
        if (!world.start(wireTime)) {
            std::fprintf(stderr, "the simulator or the helper programs could not be started\n");
            return false;
        }
        // The helpers' start: a compile of one line, a download of nothing (refused at once).
        world.texts.source = "END\r\n";
        compileStart.push_back(world.time([&] { world.jobs->CompileProgram(); }).helperMs);
        std::ofstream(world.folder.filePath("EXE/CompileOut.txt").toStdString()) << "";
        world.helpers.helperMs = 0;
        world.jobs->DownloadProgram(); // refused: the file holds no line
        loaderStart.push_back(world.helpers.helperMs);

        world.texts.source = program();
        const Timing compile = world.time([&] { world.jobs->CompileProgram(); });
        const std::streamoff logged = QFileInfo(world.folder.filePath("commands.log")).size();
        const Timing download = world.time([&] { world.jobs->DownloadProgram(); });
        if (!compile.done || !download.done) return false;
        compileTotal.push_back(compile.totalMs);
        compileHelper.push_back(compile.helperMs);
        downloadTotal.push_back(download.totalMs);
        downloadHelper.push_back(download.helperMs);
        wireMs.push_back(world.downloadCharacters(logged) * 10.0 * 1000.0 / kBaud);
    }
    std::printf("%d baud, %s: median of %d runs\n", kBaud, wireTime ? "wire time" : "no wire time",
                runs);
    report("compile", median(compileTotal), median(compileStart), median(compileHelper));
    report("download", median(downloadTotal), median(loaderStart), median(downloadHelper));
    if (wireTime) {
        const double limit = median(wireMs) + median(loaderStart);
        std::printf("  download against its wire time %.1f ms + the loader's start: %.2fx "
                    "(aim: at most 1.15x)\n",
                    median(wireMs), median(downloadTotal) / limit);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 3;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') runs = std::max(1, std::atoi(argv[i]));
    const bool ok = run(false, runs) && run(true, runs);
    return ok ? 0 : 1;
}
