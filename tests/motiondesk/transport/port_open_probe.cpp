// A second program for the port tests, so that another process (and, when the tests run as root,
// another user) opens or holds a port:
//   port_open_probe open <EXE folder> <n>   opens COM<n> through the serial-port control and
//                                           prints "opened" or the failure text
//   port_open_probe hold <device>           opens the device for itself alone (TIOCEXCL),
//                                           prints "held" and keeps it until stdin closes

#include "motiondesk/transport/serial_port_link.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int openPort(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    transport::SerialPortLink link(argv[2]);
    if (link.open(std::atoi(argv[3]), "9600,N,8,1")) {
        std::puts("opened");
        return 0;
    }
    std::puts(link.errorText().c_str());
    return 1;
}

int holdDevice(const char* device) {
    const int fd = ::open(device, O_RDWR | O_NOCTTY);
    if (fd < 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        std::perror(device);
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    ::close(fd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "open" && argc == 4) return openPort(argc, argv);
    if (mode == "hold" && argc == 3) return holdDevice(argv[2]);
    std::fputs("usage: port_open_probe open <EXE folder> <n> | hold <device>\n", stderr);
    return 2;
}
