// How fast the main window's status poll runs against controller-sim on a pseudo-terminal, and
// how close that comes to what the serial line allows. Each run prints the ticks per second the
// poll achieved and the limit of the line: its characters per second (10 bits per character)
// divided by the characters one tick puts on the wire, commands and replies together.
// With wire time, the same commands are then sent again with plain system calls, as fast as the
// simulator answers them: the share of the limit that reaches is the simulator's pacing, what
// the poll loses beyond it is ours.
//
//   status_poll_bench [runs [seconds per run]]   (default 3 runs of 2 s; the median is shown)
//
// controller-sim is looked for beside the benchmark and up to two folders above it.

#include "motiondesk/main/main_window.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/transport/clock.h"
#include "motiondesk/transport/command_transport.h"
#include "motiondesk/transport/connection_state.h"
#include "motiondesk/transport/serial_port_link.h"
#include "motiondesk/transport/usb_library.h"
#include "motiondesk/ui/user_interface.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

// Counts the characters that cross the line in both directions.
class CountingLink final : public transport::SerialLink {
public:
    explicit CountingLink(std::string exeFolder) : port_(std::move(exeFolder)) {}
    bool open(int portNumber, const std::string& settings) override {
        return port_.open(portNumber, settings);
    }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    bool reopen() override { return port_.reopen(); }
    bool write(const std::string& bytes) override {
        characters += bytes.size();
        if (recording) frames.push_back(bytes);
        return port_.write(bytes);
    }
    transport::SerialReadResult readChar(int silenceMs) override {
        const auto result = port_.readChar(silenceMs);
        if (result.status == transport::SerialReadResult::Char) ++characters;
        return result;
    }
    std::string errorText() const override { return port_.errorText(); }

    long long characters = 0;
    bool recording = false;
    std::vector<std::string> frames; // what one recorded tick wrote

private:
    transport::SerialPortLink port_;
};

// No dialogs in a benchmark: every message is printed and counted as a failure.
class PrintingUi final : public ui::UserInterface {
public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++messages;
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFileName(const ui::FileDialog&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const ui::FileDialog&) override { return std::nullopt; }
    void quitProgram() override {}
    int messages = 0;
};

class NoUsb final : public transport::UsbLibrary {
public:
    bool available() override { return false; }
    int32_t GetNumDevices(int32_t&) override { return 0; }
    int32_t GetProductString(int32_t, uint8_t*, int32_t) override { return 0; }
    int32_t SetTimeouts(int32_t, int32_t) override { return 0; }
    int32_t Open(int32_t, int32_t&) override { return 0; }
    int32_t SendRecv(int32_t, const uint8_t*, int32_t, int32_t, uint8_t*) override { return 0; }
    int32_t Flush(int32_t) override { return 0; }
    int32_t Close(int32_t) override { return 0; }
};

QString findSimulator() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 3; ++up) {
        if (QFileInfo(dir.filePath("controller-sim")).isExecutable())
            return dir.filePath("controller-sim");
        dir.cdUp();
    }
    return {};
}

bool startSimulator(QProcess& sim, const QString& program, const QString& folder, int baud,
                    bool wireTime) {
    QStringList arguments = {"--pty", folder + "/ports/COM1", "--baud", QString::number(baud)};
    if (wireTime) arguments << "--wire-time";
    sim.start(program, arguments);
    while (sim.waitForReadyRead(10000))
        while (sim.canReadLine())
            if (sim.readLine().trimmed() == "ready") return true;
    return false;
}

struct RunResult {
    bool ok = false;
    long long ticks = 0;
    long long characters = 0;
    double seconds = 0;
    std::vector<std::string> frames; // the commands of one tick, as written
};

speed_t speedOf(int baud) {
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    default:
        return B115200;
    }
}

// The frames of one tick, over and over, with plain system calls: each is written and its reply
// read up to the carriage return.
RunResult measureBare(const QString& simulator, int baud, double seconds,
                      const std::vector<std::string>& frames) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    QProcess sim;
    RunResult result;
    if (frames.empty() || !startSimulator(sim, simulator, folder.path(), baud, true)) return result;
    const int port =
        ::open((folder.path() + "/ports/COM1").toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios settings{};
    if (port >= 0 && tcgetattr(port, &settings) == 0) {
        cfmakeraw(&settings);
        cfsetispeed(&settings, speedOf(baud));
        cfsetospeed(&settings, speedOf(baud));
        tcsetattr(port, TCSANOW, &settings);
        result.ok = true;
        QElapsedTimer timer;
        timer.start();
        while (result.ok && timer.elapsed() < seconds * 1000) {
            for (const std::string& frame : frames) {
                result.characters += ::write(port, frame.data(), frame.size());
                char c = 0;
                do {
                    pollfd wait{port, POLLIN, 0};
                    if (::poll(&wait, 1, 1000) != 1 || ::read(port, &c, 1) != 1) {
                        result.ok = false;
                        break;
                    }
                    ++result.characters;
                } while (c != '\r');
            }
            ++result.ticks;
        }
        result.seconds = timer.elapsed() / 1000.0;
    }
    if (port >= 0) ::close(port);
    sim.terminate();
    sim.waitForFinished(5000);
    return result;
}

RunResult measure(const QString& simulator, int baud, bool wireTime, double seconds) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    QProcess sim;
    RunResult result;
    if (!startSimulator(sim, simulator, folder.path(), baud, wireTime)) {
        std::fprintf(stderr, "controller-sim did not start: %s\n",
                     sim.readAllStandardError().constData());
        return result;
    }

    transport::ConnectionState state;
    state.LinkType = transport::LinkSerial;
    state.SerialPort = 1;
    state.BaudRate = std::to_string(baud);
    PrintingUi ui;
    transport::RealClock clock;
    NoUsb usb;
    transport::CommandTransport transport(state, transport::TransportPolicy::motiondesk(), nullptr,
                                          &usb, &ui, clock);
    session::ProgramValues program;
    CountingLink* link = nullptr;
    const std::string exeFolder = folder.path().toStdString();
    session::WindowServices services{state,
                                     transport,
                                     ui,
                                     clock,
                                     usb,
                                     [&]() -> std::unique_ptr<transport::SerialLink> {
                                         auto made = std::make_unique<CountingLink>(exeFolder);
                                         link = made.get();
                                         return made;
                                     },
                                     exeFolder,
                                     program};
    {
        mainwindow::MainWindow window(services);
        if (state.LinkOpen && link) {
            link->characters = 0;
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < seconds * 1000 && state.LinkOpen) {
                window.pollTick();
                ++result.ticks;
            }
            result.seconds = timer.elapsed() / 1000.0;
            result.characters = link->characters;
            result.ok = state.LinkOpen && ui.messages == 0;
            // One more tick of the first phase, recorded for the plain comparison.
            while (state.LinkOpen && window.statusPhase() != 1)
                window.pollTick();
            link->recording = true;
            window.pollTick();
            result.frames = link->frames;
        } else {
            std::fprintf(stderr, "the main window did not connect\n");
        }
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return result;
}

struct Summary {
    bool ok = true;
    double ticksPerSecond = 0; // median of the runs
    double charactersPerTick = 0;
};

// The median run by ticks per second; any failed run fails the summary.
Summary summarise(std::vector<RunResult> runs) {
    Summary summary;
    std::vector<std::pair<double, double>> rates;
    for (const RunResult& run : runs) {
        if (!run.ok || run.ticks == 0)
            summary.ok = false;
        else
            rates.emplace_back(run.ticks / run.seconds, double(run.characters) / run.ticks);
    }
    if (!summary.ok || rates.empty()) return {false, 0, 0};
    std::sort(rates.begin(), rates.end());
    std::tie(summary.ticksPerSecond, summary.charactersPerTick) = rates[rates.size() / 2];
    return summary;
}

void report(int baud, bool wireTime, const Summary& run, const char* who = "") {
    const char* pacing = wireTime ? "wire time" : "no wire time";
    if (!run.ok) {
        std::printf("%6d baud %-13s  failed\n", baud, pacing);
        return;
    }
    std::printf("%6d baud %-13s  %8.1f ticks/s", baud, pacing, run.ticksPerSecond);
    if (*who) std::printf(" %s", who);
    if (wireTime) {
        const double limit = baud / 10.0 / run.charactersPerTick;
        std::printf("  limit %8.1f ticks/s  %5.1f%% of the limit", limit,
                    100.0 * run.ticksPerSecond / limit);
    }
    std::printf("  (%.1f characters per tick)\n", run.charactersPerTick);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Plain numbers only: options meant for other benchmarks (--benchmark_...) are passed over.
    std::vector<double> numbers;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') numbers.push_back(std::atof(argv[i]));
    const int repeats = numbers.size() > 0 ? std::max(1, int(numbers[0])) : 3;
    const double seconds = numbers.size() > 1 ? std::max(0.5, numbers[1]) : 2.0;
    const QString simulator = findSimulator();
    if (simulator.isEmpty()) {
        std::fprintf(stderr, "controller-sim not found near %s\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        return 1;
    }
    std::printf("status poll against controller-sim: median of %d runs of %.1f s each\n", repeats,
                seconds);
    bool allOk = true;
    const struct {
        int baud;
        bool wireTime;
    } runs[] = {{9600, true}, {115200, true}, {115200, false}};
    for (const auto& run : runs) {
        std::vector<RunResult> results;
        for (int i = 0; i < repeats; ++i)
            results.push_back(measure(simulator, run.baud, run.wireTime, seconds));
        const Summary summary = summarise(results);
        report(run.baud, run.wireTime, summary, "(the poll)");
        allOk = allOk && summary.ok;
        if (!run.wireTime || results.empty()) continue;
        std::vector<RunResult> bare;
        for (int i = 0; i < repeats; ++i)
            bare.push_back(measureBare(simulator, run.baud, seconds, results.front().frames));
        const Summary line = summarise(bare);
        report(run.baud, run.wireTime, line, "(plain calls)");
        allOk = allOk && line.ok;
    }
    return allOk ? 0 : 1;
}
