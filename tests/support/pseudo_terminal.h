#pragma once
// A pseudo-terminal for port tests: the test holds the controller's end, the code under test
// opens the other end through <EXE folder>/ports/COM<n> in a private temporary folder.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace transport_testing {

// The serial-port control wants an event dispatcher in the thread that owns it.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "transport_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

class PseudoTerminal {
public:
    explicit PseudoTerminal(int portNumber) {
        char slaveName[256] = {};
        if (openpty(&controller_, &slave_, slaveName, nullptr, nullptr) != 0) return;
        // Programs the test starts must not inherit either end and so hold the line themselves.
        fcntl(controller_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
        termios settings{};
        tcgetattr(slave_, &settings);
        cfmakeraw(&settings);
        tcsetattr(slave_, TCSANOW, &settings);
        deviceName_ = slaveName;
        const std::string ports = exeFolder() + "/ports";
        mkdir(ports.c_str(), 0755);
        linkPath_ = ports + "/COM" + std::to_string(portNumber);
        linked_ = symlink(slaveName, linkPath_.c_str()) == 0;
    }
    ~PseudoTerminal() {
        hangUp();
        if (slave_ >= 0) ::close(slave_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ready() const { return folder_.isValid() && controller_ >= 0 && linked_; }
    std::string exeFolder() const { return folder_.path().toStdString(); }
    const std::string& linkPath() const { return linkPath_; }
    // The terminal device the link leads to (/dev/pts/<n>), and this test's own open end of it.
    const std::string& deviceName() const { return deviceName_; }
    int deviceDescriptor() const { return slave_; }
    // Lets other users reach the EXE folder (a private temporary folder otherwise).
    bool shareFolder() const { return chmod(exeFolder().c_str(), 0755) == 0; }

    // The controller sends these bytes.
    void send(const std::string& bytes) {
        if (::write(controller_, bytes.data(), bytes.size()) < 0) return;
    }
    // What the port has written, up to and including the first carriage return, or whatever
    // came before the deadline.
    std::string receiveLine(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (line.empty() || line.back() != '\r') {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd readable{controller_, POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
            char c = 0;
            if (::read(controller_, &c, 1) != 1) break;
            line.push_back(c);
        }
        return line;
    }
    // The controller's end goes away, as an unplugged adapter does.
    void hangUp() {
        if (controller_ >= 0) ::close(controller_);
        controller_ = -1;
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }

private:
    QTemporaryDir folder_;
    int controller_ = -1;
    int slave_ = -1;
    std::string linkPath_;
    std::string deviceName_;
    bool linked_ = false;
};

} // namespace transport_testing
