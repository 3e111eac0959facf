// The terminal's exchange and transcript: addressing, the raw reply, broadcast, time-out, USB.

#include "motiondesk/windows/terminal_session.h"

#include "link/command_transport.h"
#include "support/fake_controller.h"
#include "support/recording_clock.h"
#include "support/scripted_serial_link.h"
#include "support/scripted_ui.h"
#include "support/scripted_usb_library.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::string>;

class TerminalSessionTest : public ::testing::Test {
protected:
    TerminalSessionTest() {
        state.LinkType = transport::LinkSerial;
        state.LinkOpen = true;
        state.DeviceName = "01";
        link.open({1, 9600});
        controller.attach(link);
    }

    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    testing_support::ScriptedSerialLink link;
    testing_support::ScriptedUsbLibrary usb;
    testing_support::FakeController controller;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::terminal(), &link, &usb, &ui, clock};
    windows::TerminalSession session{transport, ui};
};

TEST_F(TerminalSessionTest, ACommandGoesToTheIdInTheBoxAndTheTranscriptShowsBothWays) {
    session.load();
    controller.replies["PX"] = "#03123";
    const auto entered = session.enter("PX", "3");
    EXPECT_TRUE(entered.sent);
    EXPECT_EQ(entered.deviceId, "03");
    EXPECT_EQ(link.writes.back(), "@03PX\r");
    // The reply as it came, with its "#" and ID.
    EXPECT_EQ(session.transcript(), ">@03PX\r\n<#03123\r\n");
    // Every window addresses this device until the terminal closes.
    EXPECT_EQ(state.DeviceName, "03");
    session.close();
    EXPECT_EQ(state.DeviceName, "01");
}

TEST_F(TerminalSessionTest, ABroadcastAndASilentControllerAreNamedInTheTranscript) {
    session.load();
    session.enter("ABORT", "0");
    controller.silent.insert("PX");
    session.enter("PX", "01");
    EXPECT_EQ(session.transcript(), ">@00ABORT\r\n<BROADCAST SENT!\r\n>@01PX\r\n<NO REPLY!\r\n");
    // A time-out in the terminal is quiet and keeps the link.
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(TerminalSessionTest, AnIdThatIsNoDeviceSendsNothing) {
    session.load();
    const auto entered = session.enter("PX", "abc");
    EXPECT_FALSE(entered.sent);
    session.enter("PX", "100");
    EXPECT_TRUE(link.writes.empty());
    EXPECT_EQ(session.transcript(), "");
    EXPECT_EQ(ui.messages(),
              (Messages{"Communication Error! The device ID \"abc\" is no number from 0 to 99.",
                        "Communication Error! The device ID \"100\" is no number from 0 to 99."}));
}

// Shown escaped; saved as the bytes the controller sent.
TEST_F(TerminalSessionTest, RepliesThatCannotBeShownAreEscapedButSavedAsTheyCame) {
    session.load();
    controller.replies["VER"] = std::string("V2\0\x01\xe9", 5);
    session.enter("VER", "01");
    EXPECT_EQ(session.transcript(), ">@01VER\r\n<V2\\x00\\x01\xe9\r\n");
    EXPECT_EQ(session.fileText(), std::string(">@01VER\r\n<V2\0\x01\xe9\r\n\r\n", 19));
}

// A reply slower than the silence is "NO REPLY!"; its late characters are then dropped before
// the next command, never read as its reply.
TEST_F(TerminalSessionTest, LateCharactersOfASlowReplyAreDiscardedNotTakenForTheNextReply) {
    session.load();
    link.responder = nullptr;
    link.queueInput("V2");
    link.queuePause(150);
    link.queueInput("23\r");
    session.enter("VER", "01");
    link.queueInput("KTR01\r");
    session.enter("DN", "01");
    EXPECT_EQ(session.transcript(),
              ">@01VER\r\n<V2\r\n>@01DN\r\n"
              "(3 late characters of an earlier reply discarded before this command)\r\n"
              "<KTR01\r\n");
    EXPECT_TRUE(state.LinkOpen);
}

TEST_F(TerminalSessionTest, OverUsbTheCommandGoesAloneAndAnEmptyReplyIsNoError) {
    state.LinkType = transport::LinkUsb;
    usb.responder = [](const std::string& command) { return command == "PX" ? "55" : ""; };
    session.load();
    session.enter("PX", "01");
    session.enter("STORE", "01");
    session.enter(std::string(65, 'A'), "01");
    EXPECT_EQ(session.transcript(),
              "PX\r\n<55\r\nSTORE\r\n<\r\n" + std::string(65, 'A') + "\r\n<\r\n");
    EXPECT_EQ(usb.sentBlocks.size(), 2u) << "the long command is not sent";
    EXPECT_EQ(usb.closedHandles.size(), 0u);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(TerminalSessionTest, TheLinkClosedIsSaidAtLoadAndCommandsGoNowhere) {
    state.LinkOpen = false;
    session.load();
    session.enter("PX", "01");
    EXPECT_TRUE(link.writes.empty());
    EXPECT_EQ(session.transcript(), ">@01PX\r\n<NO REPLY!\r\n");
    EXPECT_EQ(ui.messages(), (Messages{"Communication port not open!"}));
}

TEST_F(TerminalSessionTest, HistoryTimeStampsAndTheSavedText) {
    session.load();
    session.setClockText([] { return std::string("12:00:00.000"); });
    session.enter("PX", "01");
    session.setTimeStamps(true);
    session.enter("EX", "01");
    EXPECT_EQ(session.PreviousCommand(), "EX");
    EXPECT_EQ(session.olderCommand(), "EX");
    EXPECT_EQ(session.olderCommand(), "PX");
    EXPECT_EQ(session.olderCommand(), std::nullopt);
    EXPECT_EQ(session.newerCommand(), "EX");
    EXPECT_EQ(session.newerCommand(), "");
    EXPECT_EQ(session.fileText(), ">@01PX\r\n<0\r\n[12:00:00.000] >@01EX\r\n"
                                  "[12:00:00.000] <0\r\n\r\n");
}

} // namespace
