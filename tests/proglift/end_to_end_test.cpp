// The real program against the real simulator: EXE/proglift started without arguments in a
// folder of its own, controller-sim on a pseudo-terminal, TCP or the USB stand-in, and the
// simulator's command log for what reached the controller.

#include "installed_loader.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace proglift_testing;
using testing_support::SimProcess;

namespace {

enum class Endpoint { Pty, Tcp, Usb };

const char* endpointName(Endpoint endpoint) {
    switch (endpoint) {
    case Endpoint::Pty:
        return "pty";
    case Endpoint::Tcp:
        return "tcp";
    case Endpoint::Usb:
        return "usb";
    }
    return "?";
}

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "proglift_end_to_end_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// controller-sim serving one controller where the loader will look for it.
class Setting {
public:
    Setting(Endpoint endpoint, const std::string& model, QStringList extra = {})
        : endpoint_(endpoint),
          sim_(arguments(endpoint, model, loader.portPath(1), std::move(extra))) {}

    bool start() { return sim_.start(); }
    QString errorText() const { return sim_.errorText(); }

    void writeSetup(const std::string& operation, const std::string& model,
                    const std::string& lineLimit = "1785") {
        std::vector<std::string> lines = {"LIN:" + lineLimit};
        if (endpoint_ == Endpoint::Tcp) {
            lines.push_back("COM:ETHERNET");
            lines.push_back("IPA:127.0.0.1");
            lines.push_back("POR:" + std::to_string(sim_.tcpPort()));
        } else {
            lines.push_back(endpoint_ == Endpoint::Usb ? "COM:USB" : "COM:SERIAL");
            lines.push_back("DEV:01");
            lines.push_back("POR:1");
            lines.push_back("BAU:9600");
        }
        lines.push_back("OPE:" + operation);
        lines.push_back("FIL:CompileOut.txt");
        lines.push_back("MOD:" + model);
        std::string bytes;
        for (const auto& line : lines)
            bytes += line + "\r\n";
        loader.folder.write("proglift_setup.txt", bytes);
    }

    std::vector<std::string> writeProgram(int count) {
        std::vector<std::string> lines;
        std::string bytes;
        for (int i = 0; i < count; ++i) {
            lines.push_back(i % 5 == 4 ? "XX" : "&84$" + std::to_string(1000 + i));
            bytes += lines.back() + "\r\n";
        }
        loader.folder.write("CompileOut.txt", bytes + "\r\n");
        return lines;
    }

    int run() {
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ZENTORCOM_DIR", sim_.path("usb"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        return loader.run(environment);
    }
    std::string usbFolder() const { return sim_.path("usb").toStdString(); }

    // The commands the controller received, without the endpoint and ID columns.
    std::vector<std::string> commands() const {
        std::vector<std::string> commands;
        const QString prefix = QString(endpointName(endpoint_)) + " 01 ";
        for (const QString& line : SimProcess::readLog(sim_.path("commands.log"))) {
            EXPECT_TRUE(line.startsWith(prefix)) << line.toStdString();
            commands.push_back(line.mid(prefix.size()).toStdString());
        }
        return commands;
    }

    InstalledLoader loader;

private:
    static QStringList arguments(Endpoint endpoint, const std::string& model,
                                 const std::string& portPath, QStringList extra) {
        QStringList arguments = {"--model", QString::fromStdString(model), "--log",
                                 "{dir}/commands.log"};
        if (endpoint == Endpoint::Pty) arguments << "--pty" << QString::fromStdString(portPath);
        if (endpoint == Endpoint::Tcp)
            arguments << "--tcp"
                      << "0";
        if (endpoint == Endpoint::Usb)
            arguments << "--usb"
                      << "{dir}/usb";
        return arguments + extra;
    }

    Endpoint endpoint_;
    SimProcess sim_;
};

std::vector<std::string> range(const std::string& prefix, int first, int last,
                               const std::string& suffix = "") {
    std::vector<std::string> commands;
    for (int i = first; i <= last; ++i)
        commands.push_back(prefix + std::to_string(i) + suffix);
    return commands;
}

std::vector<std::string> writes(const std::vector<std::string>& lines) {
    std::vector<std::string> commands;
    for (size_t i = 0; i < lines.size(); ++i)
        commands.push_back("SA" + std::to_string(i) + "=" + lines[i]);
    return commands;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class EveryEndpoint : public ::testing::TestWithParam<Endpoint> {
protected:
    void SetUp() override { application(); }
};

std::string endpointParamName(const ::testing::TestParamInfo<Endpoint>& info) {
    return endpointName(info.param);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(ControllerSim, EveryEndpoint,
                         ::testing::Values(Endpoint::Pty, Endpoint::Tcp, Endpoint::Usb),
                         endpointParamName);

TEST_P(EveryEndpoint, DownloadWritesTheProgramThenEmptiesTheRestOfThePage) {
    Setting setting(GetParam(), "QB-450");
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("DOWNLOAD", "QB-450");
    const auto lines = setting.writeProgram(100);
    EXPECT_EQ(setting.run(), 0);
    EXPECT_EQ(setting.commands(), writes(lines) + range("SA", 100, 169, "="));
    EXPECT_EQ(setting.loader.folder.read("DownloadOut.txt"), "DOWNLOAD SUCCESS!\r\n");
}

TEST_P(EveryEndpoint, ClearEmptiesAll1785Slots) {
    Setting setting(GetParam(), "KT-210", {"--state", "SA1784=XX"});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("CLEAR", "KT-210");
    EXPECT_EQ(setting.run(), 0);
    EXPECT_EQ(setting.commands(), range("SA", 0, 1784, "="));
    EXPECT_EQ(setting.loader.folder.read("DownloadOut.txt"), "DOWNLOAD SUCCESS!\r\n");
}

TEST_P(EveryEndpoint, UploadStopsAtTheFirstEmptySlot) {
    Setting setting(GetParam(), "KT-210",
                    {"--state", "SA0=VR1", "--state", "SA1=CV5", "--state", "SA2=AM", "--state",
                     "SA3=XX", "--state", "SA5=CV9"});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("UPLOAD", "KT-210");
    EXPECT_EQ(setting.run(), 0);
    EXPECT_EQ(setting.commands(), range("SA", 0, 4));
    EXPECT_EQ(setting.loader.folder.read("UploadOut.txt"), "VR1\r\nCV5\r\nAM\r\nXX\r\n");
}

TEST(EndToEnd, UsbDeviceIsFreeAgainWhenTheRunHasEnded) {
    application();
    Setting setting(Endpoint::Usb, "KT-210", {"--state", "SA0=XX"});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("UPLOAD", "KT-210");
    EXPECT_EQ(setting.run(), 0);
    // The loader leaves closing to the library's release at a normal end; a run that ended any
    // other way would leave the device held and this second run unable to open it.
    EXPECT_EQ(setting.run(), 0);
    EXPECT_EQ(setting.loader.folder.read("UploadOut.txt"), "XX\r\n");
}

TEST(EndToEnd, ControllerThatStopsAnsweringMidDownloadEndsTheRun) {
    application();
    Setting setting(Endpoint::Pty, "KT-210", {"--fault", "no-reply@SA40="});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("DOWNLOAD", "KT-210");
    const auto lines = setting.writeProgram(100);
    EXPECT_EQ(setting.run(), 1);
    EXPECT_EQ(setting.commands(), writes({lines.begin(), lines.begin() + 41}));
    EXPECT_EQ(setting.loader.folder.read("DownloadOut.txt"),
              "DOWNLOAD FAILED!\r\nNo Reply to Command: SA40=" + lines[40] +
                  "; slots 0 to 39 written; the controller holds a partial program\r\n");
}

TEST(EndToEnd, TcpControllerThatDropsTheLineEndsTheRunAndNamesTheSlotsWritten) {
    application();
    Setting setting(Endpoint::Tcp, "KT-210", {"--fault", "disconnect:30"});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("DOWNLOAD", "KT-210");
    setting.writeProgram(100);
    EXPECT_EQ(setting.run(), 1);
    EXPECT_EQ(setting.commands().size(), 31u);
    EXPECT_EQ(setting.loader.folder.read("DownloadOut.txt"),
              "DOWNLOAD FAILED!\r\nCould not open TCP/IP socket!; slots 0 to 29 written; the "
              "controller holds a partial program\r\n");
}

QStringList filledSlots(int count) {
    QStringList arguments;
    for (int i = 0; i < count; ++i)
        arguments << "--state" << QString("SA%1=CV%1").arg(i);
    return arguments;
}

// A device whose socket went with the line, or that never answers, ends the run at the first
// command left unanswered, within the read time-out (1 s).
TEST(EndToEnd, UsbDeviceThatVanishesOrStaysSilentFailsTheRun) {
    application();
    const std::string note = "; slots 0 to 39 written; the controller holds a partial program";
    const std::tuple<const char*, const char*, size_t, std::string> cases[] = {
        {"DOWNLOAD", "disconnect:40", 41, "DOWNLOAD FAILED!\r\nNo Reply to Command: SA40=&84$1040"},
        {"UPLOAD", "disconnect:30", 31, "UPLOAD FAILED!\r\nNo Reply to Command: SA30"},
        {"DOWNLOAD", "no-reply", 1, "DOWNLOAD FAILED!\r\nNo Reply to Command: SA0=&84$1000"},
    };
    for (const auto& [operation, fault, received, result] : cases) {
        SCOPED_TRACE(fault);
        Setting setting(Endpoint::Usb, "KT-210", filledSlots(50) << "--fault" << fault);
        ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
        setting.writeSetup(operation, "KT-210");
        setting.writeProgram(100);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(setting.run(), 1);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(setting.commands().size(), received);
        const bool upload = operation == std::string("UPLOAD");
        EXPECT_EQ(setting.loader.folder.read(upload ? "UploadOut.txt" : "DownloadOut.txt"),
                  result + " (USB transfer failed)" + (received == 41 ? note : "") + "\r\n");
    }
}

// SA2's reply pauses longer than a reply may: SA2 has timed out, and the rest of its reply must
// not pass for the replies to SA3, SA4 ...
TEST(EndToEnd, TcpReplyThatFallsSilentBeforeItsCarriageReturnFailsItsCommand) {
    application();
    Setting setting(Endpoint::Tcp, "KT-210",
                    filledSlots(10) << "--fault"
                                    << "slow:400@SA2");
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("UPLOAD", "KT-210");
    EXPECT_EQ(setting.run(), 1);
    EXPECT_EQ(setting.commands(), range("SA", 0, 2));
    EXPECT_EQ(setting.loader.folder.read("UploadOut.txt"),
              "UPLOAD FAILED!\r\nNo Reply to Command: SA2\r\n");
}

TEST(EndToEnd, UnsafeUsbSocketFolderIsNamedInTheResult) {
    application();
    Setting setting(Endpoint::Usb, "KT-210", {"--state", "SA0=XX"});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    std::filesystem::permissions(setting.usbFolder(), std::filesystem::perms(0777));
    setting.writeSetup("UPLOAD", "KT-210");
    EXPECT_EQ(setting.run(), 1);
    EXPECT_TRUE(setting.commands().empty());
    EXPECT_EQ(setting.loader.folder.read("UploadOut.txt"),
              "UPLOAD FAILED!\r\nCould not find USB device! USB socket folder " +
                  setting.usbFolder() + " is not safe: other users can write to it\r\n");
}

TEST(EndToEnd, PortThatIsNotASerialPortCannotBeOpened) {
    application();
    InstalledLoader loader;
    loader.folder.write("ports/COM7", "not a terminal");
    loader.folder.write("proglift_setup.txt",
                        "LIN:1785\r\nCOM:SERIAL\r\nDEV:01\r\nPOR:7\r\nBAU:9600\r\nOPE:UPLOAD\r\n"
                        "FIL:CompileOut.txt\r\nMOD:KT-210\r\n");
    EXPECT_EQ(loader.run(), 1);
    const std::string link = loader.portPath(7);
    EXPECT_EQ(loader.folder.read("UploadOut.txt"),
              "UPLOAD FAILED!\r\nCould not open serial port! Cannot open COM7 (" + link +
                  "): this is a file, not a serial device. Remove " + link +
                  ", or assign a port to COM7.\r\n");
}

TEST(EndToEnd, NoSetupFileEndsWithoutWritingAnything) {
    application();
    InstalledLoader loader;
    const size_t before = loader.folder.fileCount();
    EXPECT_EQ(loader.run(), 0);
    EXPECT_EQ(loader.folder.fileCount(), before);
}

// Runs a copy of EXE/progsmith on UploadOut.txt in folder and returns DecompileOut.prg.
std::string decompileUpload(const ScratchFolder& folder) {
    const std::filesystem::path progsmith = std::filesystem::path(SUITE_EXE_DIR) / "progsmith";
    const auto copy = folder.path() / "progsmith";
    if (!std::filesystem::exists(copy)) std::filesystem::copy_file(progsmith, copy);
    folder.write("progsmith_setup.txt", "MOD:KT-210\r\nOPE:DECOMPILE\r\nFIL:UploadOut.txt\r\n");
    QProcess decompiler;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    decompiler.setProcessEnvironment(environment);
    decompiler.start(QString::fromStdString(copy.string()), {});
    if (!decompiler.waitForFinished(60000)) decompiler.kill();
    return folder.read("DecompileOut.prg");
}

TEST(EndToEnd, FailedUploadDecompilesToAnEmptyProgram) {
    application();
    if (!std::filesystem::exists(std::filesystem::path(SUITE_EXE_DIR) / "progsmith"))
        GTEST_SKIP() << "EXE/progsmith is not built";
    {
        ScratchFolder probe;
        probe.write("UploadOut.txt", "XX\r\n");
        if (decompileUpload(probe).find("END") == std::string::npos)
            GTEST_SKIP() << "EXE/progsmith does not decompile yet";
    }
    Setting setting(Endpoint::Pty, "KT-210",
                    {"--state", "SA0=VR1", "--state", "SA1=XX", "--fault", "no-reply@SA1"});
    ASSERT_TRUE(setting.start()) << setting.errorText().toStdString();
    setting.writeSetup("UPLOAD", "KT-210");
    EXPECT_EQ(setting.run(), 1);
    const auto& folder = setting.loader.folder;
    ASSERT_EQ(folder.read("UploadOut.txt"), "UPLOAD FAILED!\r\nNo Reply to Command: SA1\r\n");
    const std::string program = decompileUpload(folder);
    EXPECT_EQ(program.find_first_not_of(" \r\n"), std::string::npos) << program;
}
