#pragma once
// Pieces the benchmarks against controller-sim share: finding the built programs, starting the
// simulator on a pseudo-terminal, a serial port that counts what crosses the line, and a user
// interface that prints instead of showing dialogs.

#include "link/clock.h"
#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "link/usb_library.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/user_interface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace bench_support {

// A program of the build (controller-sim, EXE/progsmith ...) looked for beside the benchmark
// and up to two folders above it; empty when there is none.
inline QString besideBuild(const QString& relative) {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 3; ++up, dir.cdUp())
        if (QFileInfo(dir.filePath(relative)).exists()) return dir.filePath(relative);
    return {};
}

// controller-sim on a pseudo-terminal linked as <folder>/ports/COM1; true once it is ready.
inline bool startSimulator(QProcess& sim, const QString& folder, int baud, bool wireTime,
                           QStringList more = {}) {
    QDir(folder).mkpath("ports");
    QStringList arguments = {"--pty", folder + "/ports/COM1", "--baud", QString::number(baud)};
    if (wireTime) arguments << "--wire-time";
    sim.start(besideBuild("controller-sim"), arguments + more);
    while (sim.waitForReadyRead(10000))
        while (sim.canReadLine())
            if (sim.readLine().trimmed() == "ready") return true;
    return false;
}

// What crossed a line: characters in both directions, and the frames written (every one while
// recording is on).
struct LineCount {
    long long characters = 0;
    long long frames = 0;
    bool recording = false;
    std::vector<std::string> recorded;
    // Called with every frame as its write begins.
    std::function<void(const std::string&)> onWrite;
};

// A serial port that counts into a LineCount, which outlives the windows that make the ports.
class CountingLink final : public transport::SerialLink {
public:
    CountingLink(std::string exeFolder, LineCount& count)
        : port_(std::move(exeFolder)), count_(count) {}
    bool open(const transport::SerialSettings& settings) override { return port_.open(settings); }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    bool reopen() override { return port_.reopen(); }
    bool write(const std::string& bytes) override {
        if (count_.onWrite) count_.onWrite(bytes);
        count_.characters += static_cast<long long>(bytes.size());
        ++count_.frames;
        if (count_.recording) count_.recorded.push_back(bytes);
        return port_.write(bytes);
    }
    transport::ReadResult readChar(int silenceMs) override {
        const auto result = port_.readChar(silenceMs);
        if (result.status == transport::ReadResult::Char) ++count_.characters;
        return result;
    }
    std::size_t discardInput() override { return port_.discardInput(); }
    std::string errorText() const override { return port_.errorText(); }

private:
    transport::SerialPortLink port_;
    LineCount& count_;
};

// The simulator's pseudo-terminal opened raw at the baud rate, for plain system calls; -1 when
// it cannot be.
inline int openRawPort(const QString& path, int baud) {
    const int port = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios settings{};
    if (port < 0 || tcgetattr(port, &settings) != 0) {
        if (port >= 0) ::close(port);
        return -1;
    }
    const speed_t speed = baud == 9600    ? B9600
                          : baud == 19200 ? B19200
                          : baud == 38400 ? B38400
                          : baud == 57600 ? B57600
                                          : B115200;
    cfmakeraw(&settings);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    tcsetattr(port, TCSANOW, &settings);
    return port;
}

// Each frame written and its reply read up to the carriage return; false when a reply does not
// come within a second.
inline bool sendFramesPlain(int port, const std::vector<std::string>& frames,
                            long long& characters) {
    for (const std::string& frame : frames) {
        characters += ::write(port, frame.data(), frame.size());
        char c = 0;
        do {
            pollfd wait{port, POLLIN, 0};
            if (::poll(&wait, 1, 1000) != 1 || ::read(port, &c, 1) != 1) return false;
            ++characters;
        } while (c != '\r');
    }
    return true;
}

// No dialogs in a benchmark: every message but the expected one is printed and counted.
class PrintingUi final : public ui::UserInterface {
public:
    void showMessage(const std::string& text) override {
        if (!expected.empty() && text == expected) return;
        std::fprintf(stderr, "message: %s\n", text.c_str());
        ++messages;
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFileName(const ui::FileDialog&) override { return {}; }
    std::optional<std::string> saveFileName(const ui::FileDialog&) override { return {}; }
    void quitProgram() override {}
    int messages = 0;
    std::string expected;
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

// "[runs [seconds per run]]" from the command line. Plain numbers only: options meant for other
// benchmarks (--benchmark_...) are passed over.
struct Repeats {
    int runs;
    double seconds;
};
inline Repeats repeatsFrom(int argc, char** argv, int runs, double seconds) {
    std::vector<double> numbers;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') numbers.push_back(std::atof(argv[i]));
    return {numbers.size() > 0 ? std::max(1, int(numbers[0])) : runs,
            numbers.size() > 1 ? std::max(0.5, numbers[1]) : seconds};
}

// The services of windows on COM1 of the simulator's folder at a baud rate: the shared state and
// transport, a printing user interface, no USB, and ports that count into one LineCount.
struct SerialWorld {
    SerialWorld(const std::string& exeFolder, int baud)
        : exe(exeFolder), services{state,
                                   transport,
                                   ui,
                                   clock,
                                   usb,
                                   [this]() -> std::unique_ptr<transport::SerialLink> {
                                       linkMade = true;
                                       return std::make_unique<CountingLink>(exe, count);
                                   },
                                   exe,
                                   program} {
        state.LinkType = transport::LinkSerial;
        state.SerialPort = 1;
        state.BaudRate = std::to_string(baud);
    }
    SerialWorld(const SerialWorld&) = delete;
    SerialWorld& operator=(const SerialWorld&) = delete;

    std::string exe;
    transport::ConnectionState state;
    PrintingUi ui;
    transport::RealClock clock;
    NoUsb usb;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    LineCount count;
    bool linkMade = false;
    session::WindowServices services;
};

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace bench_support
