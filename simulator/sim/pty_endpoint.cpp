#include "simulator/sim/pty_endpoint.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace simulator {
namespace {

int rateOf(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

int64_t monotonicUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

PtyEndpoint::PtyEndpoint(SerialBus& bus, CommandLogFile& log, QObject* parent)
    : QObject(parent), bus_(bus), log_(log),
      writer_([this](const std::string& bytes) { writeHost(bytes); }) {}

PtyEndpoint::~PtyEndpoint() {
    dropLine();
}

bool PtyEndpoint::start(const std::string& linkPath) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        return error_ = systemError("pseudo-terminal"), false;
    const char* name = ptsname(master_);
    if (!name) return error_ = systemError("pseudo-terminal name"), false;
    terminalPath_ = name;
    terminal_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (terminal_ < 0) return error_ = systemError(terminalPath_), false;
    termios settings{};
    tcgetattr(terminal_, &settings);
    cfmakeraw(&settings);
    tcsetattr(terminal_, TCSANOW, &settings);

    struct stat existing {};
    if (lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) return error_ = linkPath + " exists and is no link", false;
        ::unlink(linkPath.c_str());
    }
    if (::symlink(name, linkPath.c_str()) != 0) return error_ = systemError(linkPath), false;
    linkPath_ = linkPath;

    wakeUs_ = measureWakeUs();
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyEndpoint::readHost);
    return true;
}

// The median time from a write on one side of the terminal to the wake-up of a reader blocked
// on the other, over a few tries: both the simulator and the host pay it once per exchange.
int64_t PtyEndpoint::measureWakeUs() const {
    std::vector<int64_t> samples;
    for (int i = 0; i < 21; ++i) {
        std::atomic<int64_t> written{0};
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            written = monotonicUs();
            [[maybe_unused]] ssize_t n = ::write(terminal_, "x", 1);
        });
        pollfd readable{master_, POLLIN, 0};
        const bool woken = ::poll(&readable, 1, 100) == 1;
        const int64_t woke = monotonicUs();
        writer.join();
        char byte = 0;
        while (::read(master_, &byte, 1) == 1) {
        }
        if (woken && written > 0) samples.push_back(woke - written);
    }
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    return std::min<int64_t>(samples[samples.size() / 2], 200);
}

int PtyEndpoint::hostBaudRate() const {
    termios settings{};
    if (tcgetattr(terminal_, &settings) != 0) return 0;
    return rateOf(cfgetospeed(&settings));
}

void PtyEndpoint::readHost() {
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    Transmission reply = bus_.write(std::string_view(buffer, size_t(n)), hostBaudRate());
    const auto& frames = bus_.frames();
    for (; framesLogged_ < frames.size(); ++framesLogged_)
        if (frames[framesLogged_].understood)
            log_.write("pty", frames[framesLogged_].deviceId, frames[framesLogged_].command);
    // The command came in one wake-up before it was read, and the reply will reach the host one
    // wake-up after its time: on a real line both would be on the wire already.
    writer_.send(reply, 2 * wakeUs_);
    if (reply.disconnect) dropLine();
}

void PtyEndpoint::writeHost(const std::string& bytes) {
    if (master_ < 0) return;
    // A host that does not read loses what does not fit, as on a real line; never block.
    [[maybe_unused]] ssize_t written = ::write(master_, bytes.data(), bytes.size());
}

// The adapter is gone: the terminal and its link disappear, the host's port fails.
void PtyEndpoint::dropLine() {
    writer_.clear();
    notifier_.reset();
    if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
    linkPath_.clear();
    if (terminal_ >= 0) ::close(terminal_);
    if (master_ >= 0) ::close(master_);
    terminal_ = master_ = -1;
}

} // namespace simulator
