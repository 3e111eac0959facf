// How the terminal's, a window's and the loader's exchanges differ from Motiondesk's.

#include "link/command_transport.h"
#include "recording_clock.h"
#include "scripted_serial_link.h"
#include "scripted_ui.h"
#include "scripted_usb_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::ScriptedUsbLibrary;
using transport::CommandTransport;
using transport::TransportPolicy;

class PolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.LinkType = transport::LinkSerial;
        state.LinkOpen = true;
        state.DeviceName = "01";
        state.UsbHandle = 9;
        link.open({1, 9600});
    }
    CommandTransport make(TransportPolicy policy, transport::ConnectionState& connection) {
        return CommandTransport(connection, policy, &link, &usb, &ui, clock);
    }

    transport::ConnectionState state;
    testing_support::ScriptedSerialLink link;
    ScriptedUsbLibrary usb;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    std::string reply;
};

using TerminalExchange = PolicyTest;

TEST_F(TerminalExchange, ShowsReplyExactlyAsSent) {
    auto terminal = make(TransportPolicy::terminal(), state);
    link.queueInput("#01123\r");
    usb.replies.push_back(ScriptedUsbLibrary::block("#01456"));

    EXPECT_EQ(terminal.SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "#01123");
    state.LinkType = transport::LinkUsb;
    EXPECT_EQ(terminal.SendCommand("PX", reply), 1);
    EXPECT_EQ(reply, "#01456");
}

TEST_F(TerminalExchange, TimeOutIsSilentAndKeepsLinkOpen) {
    auto terminal = make(TransportPolicy::terminal(), state);
    link.queueInput("4");
    link.queuePause(500);

    EXPECT_EQ(terminal.SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "4");
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(TerminalExchange, BroadcastWithoutAnswerIsQuiet) {
    auto terminal = make(TransportPolicy::terminal(), state);
    state.DeviceName = "00";

    EXPECT_EQ(terminal.SendCommand("ABORT", reply), 0);
    EXPECT_THAT(link.writes, ElementsAre("@00ABORT\r"));
    EXPECT_EQ(reply, "");
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(TerminalExchange, EmptySerialReplyIsStillNoResponse) {
    auto terminal = make(TransportPolicy::terminal(), state);
    link.queueInput("\r");

    EXPECT_EQ(terminal.SendCommand("PX", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("No Response!"));
}

TEST_F(TerminalExchange, EmptyUsbReplyIsNotAnError) {
    auto terminal = make(TransportPolicy::terminal(), state);
    state.LinkType = transport::LinkUsb;

    EXPECT_EQ(terminal.SendCommand("PX", reply), 1);
    EXPECT_EQ(reply, "");
    EXPECT_THAT(usb.closedHandles, IsEmpty());
    EXPECT_EQ(ui.quitRequests, 0);
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(TerminalExchange, FailingPortIsReportedAndClosesLink) {
    auto terminal = make(TransportPolicy::terminal(), state);
    link.queueFailure("gone");

    EXPECT_EQ(terminal.SendCommand("PX", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("Communication Error! gone"));
}

TEST_F(TerminalExchange, OverlongUsbCommandIsRefused) {
    auto terminal = make(TransportPolicy::terminal(), state);
    state.LinkType = transport::LinkUsb;

    EXPECT_EQ(terminal.SendCommand(std::string(65, 'V'), reply), -1);
    EXPECT_THAT(usb.sentBlocks, IsEmpty());
}

using WindowExchange = PolicyTest;

TEST_F(WindowExchange, OwnStateCopyIsAddressedAndClearedAlone) {
    transport::ConnectionState own = state;
    own.DeviceName = "05";
    auto window = make(TransportPolicy::window(), own);
    link.queueInput("1");

    EXPECT_EQ(window.SendCommand("SASTAT0", reply), -1);
    EXPECT_THAT(link.writes, ElementsAre("@05SASTAT0\r"));
    EXPECT_FALSE(own.LinkOpen);
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("No Reply to Command: SASTAT0"));
}

TEST_F(WindowExchange, SharedStateIsClearedByWindowFailure) {
    auto window = make(TransportPolicy::window(), state);
    link.queueInput("\r");

    EXPECT_EQ(window.SendCommand("POL", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("No Response!"));
}

using LoaderExchange = PolicyTest;

TEST_F(LoaderExchange, FailuresGoToLastErrorTextNeverToUser) {
    struct Case {
        const char* command;
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"SA3", "", "No Reply to Command: SA3"},
        {"PX", "\r", "No Response!"},
    };
    for (const Case& c : cases) {
        state.LinkOpen = true;
        auto loader = make(TransportPolicy::proglift(), state);
        link.queueInput(c.input);

        EXPECT_EQ(loader.SendCommand(c.command, reply), -1) << c.command;
        EXPECT_EQ(loader.LastErrorText, c.expected);
        EXPECT_FALSE(state.LinkOpen);
    }
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(LoaderExchange, PortFailureGoesToLastErrorText) {
    auto loader = make(TransportPolicy::proglift(), state);
    link.queueFailure("unplugged");

    EXPECT_EQ(loader.SendCommand("SA0", reply), -1);
    EXPECT_EQ(loader.LastErrorText, "Communication Error! unplugged");
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(LoaderExchange, WaitsThreeHundredMillisecondsOfSilence) {
    auto loader = make(TransportPolicy::proglift(), state);
    link.queueInput("1");
    link.queuePause(250);
    link.queueInput("2\r");

    EXPECT_EQ(loader.SendCommand("SA0", reply), 0);
    EXPECT_EQ(reply, "12");
    for (int wait : link.readWaits)
        EXPECT_EQ(wait, 301);
}

TEST_F(LoaderExchange, ClosedLinkIsCommunicationError) {
    auto loader = make(TransportPolicy::proglift(), state);
    state.LinkOpen = false;

    EXPECT_EQ(loader.SendCommand("SA0", reply), -1);
    EXPECT_EQ(loader.LastErrorText, "Communication Error!");
    EXPECT_THAT(link.writes, IsEmpty());
}

TEST_F(LoaderExchange, OverlongUsbCommandIsCommandStringOverflow) {
    auto loader = make(TransportPolicy::proglift(), state);
    state.LinkType = transport::LinkUsb;

    EXPECT_EQ(loader.SendCommand("SA1=" + std::string(61, '1'), reply), -1);
    EXPECT_EQ(loader.LastErrorText, "Command string overflow!");
    EXPECT_THAT(usb.sentBlocks, IsEmpty());
}

TEST_F(LoaderExchange, EmptyUsbReplyEndsWithStatusOne) {
    auto loader = make(TransportPolicy::proglift(), state);
    state.LinkType = transport::LinkUsb;

    EXPECT_EQ(loader.SendCommand("SA1=", reply), 1);
    EXPECT_EQ(reply, "");
    EXPECT_THAT(usb.closedHandles, IsEmpty());
    EXPECT_EQ(ui.quitRequests, 0);
}

// Over TCP the command goes out bare; what an earlier command left is not this one's reply; a
// reply may pause before its first character longer than inside it; line feeds are dropped.
TEST_F(LoaderExchange, TcpExchangeSendsTheBareCommandAndTakesTheReplyToItsCarriageReturn) {
    testing_support::ScriptedSerialLink tcp;
    tcp.open({1, 9600});
    auto loader = make(TransportPolicy::proglift(), state);
    loader.setTcpLink(&tcp, {.replyTimeoutMs = 3000, .replySilenceMs = 300});
    state.LinkType = transport::LinkEthernet;

    tcp.queueInput("CV");
    tcp.queuePause(400);
    tcp.queueInput("5\r");
    EXPECT_EQ(loader.SendCommand("SA1", reply), -1);
    EXPECT_EQ(loader.LastErrorText, "No Reply to Command: SA1");

    tcp.queuePause(2000);
    tcp.queueInput("CV6\r\n");
    EXPECT_EQ(loader.SendCommand("SA2", reply), 0);
    EXPECT_EQ(reply, "CV6");
    EXPECT_THAT(tcp.writes, ElementsAre("SA1", "SA2"));

    // A connection that has gone is told in the link's own words.
    tcp.close();
    EXPECT_EQ(loader.SendCommand("SA3", reply), -1);
    EXPECT_EQ(loader.LastErrorText, tcp.errorText());
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(link.writes, IsEmpty());
    EXPECT_THAT(usb.sentBlocks, IsEmpty());
}

TEST_F(LoaderExchange, OpeningThePortMarksTheLinkOpen) {
    state.LinkOpen = false;
    link.close();
    auto loader = make(TransportPolicy::proglift(), state);

    EXPECT_TRUE(loader.OpenSerialPort());
    EXPECT_TRUE(state.LinkOpen);
}

TEST_F(LoaderExchange, PortThatCannotBeOpenedLeavesLinkClosed) {
    state.LinkOpen = false;
    link.openSucceeds = false;
    auto loader = make(TransportPolicy::proglift(), state);

    EXPECT_FALSE(loader.OpenSerialPort());
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(loader.LastErrorText, "Cannot open the port.");
}

} // namespace
