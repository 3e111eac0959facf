// How close the set-up windows come to what the serial line allows, against controller-sim on a
// pseudo-terminal with wire time (10 bits per character, commands and replies both). Each line
// prints the median time of an operation, the wire time of the characters it put on the line
// and their ratio (aim: 1.1x or better):
//   - the upload "LMC-7 Setup" runs as it loads, alone over the window's own port;
//   - the whole load of the window: its controls, its port, the lists and that upload;
//   - "Down" of "DIO Control": 80 writes.
// After each, the same frames are sent again with plain system calls, as fast as the simulator
// answers them: the share of the wire time that takes is the simulator's pacing and the
// pseudo-terminal, what the window needs beyond it is ours.
//
//   setup_bench [runs]   (default 5; the median is shown)
//
// controller-sim is looked for beside the benchmark and up to two folders above it.

#include "bench_support.h"
#include "controller/parameter_set.h"
#include "controller/setup_panel.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "link/usb_library.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/setup/dio_window.h"
#include "motiondesk/setup/setup_window.h"
#include "motiondesk/ui/user_interface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using bench_support::CountingLink;
using bench_support::NoUsb;
using bench_support::PrintingUi;

struct Run {
    bool ok = false;
    double seconds = 0;
    long long characters = 0;
    std::vector<std::string> frames; // as written
};

// One controller-sim at a baud rate, and the services of a window that has the port.
class Bench {
public:
    explicit Bench(int baud) : baud_(baud) {
        ready_ =
            bench_support::startSimulator(sim_, folder_.path(), baud, true, {"--firmware", "230"});
        state_.LinkType = transport::LinkSerial;
        state_.SerialPort = 1;
        state_.BaudRate = std::to_string(baud);
        state_.LinkOpen = true;
        program_.FirmwareVersion = 230;
    }
    ~Bench() {
        sim_.terminate();
        sim_.waitForFinished(5000);
    }
    bool ready() const { return ready_; }

    session::WindowServices services() {
        const std::string exeFolder = folder_.path().toStdString();
        return {state_,
                transport_,
                ui_,
                clock_,
                usb_,
                [this, exeFolder]() -> std::unique_ptr<transport::SerialLink> {
                    return std::make_unique<CountingLink>(exeFolder, count_);
                },
                exeFolder,
                program_,
                {},
                {}};
    }

    // Times work and counts the characters it put on the line; a failed exchange or an
    // unexpected message fails the run.
    Run measure(const std::function<void()>& work, const std::string& expectedMessage = {}) {
        state_.LinkOpen = true;
        ui_.expected = expectedMessage;
        ui_.messages = 0;
        count_ = {};
        count_.recording = true;
        QElapsedTimer timer;
        timer.start();
        work();
        Run run;
        run.seconds = double(timer.nsecsElapsed()) / 1e9;
        run.characters = count_.characters;
        run.frames = count_.recorded;
        run.ok = state_.LinkOpen && ui_.messages == 0 && count_.characters > 0;
        return run;
    }

    // The frames again, each written and its reply read up to the carriage return, with plain
    // system calls on the pseudo-terminal.
    Run plainCalls(const std::vector<std::string>& frames) {
        Run run;
        const int port = bench_support::openRawPort(folder_.path() + "/ports/COM1", baud_);
        if (port < 0) return run;
        QElapsedTimer timer;
        timer.start();
        run.ok = bench_support::sendFramesPlain(port, frames, run.characters);
        run.seconds = double(timer.nsecsElapsed()) / 1e9;
        ::close(port);
        return run;
    }

private:
    int baud_;
    QTemporaryDir folder_;
    QProcess sim_;
    bool ready_ = false;
    transport::ConnectionState state_;
    PrintingUi ui_;
    transport::RealClock clock_;
    NoUsb usb_;
    transport::CommandTransport transport_{
        state_, transport::TransportPolicy::motiondesk(), nullptr, &usb_, &ui_, clock_};
    session::ProgramValues program_;
    bench_support::LineCount count_;
};

Run uploadAlone(Bench& bench) {
    session::WindowPort port(bench.services());
    port.OpenWindowPort();
    setup::SetupPanel panel;
    const int16_t firmware = 230;
    transport::RealClock clock;
    PrintingUi questions;
    setup::ParameterSet parameters(port.channel(), questions, clock, panel, firmware);
    return bench.measure([&] { parameters.UploadParameters(true); });
}

Run wholeLoad(Bench& bench) {
    std::unique_ptr<setup::SetupWindow> window;
    return bench.measure([&] { window = std::make_unique<setup::SetupWindow>(bench.services()); });
}

Run dioDown(Bench& bench) {
    setup::DioWindow window(bench.services());
    auto* down = window.findChild<QAbstractButton*>("Download");
    if (!down) return {};
    return bench.measure([&] { down->click(); }, "Download Done!");
}

// Prints the median run; nullptr when a run failed.
const Run* report(int baud, const char* what, std::vector<Run>& runs) {
    const bool allOk = !runs.empty() &&
                       std::all_of(runs.begin(), runs.end(), [](const Run& run) { return run.ok; });
    if (!allOk) {
        std::printf("%6d baud  %-24s failed\n", baud, what);
        return nullptr;
    }
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    const Run& median = runs[runs.size() / 2];
    const double wire = double(median.characters) * 10.0 / baud;
    std::printf("%6d baud  %-24s %8.1f ms  wire time %8.1f ms  %5.2fx  (%lld characters)\n", baud,
                what, median.seconds * 1000, wire * 1000, median.seconds / wire, median.characters);
    return &median;
}

// The window's run, then the same frames with plain calls.
bool reportWithPlainCalls(Bench& bench, int baud, const char* what, std::vector<Run>& runs,
                          int repeats) {
    const Run* median = report(baud, what, runs);
    if (!median) return false;
    std::vector<Run> plain;
    for (int i = 0; i < repeats; ++i)
        plain.push_back(bench.plainCalls(median->frames));
    return report(baud, "  the same, plain calls", plain) != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int repeats = bench_support::repeatsFrom(argc, argv, 5, 0).runs;
    if (bench_support::besideBuild("controller-sim").isEmpty()) {
        std::fprintf(stderr, "controller-sim not found near %s\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        return 1;
    }
    std::printf("set-up windows against controller-sim with wire time: median of %d runs\n",
                repeats);
    bool allOk = true;
    for (const int baud : {9600, 115200}) {
        Bench bench(baud);
        if (!bench.ready()) {
            std::fprintf(stderr, "controller-sim did not start at %d baud\n", baud);
            return 1;
        }
        std::vector<Run> uploads, loads, downs;
        for (int i = 0; i < repeats; ++i) {
            uploads.push_back(uploadAlone(bench));
            loads.push_back(wholeLoad(bench));
            downs.push_back(dioDown(bench));
        }
        allOk = reportWithPlainCalls(bench, baud, "Setup load: upload", uploads, repeats) && allOk;
        allOk = report(baud, "Setup load: whole window", loads) && allOk;
        allOk = reportWithPlainCalls(bench, baud, "DIO Down", downs, repeats) && allOk;
    }
    return allOk ? 0 : 1;
}
