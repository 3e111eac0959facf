#include "simulator/sim/pty_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

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

    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyEndpoint::readHost);
    return true;
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
    writer_.send(reply);
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
