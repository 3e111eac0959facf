// Round trip of one status command over a pseudo-terminal: the bare line (a peer echoing the
// command straight back) against SendCommand "PX" through the serial-port control to
// controller-sim. The measurements alternate, so a busy machine slows all of them alike; the
// same command written with plain system calls to controller-sim separates the simulator's own
// answer time from what the transport adds. Prints the medians and the ratio.
//
//   transport_bench [round trips]   (default 3000; controller-sim is looked for beside the
//                                    benchmark and up to two folders above it)

#include "link/clock.h"
#include "link/command_transport.h"
#include "link/serial_port_link.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

const std::string Command = "@01PX\r";

double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// Microseconds one call takes, or a negative number when it failed.
double timeMicroseconds(const std::function<bool()>& roundTrip) {
    const auto start = SteadyClock::now();
    if (!roundTrip()) return -1;
    return std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count();
}

void makeRaw(int fd) {
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B9600);
    tcsetattr(fd, TCSANOW, &settings);
}

// Reads up to and including a carriage return; false on a closed, failed or silent descriptor.
bool readLine(int fd, std::string& line) {
    line.clear();
    char buffer[64];
    while (line.empty() || line.back() != '\r') {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, 1000) <= 0) return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool writeAndReadLine(int fd, std::string& reply) {
    return ::write(fd, Command.data(), Command.size()) == static_cast<ssize_t>(Command.size()) &&
           readLine(fd, reply);
}

// A peer on the other end of a pseudo-terminal that sends every line straight back.
class EchoLine {
public:
    EchoLine() {
        if (openpty(&peer_, &host_, nullptr, nullptr, nullptr) != 0) return;
        makeRaw(host_);
        echo_ = std::thread([this] {
            std::string line;
            while (readLine(peer_, line))
                if (::write(peer_, line.data(), line.size()) < 0) return;
        });
    }
    ~EchoLine() {
        ::close(host_);
        if (echo_.joinable()) echo_.join();
        ::close(peer_);
    }
    int host() const { return host_; }

private:
    int peer_ = -1;
    int host_ = -1;
    std::thread echo_;
};

QString findSimulator() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 3; ++up) {
        if (QFileInfo(dir.filePath("controller-sim")).isExecutable())
            return dir.filePath("controller-sim");
        if (!dir.cdUp()) break;
    }
    return {};
}

// controller-sim on a pseudo-terminal, reached both as COM1 through the transport and directly.
class SimulatorLine {
public:
    ~SimulatorLine() {
        if (direct_ >= 0) ::close(direct_);
        sim_.terminate();
        sim_.waitForFinished(5000);
    }

    bool start(const QString& program, std::string& error) {
        const QString line = exeFolder_.filePath("line");
        sim_.start(program, {"--pty", line});
        if (!waitForReady() || !QDir(exeFolder_.path()).mkpath("ports") ||
            !QFile::link(line, exeFolder_.filePath("ports/COM1"))) {
            error = "controller-sim did not start: " +
                    QString::fromLocal8Bit(sim_.readAllStandardError()).toStdString();
            return false;
        }
        port_ = std::make_unique<transport::SerialPortLink>(exeFolder_.path().toStdString());
        connection_.LinkType = transport::LinkSerial;
        connection_.SerialPort = 1;
        exchange_ = std::make_unique<transport::CommandTransport>(
            connection_, transport::TransportPolicy::motiondesk(), port_.get(), nullptr, nullptr,
            clock_);
        if (!exchange_->OpenSerialPort()) return error = exchange_->LastErrorText, false;
        connection_.LinkOpen = true;
        direct_ = ::open(line.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (direct_ < 0) return error = "cannot open the line directly", false;
        makeRaw(direct_);
        return true;
    }
    bool sendCommand(std::string& reply) {
        return exchange_->SendCommand("PX", reply) == 0 && !reply.empty();
    }
    int direct() const { return direct_; }

private:
    bool waitForReady() {
        if (!sim_.waitForStarted(10000)) return false;
        while (sim_.waitForReadyRead(10000) || sim_.canReadLine())
            while (sim_.canReadLine())
                if (sim_.readLine().trimmed() == "ready") return true;
        return false;
    }

    QProcess sim_;
    QTemporaryDir exeFolder_;
    std::unique_ptr<transport::SerialPortLink> port_;
    transport::ConnectionState connection_;
    transport::RealClock clock_;
    std::unique_ptr<transport::CommandTransport> exchange_;
    int direct_ = -1;
};

struct Medians {
    double echoUs = 0;
    double directUs = 0;
    double sendCommandUs = 0;
};

// The three round trips in turn, roundTrips times; nothing when any of them fails.
std::optional<Medians> measure(int roundTrips, EchoLine& echo, SimulatorLine& simulator) {
    std::vector<double> echoes, directs, sends;
    std::string reply;
    for (int i = 0; i < roundTrips; ++i) {
        echoes.push_back(timeMicroseconds([&] { return writeAndReadLine(echo.host(), reply); }));
        directs.push_back(
            timeMicroseconds([&] { return writeAndReadLine(simulator.direct(), reply); }));
        sends.push_back(timeMicroseconds([&] { return simulator.sendCommand(reply); }));
        if (echoes.back() < 0 || directs.back() < 0 || sends.back() < 0) return std::nullopt;
    }
    return Medians{median(echoes), median(directs), median(sends)};
}

// The first argument that is a positive number; options meant for other benchmarks are passed
// to every benchmark and are ignored here.
int roundTripsFrom(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        bool isNumber = false;
        const int count = argument.toInt(&isNumber);
        if (isNumber && count > 0) return count;
    }
    return 3000;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int roundTrips = roundTripsFrom(QCoreApplication::arguments());
    const QString program = findSimulator();
    if (program.isEmpty()) {
        std::fprintf(stderr, "controller-sim not found near %s\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        return 1;
    }
    EchoLine echo;
    SimulatorLine simulator;
    std::string error;
    if (!simulator.start(program, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto medians = measure(roundTrips, echo, simulator);
    if (!medians) {
        std::fprintf(stderr, "a round trip failed\n");
        return 1;
    }
    std::printf("round trips: %d each, alternating\n", roundTrips);
    std::printf("median pseudo-terminal echo:             %8.1f us\n", medians->echoUs);
    std::printf("median controller-sim, plain system calls: %6.1f us\n", medians->directUs);
    std::printf("median SendCommand PX to controller-sim: %8.1f us\n", medians->sendCommandUs);
    std::printf("ratio SendCommand / echo: %.2f (aim: at most 2)\n",
                medians->sendCommandUs / medians->echoUs);
    return 0;
}
