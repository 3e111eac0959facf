// What the user is told when a port cannot be opened: rights they lack, a port another program
// holds, an assigned adapter that is unplugged. Another program opens the port (port_open_probe);
// root may open any device, so when the tests run as root that program runs as nobody.

#include "motiondesk/transport/port_diagnosis.h"
#include "motiondesk/transport/serial_port_link.h"
#include "pseudo_terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>

namespace {

using testing::HasSubstr;
using transport_testing::PseudoTerminal;

constexpr int Port = 3;
constexpr uid_t Nobody = 65534;

bool runningAsRoot() {
    return ::geteuid() == 0;
}

void withoutRights(QProcess& process) {
    if (!runningAsRoot()) return;
    process.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(99);
    });
}

std::string probeUser() {
    const passwd* user = ::getpwuid(runningAsRoot() ? Nobody : ::getuid());
    return user ? user->pw_name : "";
}

struct DeviceOwner {
    std::string user;
    std::string group;
};

DeviceOwner ownerOf(const std::string& device) {
    struct stat entry {};
    ::stat(device.c_str(), &entry);
    const passwd* user = ::getpwuid(entry.st_uid);
    const group* owners = ::getgrgid(entry.st_gid);
    return {user ? user->pw_name : "", owners ? owners->gr_name : ""};
}

// Opens COM<n> of the EXE folder in another process; its failure text, or "opened".
std::string openElsewhere(const PseudoTerminal& line) {
    QProcess probe;
    withoutRights(probe);
    probe.start(PORT_OPEN_PROBE,
                {"open", QString::fromStdString(line.exeFolder()), QString::number(Port)});
    if (!probe.waitForFinished(20000)) return "probe did not finish";
    return QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed().toStdString();
}

class PortOpenFailure : public testing::Test {
protected:
    static void SetUpTestSuite() { transport_testing::ensureApplication(); }
    void SetUp() override {
        ASSERT_TRUE(line.ready());
        ASSERT_TRUE(line.shareFolder());
    }
    std::string device() const { return line.deviceName(); }
    std::string prefix() const { return "Cannot open COM3 (" + device() + "): "; }

    PseudoTerminal line{Port};
};

TEST_F(PortOpenFailure, PortOfAGroupTheUserIsNotInNamesTheGroupAndHowToJoinIt) {
    if (!runningAsRoot()) GTEST_SKIP() << "needs a user outside the device's group: run as root";
    ASSERT_EQ(::chmod(device().c_str(), 0660), 0);
    const std::string group = ownerOf(device()).group;

    EXPECT_EQ(openElsewhere(line), prefix() + "permission denied. " + device() +
                                       " may be used by the members of the group " + group +
                                       ": make your user one of them (sudo adduser " + probeUser() +
                                       " " + group + "), then log out and log in again.");
}

TEST_F(PortOpenFailure, PortNoGroupOfTheUserMayOpenSaysWhoOwnsIt) {
    const char* mode = runningAsRoot() ? "0600" : "0000";
    ASSERT_EQ(::chmod(device().c_str(), runningAsRoot() ? 0600 : 0), 0);
    const DeviceOwner owner = ownerOf(device());

    const std::string text = openElsewhere(line);
    EXPECT_THAT(text, HasSubstr(prefix() + "permission denied. " + device() + " belongs to " +
                                owner.user + ":" + owner.group + " with mode " + mode +
                                ", which gives your user " + probeUser() + " no access"));
    EXPECT_THAT(text, HasSubstr("ask the administrator"));
}

TEST_F(PortOpenFailure, PortHeldByAnotherProgramNamesThatProgram) {
    ASSERT_EQ(::chmod(device().c_str(), 0666), 0);
    QProcess holder;
    withoutRights(holder);
    holder.start(PORT_OPEN_PROBE, {"hold", QString::fromStdString(device())});
    ASSERT_TRUE(holder.waitForReadyRead(20000));
    ASSERT_EQ(holder.readLine().trimmed(), "held");
    const qint64 holderPid = holder.processId();

    const std::string text = openElsewhere(line);
    holder.closeWriteChannel();
    holder.waitForFinished(20000);

    EXPECT_THAT(text, HasSubstr(prefix() + "the port is busy: it is held by "));
    EXPECT_THAT(text, HasSubstr("port_open_probe (process " + std::to_string(holderPid) + ")"));
    EXPECT_THAT(text, HasSubstr("Close that program, or choose another port."));
}

TEST_F(PortOpenFailure, PortHeldByAnotherUsersProgramSaysItCannotBeFound) {
    if (!runningAsRoot()) GTEST_SKIP() << "needs a holder of another user: run as root";
    ASSERT_EQ(::chmod(device().c_str(), 0666), 0);
    ASSERT_EQ(::ioctl(line.deviceDescriptor(), TIOCEXCL), 0);

    EXPECT_EQ(openElsewhere(line),
              prefix() + "the port is busy: another program holds it, most likely one of "
                         "another user, whose programs cannot be looked into. Close it, or "
                         "choose another port.");
}

TEST(PortOpenFailureInProcess, AssignedAdapterThatIsUnpluggedSaysSoAndOpensNothingElse) {
    transport_testing::ensureApplication();
    QTemporaryDir exe;
    const std::string folder = exe.path().toStdString();
    const std::string stableName = folder + "/by-id/usb-Maker_Adapter_0001-if00-port0";
    ASSERT_TRUE(QDir().mkpath(exe.filePath("ports")));
    ASSERT_EQ(::symlink(stableName.c_str(), (folder + "/ports/COM3").c_str()), 0);

    EXPECT_EQ(transport::serialPortPath(Port, folder), folder + "/ports/COM3")
        << "an unplugged adapter must not turn COM3 into /dev/ttyS2";
    transport::SerialPortLink link(folder);
    EXPECT_FALSE(link.open(Port, "9600,N,8,1"));
    EXPECT_EQ(link.errorText(), "Cannot open COM3 (" + stableName + "): COM3 is assigned to " +
                                    stableName +
                                    ", which is not there: the adapter is unplugged, or it came "
                                    "back under another name. Plug it in again, or assign "
                                    "another port to COM3.");
}

TEST(PortHolders, LockFilesNameTheirProcessWhileItLives) {
    QTemporaryDir locks;
    QProcess living;
    living.start("sleep", {"30"});
    ASSERT_TRUE(living.waitForStarted());
    const int livingPid = int(living.processId());
    QProcess ended;
    ended.start("true");
    ASSERT_TRUE(ended.waitForFinished());
    auto writeLock = [&](const char* name, qint64 pid) {
        QFile file(locks.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::number(pid).rightJustified(10) + "\n");
    };
    writeLock("LCK..pts_77", livingPid);
    writeLock("LCK.._x_EXE_ports_COM3", ended.processId());

    const transport::PortHolders holders = transport::findPortHolders(
        "/dev/pts/77", {"/x/EXE/ports/COM3"}, {"", {locks.path().toStdString()}});
    living.kill();
    living.waitForFinished();

    EXPECT_EQ(holders.processes, (std::vector<transport::PortHolder>{{livingPid, "sleep"}}))
        << "a lock left by a process that has ended names nobody";
}

} // namespace
