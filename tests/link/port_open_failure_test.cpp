// What the user is told when a port cannot be opened: rights they lack, a port another program
// holds (an unplugged adapter: the connection window's tests). Another program opens the port
// (port_open_probe); root may open any device, so when the tests run as root that program runs as
// nobody.

#include "link/port_diagnosis.h"
#include "pseudo_terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>

namespace {

using testing::EndsWith;
using testing::StartsWith;
using transport_testing::PseudoTerminal;

constexpr uid_t Nobody = 65534;
const bool AsRoot = ::geteuid() == 0;

void withoutRights(QProcess& process) {
    if (AsRoot)
        process.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                ::_exit(99);
        });
}

std::string nameOfUser(uid_t uid) {
    const passwd* user = ::getpwuid(uid);
    return user ? user->pw_name : "";
}

TEST(PortOpenFailure, SaysWhyAndWhatToDo) {
    transport_testing::ensureApplication();
    struct Case {
        const char* name;
        bool needsRoot; // another user, outside the device's group or holding it
        std::function<std::string(PseudoTerminal&, const std::string& owner,
                                  const std::string& group)>
            prepare; // returns the text expected after "Cannot open COM3 (<device>): "
    };
    const std::string user = nameOfUser(AsRoot ? Nobody : ::getuid());
    QProcess holder;
    const Case cases[] = {
        {"a group the user is not in", true,
         [&](PseudoTerminal& line, const std::string&, const std::string& group) {
             ::chmod(line.deviceName().c_str(), 0660);
             return "permission denied. " + line.deviceName() +
                    " may be used by the members of the group " + group +
                    ": make your user one of them (sudo adduser " + user + " " + group +
                    "), then log out and log in again.";
         }},
        {"no group of the user's", false,
         [&](PseudoTerminal& line, const std::string& owner, const std::string& group) {
             ::chmod(line.deviceName().c_str(), AsRoot ? 0600 : 0);
             return "permission denied. " + line.deviceName() + " belongs to " + owner + ":" +
                    group + " with mode " + (AsRoot ? "0600" : "0000") +
                    ", which gives your user " + user +
                    " no access; ask the administrator to let a group of yours use it (a udev "
                    "rule).";
         }},
        {"held by another program (\"the port is busy: it is held by ...\")", false,
         [&](PseudoTerminal& line, const std::string&, const std::string&) {
             ::chmod(line.deviceName().c_str(), 0666);
             withoutRights(holder);
             holder.start(PORT_OPEN_PROBE, {"hold", QString::fromStdString(line.deviceName())});
             holder.waitForReadyRead(20000);
             // Started after this test, it comes last, after this test itself when the test
             // holds the line as the same user.
             return "port_open_probe (process " + std::to_string(holder.processId()) +
                    "). Close that program, or choose another port.";
         }},
        {"held by another user's program", true,
         [&](PseudoTerminal& line, const std::string&, const std::string&) {
             ::chmod(line.deviceName().c_str(), 0666);
             ::ioctl(line.deviceDescriptor(), TIOCEXCL);
             return std::string("the port is busy: another program holds it, most likely one "
                                "of another user, whose programs cannot be looked into. Close "
                                "it, or choose another port.");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && !AsRoot) continue;
        PseudoTerminal line(3);
        ASSERT_TRUE(line.ready() && line.shareFolder());
        struct stat device {};
        ::stat(line.deviceName().c_str(), &device);
        const std::string expected =
            c.prepare(line, nameOfUser(device.st_uid), ::getgrgid(device.st_gid)->gr_name);

        QProcess probe;
        withoutRights(probe);
        probe.start(PORT_OPEN_PROBE, {"open", QString::fromStdString(line.exeFolder()), "3"});
        ASSERT_TRUE(probe.waitForFinished(20000));
        const std::string text = probe.readAllStandardOutput().trimmed().toStdString();
        EXPECT_THAT(text, StartsWith("Cannot open COM3 (" + line.deviceName() + "): "));
        EXPECT_THAT(text, EndsWith(expected));
        holder.close();
        holder.waitForFinished();
    }
}

TEST(PortHolders, LockFilesNameTheirProcessWhileItLives) {
    QTemporaryDir locks;
    QProcess living, ended;
    living.start("sleep", {"30"});
    ended.start("true");
    ASSERT_TRUE(living.waitForStarted() && ended.waitForFinished());
    const int livingPid = int(living.processId());
    for (auto [name, pid] : {std::pair{"LCK..pts_77", qint64(livingPid)},
                             std::pair{"LCK.._x_EXE_ports_COM3", ended.processId()}}) {
        QFile file(locks.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::number(pid).rightJustified(10) + "\n");
    }

    const transport::HoldingProcesses holders = transport::findHoldingProcesses(
        "/dev/pts/77", {"/x/EXE/ports/COM3"}, {"", {locks.path().toStdString()}});
    living.kill();
    living.waitForFinished();
    EXPECT_EQ(holders.processes, (std::vector<transport::HoldingProcess>{{livingPid, "sleep"}}))
        << "a lock left by a process that has ended names nobody";
}

} // namespace
