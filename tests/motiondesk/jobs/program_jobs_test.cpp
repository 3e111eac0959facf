// The jobs against helper programs played by the test: the files written before each helper
// runs, the link let go around every loader run and taken back, and what the user is told.

#include "motiondesk/jobs/program_jobs.h"

#include "link/command_transport.h"
#include "motiondesk/session/window_services.h"
#include "support/recording_clock.h"
#include "support/scratch_folder.h"
#include "support/scripted_helpers.h"
#include "support/scripted_serial_link.h"
#include "support/scripted_ui.h"
#include "support/scripted_usb_library.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::string>;
using session::HelperRun;

class Texts final : public jobs::ProgramTexts {
public:
    std::string sourceText() override { return source; }
    void selectSourceLine(int line) override { selected.push_back(line); }
    void setAllTexts(const std::string& text) override { all = text; }
    void showCompiledTotal(int lines) override { total = lines; }

    std::string source = "HSPD = 5\r\nEND\r\n";
    std::vector<int> selected;
    std::optional<std::string> all;
    std::optional<int> total;
};

class ProgramJobsTest : public ::testing::Test {
protected:
    ProgramJobsTest() {
        state.LinkType = transport::LinkSerial;
        state.LinkOpen = true;
        state.SerialPort = 2;
        port.open({2, 9600});
        services.helpers = &helpers;
    }

    // A helper that, when it runs, records what it found and writes its result.
    void helper(const char* name, std::string result, const char* resultFile) {
        helpers.helpers[name] = [this, result, resultFile, name] {
            seen[name] = {folder.read("progsmith_setup.txt"), folder.read("proglift_setup.txt"),
                          folder.read("Program.prg")};
            portOpenWhileRunning = port.isOpen();
            folder.write(resultFile, result);
            return HelperRun{};
        };
    }

    struct Seen {
        std::string compilerSetup, loaderSetup, program;
    };

    testing_support::ScratchFolder folder;
    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    testing_support::ScriptedUsbLibrary usb;
    testing_support::ScriptedSerialLink port;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), &port, &usb, &ui, clock};
    session::ProgramValues program;
    testing_support::ScriptedHelpers helpers;
    session::WindowServices services{state, transport, ui, clock, usb, {}, folder.str(), program};
    Texts texts;
    jobs::ProgramJobs jobs{services, texts};
    std::map<std::string, Seen> seen;
    bool portOpenWhileRunning = true;
};

TEST_F(ProgramJobsTest, CompileWritesItsFilesAndShowsTheLineCount) {
    texts.source = "HSPD = 5\r\nEND";
    helper("progsmith", "&84$5\r\nXX\r\n\r\n", "CompileOut.txt");
    jobs.CompileProgram();
    EXPECT_EQ(helpers.runs, std::vector<std::string>{folder.str() + "/progsmith"});
    EXPECT_EQ(seen["progsmith"].compilerSetup, "MOD:KT-210\r\nOPE:COMPILE\r\nFIL:Program.prg\r\n");
    EXPECT_EQ(seen["progsmith"].program, "HSPD = 5\r\nEND\r\n");
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
    EXPECT_EQ(texts.total, 2);
    // The link is not touched by a compile.
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.closes, 0);
}

TEST_F(ProgramJobsTest, AFailedCompileShowsItsReportAndSelectsTheLaterLineItNames) {
    helper("progsmith", "Failed Compile!\r\nLine: 2\r\nLine: 7\r\n", "CompileOut.txt");
    jobs.CompileProgram();
    EXPECT_EQ(ui.messages(), (Messages{"Failed Compile!\r\nLine: 2\r\nLine: 7\r\n"}));
    EXPECT_EQ(texts.selected, std::vector<int>{7});
    EXPECT_EQ(texts.total, std::nullopt);
}

TEST_F(ProgramJobsTest, NothingToCompileRunsNothing) {
    texts.source.clear();
    jobs.CompileProgram();
    EXPECT_EQ(ui.messages(), (Messages{"Nothing to compile!"}));
    EXPECT_TRUE(helpers.runs.empty());
}

// A download lets the serial port go while Proglift has it, and opens it again afterwards.
TEST_F(ProgramJobsTest, DownloadWritesItsSetUpAndHasTheLinkReleasedWhileTheLoaderRuns) {
    state.BaudRate = "19200";
    helper("proglift", "DOWNLOAD SUCCESS!\r\n", "DownloadOut.txt");
    jobs.DownloadProgram();
    EXPECT_EQ(seen["proglift"].loaderSetup,
              "LIN:1785\r\nCOM:SERIAL\r\nPOR:2\r\nBAU:19200\r\nDEV:01\r\nOPE:DOWNLOAD\r\n"
              "FIL:CompileOut.txt\r\nMOD:KT-210\r\n");
    EXPECT_FALSE(portOpenWhileRunning);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.reopens, 1);
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
}

TEST_F(ProgramJobsTest, OverUsbTheDeviceIsClosedAndOpenedAgainByItsIndex) {
    state.LinkType = transport::LinkUsb;
    state.UsbHandle = 41;
    state.UsbDeviceIndex = 3;
    usb.nextHandle = 77;
    helpers.helpers["proglift"] = [this] {
        EXPECT_EQ(usb.closedHandles, std::vector<int32_t>{41});
        EXPECT_TRUE(usb.openedIndexes.empty());
        folder.write("DownloadOut.txt", "CLEAR SUCCESS!\r\n");
        return HelperRun{};
    };
    jobs.ClearCodeSpace();
    EXPECT_EQ(usb.openedIndexes, std::vector<int32_t>{3});
    EXPECT_EQ(state.UsbHandle, 77);
    EXPECT_NE(folder.read("proglift_setup.txt").find("COM:USB\r\nDEV:01\r\nPOR:2\r\n"),
              std::string::npos);
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
}

// A job that cannot run to its end has the link back before it says why.
TEST_F(ProgramJobsTest, ALoaderThatWillNotStartOrCrashesIsReportedAfterTheLinkIsBack) {
    std::vector<bool> openWhenTold;
    ui.onMessage = [&](const std::string&) { openWhenTold.push_back(port.isOpen()); };
    jobs.DownloadProgram();
    helpers.helpers["proglift"] = [] {
        return HelperRun{HelperRun::Crashed, 11, "it crashed or was stopped (killed)"};
    };
    jobs.UploadProgram();
    EXPECT_EQ(ui.messages(),
              (Messages{folder.str() + "/proglift could not be started: No such file or directory",
                        folder.str() + "/proglift ended before its job was done: it crashed or was "
                                       "stopped (killed)"}));
    EXPECT_EQ(openWhenTold, (std::vector<bool>{true, true}));
    EXPECT_EQ(texts.all, std::nullopt);
}

TEST_F(ProgramJobsTest, AMissingResultIsReportedAfterTheLinkIsBack) {
    helpers.helpers["proglift"] = [] { return HelperRun{}; };
    bool openWhenTold = false;
    ui.onMessage = [&](const std::string&) { openWhenTold = port.isOpen(); };
    jobs.DownloadProgram();
    EXPECT_EQ(ui.messages(),
              (Messages{"File " + folder.str() + "/DownloadOut.txt does not exist!"}));
    EXPECT_TRUE(openWhenTold);
}

TEST_F(ProgramJobsTest, UploadDecompilesAndFillsBothTexts) {
    helper("proglift", "&84$5\r\nXX\r\n", "UploadOut.txt");
    helper("progsmith", "HSPD=5\r\nEND\r\n", "DecompileOut.prg");
    jobs.UploadProgram();
    EXPECT_EQ(helpers.runs,
              (std::vector<std::string>{folder.str() + "/proglift", folder.str() + "/progsmith"}));
    EXPECT_NE(seen["proglift"].loaderSetup.find("OPE:UPLOAD"), std::string::npos);
    EXPECT_EQ(seen["progsmith"].compilerSetup,
              "MOD:KT-210\r\nOPE:DECOMPILE\r\nFIL:UploadOut.txt\r\n");
    EXPECT_EQ(texts.all, "HSPD=5\r\nEND\r\n");
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
}

// Decompiling a failure report would give an empty program that looks like an upload.
TEST_F(ProgramJobsTest, AFailedUploadIsReportedAndTheTextsStayAsTheyWere) {
    helper("proglift", "UPLOAD FAILED!\r\nNo Reply to Command: SA0\r\n", "UploadOut.txt");
    jobs.UploadProgram();
    EXPECT_EQ(helpers.runs, std::vector<std::string>{folder.str() + "/proglift"});
    EXPECT_EQ(texts.all, std::nullopt);
    EXPECT_EQ(ui.messages(), (Messages{"UPLOAD FAILED!\r\nNo Reply to Command: SA0\r\n"}));
    EXPECT_TRUE(port.isOpen());
}

TEST_F(ProgramJobsTest, AnEmptyControllerUploadsAnEmptyProgram) {
    helper("proglift", "", "UploadOut.txt");
    helper("progsmith", "", "DecompileOut.prg");
    texts.all = "old";
    jobs.UploadProgram();
    EXPECT_EQ(texts.all, "");
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
}

TEST_F(ProgramJobsTest, APortThatCannotBeOpenedAgainIsReportedAndTheLinkClosed) {
    helpers.helpers["proglift"] = [this] {
        port.openSucceeds = false;
        folder.write("DownloadOut.txt", "DOWNLOAD SUCCESS!\r\n");
        return HelperRun{};
    };
    jobs.DownloadProgram();
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(ui.messages(), (Messages{"Done!", "Communication Error! Cannot open the port."}));
}

} // namespace
