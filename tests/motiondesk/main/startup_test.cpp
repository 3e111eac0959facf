// Loading the main window: the model check, the firmware gates, the read-back, About, closing.

#include "main_window_fixture.h"

#include "motiondesk/main/startup.h"
#include "motiondesk/session/port_loan.h"

#include <QGroupBox>
#include <QScrollArea>

namespace maintest {
namespace {

using Startup = MainWindowTest;

const std::vector<std::string> kLoadingSequence = {"DN",  "VER",  "EO",   "ID",  "VER",
                                                   "DN",  "HSPD", "LSPD", "ACC", "SSPDM",
                                                   "DEC", "EDIO", "LTS",  "SYNS"};

TEST_F(Startup, OpensItsPortWithTheSharedSettingsAndSendsTheLoadingSequenceInOrder) {
    state.SerialPort = 3;
    state.BaudRate = "38400";
    openKeepingLog();
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(port->opens.size(), 1u);
    EXPECT_EQ(port->opens[0], std::make_pair(3, std::string("38400,N,8,1")));
    EXPECT_EQ(sent(), kLoadingSequence);
    EXPECT_EQ(port->writes.front(), "@01DN\r");
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_FALSE(window->loading());
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(find<QObject>("Timer1")->property("active").toBool());
}

TEST_F(Startup, ReadBackFillsLabelsFieldsAndLists) {
    controller.replies["ID"] = "07";
    controller.replies["VER"] = "V231";
    controller.replies["DN"] = "KTR07";
    controller.replies["HSPD"] = "2500";
    controller.replies["LSPD"] = "150";
    controller.replies["ACC"] = "800";
    controller.replies["DEC"] = "600";
    controller.replies["SSPDM"] = "4";
    open();
    EXPECT_EQ(shown("ID"), "07");
    EXPECT_EQ(shown("Version"), "V231");
    EXPECT_EQ(shown("SN"), "KTR07");
    EXPECT_EQ(field("SetSpeed"), "2500");
    EXPECT_EQ(field("LSpeed"), "150");
    EXPECT_EQ(field("Accel"), "800");
    EXPECT_EQ(field("Decel"), "600");
    EXPECT_EQ(find<QComboBox>("SpeedModeList")->currentText(), "4");
    EXPECT_EQ(program.FirmwareVersion, 231);
    EXPECT_EQ(find<QComboBox>("SynTimeX")->count(), 31);
    EXPECT_EQ(find<QComboBox>("XSel")->currentText(), "=");
}

TEST_F(Startup, ControllerOfAnotherModelGetsNoFurtherCommandAndNoMessage) {
    controller.replies["DN"] = "QB450";
    openKeepingLog();
    EXPECT_EQ(sent(), (Commands{"DN"}));
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(find<QObject>("Timer1")->property("active").toBool());
}

TEST_F(Startup, PortThatCannotOpenIsReportedAndNothingIsSent) {
    portOpens = false;
    openKeepingLog();
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(ui.messages(),
              (Commands{std::string(mainwindow::kPortNotAvailable) + "\r\rCannot open the port."}));
    EXPECT_EQ(ui.messages()[0], "Communication port not available!  Please select available "
                                "communication port and try again.\r\rCannot open the port.");
}

TEST_F(Startup, FailedReadBackStopsThereWithOneCommunicationError) {
    controller.silent = {"LSPD"};
    openKeepingLog();
    const Commands expected = {"DN", "VER", "EO", "ID", "VER", "DN", "HSPD", "LSPD"};
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: LSPD", "Communication Error!"}));
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_TRUE(window->loading());
    tick(3);
    EXPECT_EQ(sent(), expected);
}

TEST_F(Startup, DriverEnableAndDigitalIoBoxesSendBackWhatTheyReadButLatchAndSyncStayQuiet) {
    controller.replies["EO"] = "1";
    controller.replies["EDIO"] = "1";
    controller.replies["LTS"] = "2";
    controller.replies["SYNS"] = "1";
    openKeepingLog();
    const Commands expected = {"DN",   "VER", "EO",    "EO=1", "ID",   "VER",    "DN",  "HSPD",
                               "LSPD", "ACC", "SSPDM", "DEC",  "EDIO", "EDIO=1", "LTS", "SYNS"};
    EXPECT_EQ(sent(), expected);
    EXPECT_TRUE(ticked("EnableStat"));
    EXPECT_TRUE(ticked("DIOenable"));
    EXPECT_TRUE(ticked("EnableLatch"));
    EXPECT_TRUE(ticked("SyncEnableX"));
}

struct FirmwareCase {
    const char* version;
    bool decelerationFeatures;
    bool multiThread;
    int missingFeatures;
};

class FirmwareGates : public MainWindowTest, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(FirmwareGates, DisableWhatTheFirmwareLacksAndAboutListsIt) {
    const FirmwareCase& firmware = GetParam();
    controller.replies["VER"] = firmware.version;
    // The program-control frame of the window holds the multi-thread button.
    openKeepingLog();
    for (const char* name : {"Decel", "Command30", "HLM", "HLP", "Command26", "Command27"})
        EXPECT_EQ(enabled(name), firmware.decelerationFeatures) << name;
    const bool decelerationRead = std::find(sent().begin(), sent().end(), "DEC") != sent().end();
    EXPECT_EQ(decelerationRead, firmware.decelerationFeatures);

    click("Help");
    ASSERT_EQ(ui.messages().size(), 1u);
    // The versions and the features come first, then the keys.
    const std::string& message = ui.messages()[0];
    const auto keys = message.find("\rKeys:\r");
    ASSERT_NE(keys, std::string::npos);
    const std::string text = message.substr(0, keys);
    const auto lines = std::count(text.begin(), text.end(), '\r');
    EXPECT_EQ(text.find('\n'), std::string::npos);
    int features = 0;
    for (size_t at = text.find("\r - "); at != std::string::npos; at = text.find("\r - ", at + 1))
        ++features;
    EXPECT_EQ(features, firmware.missingFeatures);
    EXPECT_EQ(lines, firmware.missingFeatures == 0 ? 4 : 6 + firmware.missingFeatures);
}

INSTANTIATE_TEST_SUITE_P(Startup, FirmwareGates,
                         ::testing::Values(FirmwareCase{"V221", false, false, 12},
                                           FirmwareCase{"V229", false, true, 5},
                                           FirmwareCase{"V230", true, true, 0}));

TEST(AboutText, ListsTheMissingFeaturesInOrderForOldFirmware) {
    EXPECT_EQ(mainwindow::aboutText("223", 230),
              "GUI Version: 223\r\rController Firmware: V230\r\r");
    EXPECT_EQ(mainwindow::aboutText("223", 229),
              "GUI Version: 223\r\rController Firmware: V229\r\r"
              "The following GUI features are not supported by this firmware:\r\r"
              " - Deceleration\r - Return Zero (Homing)\r - LHOME, HLHOME\r"
              " - On-the-fly position change\r - Enable output polarity + boot-up state\r");
    const std::string old = mainwindow::aboutText("223", 221);
    EXPECT_NE(old.find(" - Enable output polarity + boot-up state\r"
                       " - Jump to line 0 on stand-alone error\r"),
              std::string::npos);
    EXPECT_TRUE(old.ends_with(" - Time out counter (serial comm)\r"));
}

TEST_F(Startup, AboutSaysNothingWhileTheLinkIsDown) {
    controller.replies["DN"] = "XYZ";
    open();
    click("Help");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Startup, ClosingReleasesTheSerialPort) {
    open();
    window->reject();
    EXPECT_FALSE(port->isOpen());
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(transport.serialLink(), nullptr);
    EXPECT_FALSE(find<QObject>("Timer1")->property("active").toBool());
}

TEST_F(Startup, UsbLinkSkipsTheModelCheckAndIsClosedOnItsHandle) {
    state.LinkType = transport::LinkUsb;
    state.LinkOpen = true;
    state.UsbHandle = 77;
    usb.responder = [this](const std::string& command) { return controller.answer(command); };
    openKeepingLog();
    EXPECT_EQ(port, nullptr);
    EXPECT_EQ(sent().front(), "VER");
    click("CloseButton");
    EXPECT_EQ(usb.closedHandles, (std::vector<int32_t>{77}));
    EXPECT_FALSE(state.LinkOpen);
}

TEST_F(Startup, ProgramControlHasItsOwnFrame) {
    open();
    QGroupBox* frame = window->programControlFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->window(), window.get());
    EXPECT_EQ(window->objectName(), "frmMain");
    EXPECT_EQ(window->windowTitle(), "LMC-7 Program");
}

// On a 1366 x 768 screen (728 high below a panel, less the title bar and the status line) every
// frame shows without scrolling.
TEST_F(Startup, TheFramesFitASmallLaptopScreen) {
    open();
    const QSize needed = find<QScrollArea>("MainScroll")->widget()->minimumSizeHint();
    EXPECT_LE(needed.width(), 1366 - 30);
    EXPECT_LE(needed.height(), 728 - 30 - 40);
}

} // namespace
} // namespace maintest

namespace maintest {
namespace {

// After a failure the window's values are stale: the status line says so until the user
// connects again.
TEST_F(MainWindowTest, StatusLineShowsPlainlyWhenTheLinkIsLost) {
    state.SerialPort = 3;
    state.BaudRate = "19200";
    open();
    EXPECT_EQ(shown("LinkStatus").toStdString(), "Connected on COM3 at 19200 baud to device 01");
    EXPECT_TRUE(find<QLabel>("LinkStatus")->property("linkUp").toBool());

    controller.silent.insert("PX");
    tick();
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(ui.messages(), (Messages{"No Reply to Command: PX", "Communication Error!"}));
    EXPECT_TRUE(shown("LinkStatus").startsWith("Link lost: the values shown are from before it"));
    EXPECT_FALSE(find<QLabel>("LinkStatus")->property("linkUp").toBool());
}

// Reconnect opens the same port again, runs the checks and the read-back of loading and goes on
// polling; while the port cannot be opened it says why and leaves the window as it was.
TEST_F(MainWindowTest, ReconnectOpensTheSameLinkAgainAfterItWasLost) {
    open();
    EXPECT_FALSE(find<QWidget>("Reconnect")->isVisibleTo(window.get()));
    controller.vanished = true;
    tick();
    ASSERT_FALSE(state.LinkOpen);
    EXPECT_TRUE(find<QWidget>("Reconnect")->isVisibleTo(window.get()));

    portOpens = false;
    ui.clearMessages();
    sent().clear();
    click("Reconnect");
    EXPECT_FALSE(state.LinkOpen);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].rfind(mainwindow::kPortNotAvailable, 0), 0u) << ui.messages()[0];
    EXPECT_TRUE(shown("LinkStatus").startsWith("Link lost:"));

    portOpens = true;
    controller.vanished = false;
    controller.replies["HSPD"] = "4321";
    ui.clearMessages();
    click("Reconnect");
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(sent().front(), "DN");
    EXPECT_EQ(field("SetSpeed"), "4321");
    EXPECT_FALSE(find<QWidget>("Reconnect")->isVisibleTo(window.get()));
    sent().clear();
    tick();
    EXPECT_FALSE(sent().empty());
}

TEST_F(MainWindowTest, StatusLineSaysNotConnectedWhenNoControllerAnswered) {
    controller.replies["DN"] = "QB123";
    open();
    EXPECT_TRUE(shown("LinkStatus").startsWith("Not connected: no controller answered."));
}

TEST_F(MainWindowTest, EveryControlNameTheWindowBindsIsOneOfItsControls) {
    open();
    EXPECT_EQ(window->unboundControls(), std::vector<std::string>{});
}

// Another window borrows the port: nothing goes out from the main window meanwhile, and the
// poll goes on once the port is back.
TEST_F(MainWindowTest, APortLoanPausesThePollAndClosesThePortUntilItEnds) {
    open();
    {
        session::PortLoan loan(window->portHolder());
        EXPECT_TRUE(window->pollPaused());
        EXPECT_FALSE(port->isOpen());
        tick(3);
        EXPECT_TRUE(sent().empty());
    }
    EXPECT_FALSE(window->pollPaused());
    EXPECT_TRUE(port->isOpen());
    tick();
    EXPECT_FALSE(sent().empty());
}

TEST_F(MainWindowTest, APortThatCannotBeTakenBackIsReportedAndThePollStaysQuiet) {
    open();
    {
        session::PortLoan loan(window->portHolder());
        port->openSucceeds = false;
    }
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(ui.messages(), (Messages{"Communication Error! Cannot open the port."}));
    tick();
    EXPECT_TRUE(sent().empty());
}

} // namespace
} // namespace maintest
