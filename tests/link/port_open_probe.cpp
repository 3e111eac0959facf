// Another program for the port tests, so that another process (and, as root, another user)
// opens or holds a port:
//   port_open_probe open <EXE folder> <n>   opens COM<n> through the serial-port control, prints
//                                           "opened" or the failure text
//   port_open_probe hold <device>           holds the device for itself alone (TIOCEXCL),
//                                           prints "held", lets go when stdin closes

#include "link/serial_port_link.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "open" && argc == 4) {
        QCoreApplication application(argc, argv);
        transport::SerialPortLink link(argv[2]);
        const bool opened = link.open({std::atoi(argv[3]), 9600});
        std::puts(opened ? "opened" : link.errorText().c_str());
        return opened ? 0 : 1;
    }
    if (mode == "hold" && argc == 3) {
        const int fd = ::open(argv[2], O_RDWR | O_NOCTTY);
        if (fd < 0 || ::ioctl(fd, TIOCEXCL) != 0) return 1;
        std::puts("held");
        std::fflush(stdout);
        char byte;
        while (::read(STDIN_FILENO, &byte, 1) > 0) {
        }
        return 0;
    }
    return 2;
}
