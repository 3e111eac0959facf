// The exchange on the serial line under Motiondesk's rules, against a scripted port.

#include "link/command_transport.h"
#include "recording_clock.h"
#include "scripted_serial_link.h"
#include "scripted_ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using transport::CommandTransport;
using transport::TransportPolicy;

class SerialExchange : public ::testing::Test {
protected:
    void SetUp() override {
        state.LinkType = transport::LinkSerial;
        state.LinkOpen = true;
        state.DeviceName = "01";
        link.open({3, 9600});
    }

    transport::ConnectionState state;
    testing_support::ScriptedSerialLink link;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    CommandTransport transport{state, TransportPolicy::motiondesk(), &link, nullptr, &ui, clock};
    std::string reply;
};

TEST_F(SerialExchange, FramesCommandWithAddressAndCarriageReturnInOneWrite) {
    state.DeviceName = "07";
    link.queueInput("123\r");

    EXPECT_EQ(transport.SendCommand("PX", reply), 0);
    EXPECT_THAT(link.writes, ElementsAre("@07PX\r"));
    EXPECT_EQ(reply, "123");
    EXPECT_THAT(ui.messages(), IsEmpty());
    EXPECT_TRUE(state.LinkOpen);
}

TEST_F(SerialExchange, WaitsBeforeReadingOnlyForSlowCommands) {
    struct Case {
        const char* command;
        std::vector<int> waits;
    };
    const Case cases[] = {
        {"STORE", {200}},  {"DN=KTR02", {200}},  {"ZHOME+", {200}},   {"SR=1", {1000}},
        {"SR0=2", {1000}}, {"ZSR", {200, 1000}}, {"PX", {}},          {"STORE1", {}},
        {"DN", {}},        {"sr=1", {}},         {"HSPD=SR", {1000}}, {"z", {}},
    };
    for (const Case& c : cases) {
        clock.sleeps.clear();
        link.queueInput("OK\r");
        transport.SendCommand(c.command, reply);
        EXPECT_EQ(clock.sleeps, c.waits) << c.command;
    }
}

// What is still in the port when an exchange begins came after an earlier reply's carriage
// return (a line feed, a late reply): it is dropped before the command goes out.
TEST_F(SerialExchange, CharactersLeftFromAnEarlierReplyAreDroppedBeforeTheNextCommand) {
    link.queueInput("12\r34\n\r");

    transport.SendCommand("PX", reply);
    EXPECT_EQ(reply, "12");
    EXPECT_EQ(transport.discardedBeforeLast(), 0u);
    link.queueInput("56\r");
    transport.SendCommand("PY", reply);
    EXPECT_EQ(reply, "56");
    EXPECT_EQ(transport.discardedBeforeLast(), 4u);
    EXPECT_EQ(link.unread(), "");
}

TEST_F(SerialExchange, ReplyLosesDevicePrefix) {
    link.queueInput("#01123\r");

    transport.SendCommand("PX", reply);
    EXPECT_EQ(reply, "123");
}

TEST_F(SerialExchange, SilenceIsMeasuredAfreshAfterEveryCharacter) {
    link.queueInput("1");
    link.queuePause(50);
    link.queueInput("2");
    link.queuePause(100);
    link.queueInput("3\r");

    EXPECT_EQ(transport.SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "123");
    for (int wait : link.readWaits)
        EXPECT_EQ(wait, 101);
}

TEST_F(SerialExchange, SilenceTimesOutKeepingWhatArrived) {
    link.queueInput("12");
    link.queuePause(150);
    link.queueInput("3\r");

    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_EQ(reply, "12");
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("No Reply to Command: PX"));
}

TEST_F(SerialExchange, EmptyReplyIsNoResponseExceptForSaCommands) {
    struct Case {
        const char* command;
        const char* input;
        int16_t status;
        bool failed;
    };
    const Case cases[] = {
        {"PX", "\r", -1, true},      {"PX", "#01\r", -1, true},  {"SASTAT", "\r", 0, false},
        {"SA12", "#01\r", 0, false}, {"sASTAT", "\r", -1, true}, {"XSA", "\r", -1, true},
    };
    for (const Case& c : cases) {
        state.LinkOpen = true;
        ui.clearMessages();
        link.queueInput(c.input);

        EXPECT_EQ(transport.SendCommand(c.command, reply), c.status) << c.command;
        EXPECT_EQ(reply, "") << c.command;
        EXPECT_EQ(state.LinkOpen, !c.failed) << c.command;
        if (c.failed)
            EXPECT_THAT(ui.messages(), ElementsAre("No Response!")) << c.command;
        else
            EXPECT_THAT(ui.messages(), IsEmpty()) << c.command;
    }
}

TEST_F(SerialExchange, ClosedLinkSendsNothingAndLeavesReplyAlone) {
    state.LinkOpen = false;
    reply = "previous";

    EXPECT_EQ(transport.SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "previous");
    EXPECT_THAT(link.writes, IsEmpty());
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(SerialExchange, PortFailingMidReplyIsCommunicationError) {
    link.queueInput("12");
    link.queueFailure("The serial port is no longer available.");

    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_EQ(reply, "12");
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(),
                ElementsAre("Communication Error! The serial port is no longer available."));
}

TEST_F(SerialExchange, FailedWriteIsCommunicationErrorAndReplyIsUntouched) {
    link.writeFailure = "Writing to the serial port failed.";
    reply = "previous";

    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_EQ(reply, "previous");
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(),
                ElementsAre("Communication Error! Writing to the serial port failed."));
}

TEST_F(SerialExchange, ClosedPortIsCommunicationErrorNotSilence) {
    link.close();

    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("Communication Error! The serial port is not open."));
}

TEST_F(SerialExchange, EveryByteButCarriageReturnBelongsToReply) {
    const std::string bytes{"A\0\n\x7f\x80\xff#", 7};
    link.queueInput(bytes + "\r");

    EXPECT_EQ(transport.SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, bytes);
}

TEST_F(SerialExchange, LongReplyIsReceivedWhole) {
    const std::string longReply(300, 'x');
    link.queueInput(longReply + "\r");

    transport.SendCommand("PX", reply);
    EXPECT_EQ(reply, longReply);
}

TEST_F(SerialExchange, EndlessReplyIsCutOffAsTimeOut) {
    link.queueInput(std::string(transport::MaxSerialReplyLength + 500, '7'));

    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_EQ(reply.size(), transport::MaxSerialReplyLength);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("No Reply to Command: PX"));
}

} // namespace
