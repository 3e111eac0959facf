// The real motionctl against the real controller-sim: over a pseudo-terminal (one line, several
// IDs), the USB stand-in and TCP; and on its own for compile, decompile and run --sim.

#include "support/scratch_folder.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using testing_support::ScratchFolder;
using testing_support::SimProcess;

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "motionctl_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

struct Ran {
    int code = -1;
    std::string out, err;

    // The JSON objects of --json, one per line.
    std::vector<QJsonObject> objects() const {
        std::vector<QJsonObject> list;
        for (const QByteArray& line : QByteArray::fromStdString(out).split('\n'))
            if (!line.isEmpty()) list.push_back(QJsonDocument::fromJson(line).object());
        return list;
    }
};

Ran motionctl(const QStringList& arguments, const QString& folder = {},
              const QString& usbFolder = {}) {
    application();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!folder.isEmpty()) environment.insert("MOTIONCTL_PROGRAM_FOLDER", folder);
    if (!usbFolder.isEmpty()) environment.insert("ZENTORCOM_DIR", usbFolder);
    process.setProcessEnvironment(environment);
    process.start(SUITE_BUILD_DIR "/motionctl", arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

// A program that moves and counts, and a loop of a million turns.
constexpr const char* kMoves = "PRG 0\r\nV1 = 0\r\nREPEAT\r\nV1 = V1 + 1\r\nX200\r\nWAITX\r\n"
                               "X0\r\nWAITX\r\nLOOPWHILE V1 < 3\r\nEND\r\n";
constexpr const char* kLoop =
    "PRG 0\r\nV1 = 0\r\nWHILE V1 < 1000000\r\nV1 = V1 + 1\r\nENDWHILE\r\nEND\r\n";

TEST(Motionctl, CompilesDecompilesAndNamesTheLineOfAnError) {
    ScratchFolder folder;
    folder.write("moves.prg", kMoves);
    folder.write("bad.prg", "PRG 0\nV1 = 0\nNOSUCH 3\nEND\n");
    const QString dir = QString::fromStdString(folder.str());

    const Ran compiled = motionctl({"compile", dir + "/moves.prg", "-o", dir + "/out.txt"});
    ASSERT_EQ(compiled.code, 0) << compiled.err;
    const std::string file = folder.read("out.txt");
    // The compiler's own file: CR LF lines, one empty line at the end.
    EXPECT_EQ(file.substr(0, 9), "PS0\r\nCV0\r");
    EXPECT_EQ(file.substr(file.size() - 8), "\r\nXX\r\n\r\n");

    const Ran text = motionctl({"decompile", dir + "/out.txt"});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("REPEAT\n V1=V1+1\n X200\n"), std::string::npos) << text.out;

    const Ran bad = motionctl({"compile", dir + "/bad.prg"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err.rfind(dir.toStdString() + "/bad.prg:3: ", 0), 0u) << bad.err;
    EXPECT_TRUE(bad.out.empty());
}

TEST(Motionctl, RunOnTheSimulatorChecksExpectationsInVirtualTime) {
    ScratchFolder folder;
    folder.write("loop.prg", kLoop);
    folder.write("moves.prg", kMoves);
    const QString dir = QString::fromStdString(folder.str());

    // A million turns are three seconds of controller time, not of the test's.
    const Ran loop =
        motionctl({"run", dir + "/loop.prg", "--sim", "--expect", "V1=1000000", "--json"});
    ASSERT_EQ(loop.code, 0) << loop.err;
    const QJsonObject result = loop.objects().at(0);
    EXPECT_TRUE(result["ok"].toBool());
    EXPECT_GT(result["seconds"].toDouble(), 2.0);

    const Ran failing =
        motionctl({"run", dir + "/moves.prg", "--sim", "--seconds", "0.05", "--expect", "V1=3",
                   "--expect", "PX=0", "--trace", dir + "/trace.txt"});
    EXPECT_EQ(failing.code, 1);
    EXPECT_NE(failing.out.find("FAILED  V1 = 1, expected 3"), std::string::npos) << failing.out;
    // The trace names the source line of each statement.
    EXPECT_NE(folder.read("trace.txt").find(" 0 3 " + dir.toStdString() + "/moves.prg:2 AM V1=0"),
              std::string::npos)
        << folder.read("trace.txt");

    // An input bit at its time ends a wait for it.
    folder.write("wait.prg", "PRG 0\r\nWHILE DI3 = 0\r\nENDWHILE\r\nV2 = 7\r\nEND\r\n");
    const Ran input = motionctl(
        {"run", dir + "/wait.prg", "--sim", "--input", "DI3=1@0.5", "--expect", "V2=7", "--json"});
    ASSERT_EQ(input.code, 0) << input.err << input.out;
    EXPECT_NEAR(input.objects().at(0)["seconds"].toDouble(), 0.5, 0.01);

    // A fault names its source line and its reason.
    folder.write("fault.prg", "V1 = 0\r\nV2 = 5 / V1\r\nEND\r\n");
    const Ran fault = motionctl({"run", dir + "/fault.prg", "--sim"});
    EXPECT_EQ(fault.code, 1);
    EXPECT_NE(fault.err.find("fault.prg:2): division by zero."), std::string::npos) << fault.err;
}

TEST(Motionctl, DownloadsVerifiesAndUploadsEveryIdOfAMultiDropLine) {
    SimProcess sim({"--pty", "{dir}/line", "--id", "01,02,03", "--log", "{dir}/log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ScratchFolder folder;
    folder.write("moves.prg", kMoves);
    const QString dir = QString::fromStdString(folder.str());
    const QString line = sim.path("line");

    const Ran download = motionctl(
        {"download", dir + "/moves.prg", "--port", line, "--id", "01-03", "--verify", "--json"});
    ASSERT_EQ(download.code, 0) << download.err;
    const auto objects = download.objects();
    ASSERT_EQ(objects.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(objects[size_t(i)]["id"].toString(), QString("0%1").arg(i + 1));
        EXPECT_TRUE(objects[size_t(i)]["verified"].toBool());
        EXPECT_EQ(objects[size_t(i)]["slots_written"].toInt(), 85); // one page
    }

    const Ran upload = motionctl({"upload", "--port", line, "--id", "02", "--compiled"});
    ASSERT_EQ(upload.code, 0) << upload.err;
    const Ran compiled = motionctl({"compile", dir + "/moves.prg"});
    EXPECT_EQ(upload.out, compiled.out);

    // COM4 as the connection window assigned it.
    std::filesystem::create_directories(folder.path() / "EXE/ports");
    std::filesystem::create_symlink(line.toStdString(), folder.path() / "EXE/ports/COM4");
    const Ran replies =
        motionctl({"send", "--port", "COM4", "--id", "01,03", "VER", "V1=5", "V1"}, dir);
    ASSERT_EQ(replies.code, 0) << replies.err;
    EXPECT_EQ(replies.out, "01 V223\n01 OK\n01 5\n03 V223\n03 OK\n03 5\n");
    // ID 02 was not touched by the send.
    const QStringList log = SimProcess::readLog(sim.path("log"));
    EXPECT_FALSE(log.contains("pty 02 V1=5"));
    EXPECT_TRUE(log.contains("pty 03 V1=5"));
}

TEST(Motionctl, AVerifyNamesTheSlotTheControllerChangedAndAStalledLineTheSlotsWritten) {
    // The controller answers the write of slot 3 "OK" and keeps what the slot held.
    SimProcess changed({"--pty", "{dir}/line", "--state", "SA3=CV99", "--fault", "forget@SA3="});
    ASSERT_TRUE(changed.start()) << changed.errorText().toStdString();
    ScratchFolder folder;
    folder.write("moves.prg", kMoves);
    const QString program = QString::fromStdString(folder.str()) + "/moves.prg";

    const Ran verify = motionctl({"download", program, "--port", changed.path("line"), "--verify"});
    EXPECT_EQ(verify.code, 3) << verify.err;
    EXPECT_NE(verify.err.find(": slot 3 holds \"CV99\", not \"AM\" as written."), std::string::npos)
        << verify.err;

    // Garbage in the place of "OK" is no success, with or without a verify.
    SimProcess garbage({"--pty", "{dir}/line", "--fault", "garbage@SA3="});
    ASSERT_TRUE(garbage.start()) << garbage.errorText().toStdString();
    const Ran noisy = motionctl({"download", program, "--port", garbage.path("line")});
    EXPECT_EQ(noisy.code, 4) << noisy.err;
    EXPECT_NE(noisy.err.find("Slot 3: the controller answered \""), std::string::npos) << noisy.err;
    EXPECT_NE(noisy.err.find("slots 0 to 2 written"), std::string::npos) << noisy.err;

    SimProcess stalls({"--pty", "{dir}/line", "--fault", "no-reply@SA5="});
    ASSERT_TRUE(stalls.start()) << stalls.errorText().toStdString();
    const Ran stalled = motionctl({"download", program, "--port", stalls.path("line")});
    EXPECT_EQ(stalled.code, 4);
    EXPECT_NE(stalled.err.find("No Reply to Command: SA5="), std::string::npos) << stalled.err;
    EXPECT_NE(stalled.err.find("slots 0 to 4 written"), std::string::npos) << stalled.err;
}

TEST(Motionctl, ReachesControllersOverUsbAndTcpAndFindsThemByScanning) {
    SimProcess sim({"--pty", "{dir}/line", "--usb", "{dir}/usb", "--tcp", "0", "--id", "07",
                    "--baud", "19200", "--state", "PX=500"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ScratchFolder folder;
    folder.write("moves.prg", kMoves);
    const QString program = QString::fromStdString(folder.str()) + "/moves.prg";

    const Ran usb =
        motionctl({"download", program, "--port", "usb:KTR07", "--verify"}, {}, sim.path("usb"));
    EXPECT_EQ(usb.code, 0) << usb.err;
    const Ran tcp =
        motionctl({"status", "--json", "--port", QString("tcp:127.0.0.1:%1").arg(sim.tcpPort())});
    ASSERT_EQ(tcp.code, 0) << tcp.err;
    EXPECT_EQ(tcp.objects().at(0)["values"].toObject()["position"].toInt(), 500);

    const Ran scan = motionctl(
        {"scan", "--ports", sim.path("line"), "--bauds", "9600,19200", "--ids", "05-08", "--json"});
    ASSERT_EQ(scan.code, 0) << scan.err;
    const auto found = scan.objects();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]["baud"].toInt(), 19200);
    EXPECT_EQ(found[0]["id"].toString(), "07");
    EXPECT_EQ(found[0]["model"].toString(), "KT-210");
    EXPECT_EQ(found[0]["firmware"].toInt(), 223);
}

TEST(Motionctl, SavesAndLoadsParameterFiles) {
    // Firmware 223 lacks some settings of the file: they are left out, not refused.
    SimProcess sim(
        {"--pty", "{dir}/line", "--id", "01,02", "--state", "HSPD=5000", "--state", "SL=1"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ScratchFolder folder;
    const QString file = QString::fromStdString(folder.str()) + "/set.par";
    const Ran save = motionctl({"params", "save", file, "--port", sim.path("line")});
    ASSERT_EQ(save.code, 0) << save.err;
    EXPECT_EQ(QString::fromStdString(folder.read("set.par")).count("\r\n"), 32);

    const Ran load =
        motionctl({"params", "load", file, "--port", sim.path("line"), "--id", "02", "--store"});
    ASSERT_EQ(load.code, 0) << load.err;
    const Ran check = motionctl({"send", "--port", sim.path("line"), "--id", "02", "SL", "DN"});
    // The settings came across; the ID in the file (01) was not forced on controller 02.
    EXPECT_EQ(check.out, "1\nKTR02\n");
}

// -o writes through a link to the file it leads to, and the link stays a link.
TEST(Motionctl, OutputGoesThroughALinkToItsFile) {
    ScratchFolder folder;
    folder.write("moves.prg", kMoves);
    folder.write("target.txt", "old");
    std::filesystem::create_symlink(folder.path() / "target.txt", folder.path() / "link.txt");
    const QString d = QString::fromStdString(folder.str());
    const Ran ran = motionctl({"compile", d + "/moves.prg", "-o", d + "/link.txt"});
    ASSERT_EQ(ran.code, 0) << ran.err;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "link.txt"));
    EXPECT_EQ(folder.read("target.txt").substr(0, 5), "PS0\r\n");
}

// Bad input: each gets its exit code and one clear line.
TEST(Motionctl, BadInputGetsItsExitCodeAndAClearLine) {
    ScratchFolder folder;
    const std::string dir = folder.str();
    folder.write("moves.prg", kMoves);
    folder.write("binary.cpg", std::string("PS0\0\x01\x02", 6));
    folder.write("big.prg", std::string(10'000'000, 'V'));
    folder.write("moves.txt", kMoves);
    std::string longProgram = "PRG 0\r\n";
    for (int i = 0; i < 1000; ++i)
        longProgram += "V1 = " + std::to_string(i) + "\r\n";
    folder.write("long.prg", longProgram + "END\r\n");
    std::filesystem::create_directories(folder.path() / "folder.prg");
    std::filesystem::create_directories(folder.path() / "EXE/ports");
    std::filesystem::create_symlink(dir + "/unplugged", folder.path() / "EXE/ports/COM3");
    const QString d = QString::fromStdString(dir);

    struct Case {
        QStringList arguments;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"compile", "--frob", d + "/moves.prg"}, 2, "Unknown option 'frob'"},
        {{"translate"}, 2, "there is no command \"translate\""},
        {{"compile", d + "/none.prg"}, 5, "does not exist"},
        {{"compile", d + "/folder.prg"}, 5, "is not a regular file"},
        {{"compile", d + "/big.prg"}, 5, "is too large for a program"},
        {{"decompile", d + "/binary.cpg"}, 5, "Invalid character (CR or NUL)"},
        {{"compile", d + "/moves.prg", "--model", "KT-999"}, 2, "there is no model \"KT-999\""},
        {{"send", "--port", "/dev/null", "--id", "00", "VER"}, 2, "ID 00 is the broadcast address"},
        {{"send", "--port", "/dev/null", "--id", "100", "VER"}, 2, "\"100\" is no device ID"},
        {{"send", "--port", d + "/nothing", "VER"}, 4, "there is no such device"},
        {{"send", "--port", "COM3", "VER"}, 4, "COM3 is assigned to"},
        {{"send", "--port", "usb:XYZ01", "VER"}, 2, "usb:XYZ01 names no controller"},
        {{"send", "--port", "tcp:", "VER"}, 2, "tcp: names no host"},
        {{"run", d + "/moves.prg"}, 2, "run needs --sim"},
        {{"run", d + "/moves.prg", "--sim", "--expect", "NOSUCH=1"}, 2, "answers no query NOSUCH"},
        {{"run", d + "/moves.prg", "--sim", "--input", "DI3=1@soon"}, 2, "is not NAME=VALUE"},
        {{"compile", d + "/moves.prg", "-o", d + "/none/out.txt"}, 5, "could not be written"},
        {{"decompile", d + "/moves.txt"}, 5, "moves.txt:1: \"PRG 0\" is no compiled line"},
        {{"compile", d + "/long.prg"}, 1, "long.prg: the program compiles to 3002 lines"},
        {{"params", "load", d + "/moves.prg", "--port", "/dev/null"}, 5, "is no parameter file"},
        {{"send", "--port", "tcp:localhost", "--id", "02", "DN"}, 2, "carries no device ID"},
    };
    for (const Case& c : cases) {
        const Ran run = motionctl(c.arguments, d);
        EXPECT_EQ(run.code, c.code) << c.arguments.join(' ').toStdString() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos)
            << c.arguments.join(' ').toStdString() << "\n"
            << run.err;
    }
}

} // namespace
