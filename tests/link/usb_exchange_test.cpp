// The exchange over USB under Motiondesk's rules: one 64-byte block out, one in.

#include "link/command_transport.h"
#include "recording_clock.h"
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

class UsbExchange : public ::testing::Test {
protected:
    void SetUp() override {
        state.LinkType = transport::LinkUsb;
        state.LinkOpen = true;
        state.UsbHandle = 42;
    }

    transport::ConnectionState state;
    ScriptedUsbLibrary usb;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    CommandTransport transport{state, TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    std::string reply;
};

TEST_F(UsbExchange, SendsCommandZeroPaddedInOneBlockOnTheHandle) {
    usb.replies.push_back(ScriptedUsbLibrary::block("123"));

    EXPECT_EQ(transport.SendCommand("PX", reply), 1);
    ASSERT_EQ(usb.sentBlocks.size(), 1u);
    ScriptedUsbLibrary::Block expected{};
    expected[0] = 'P';
    expected[1] = 'X';
    EXPECT_EQ(usb.sentBlocks[0], expected);
    EXPECT_THAT(usb.transferSizes, ElementsAre(std::pair(64, 64)));
    EXPECT_THAT(usb.sendHandles, ElementsAre(42));
    EXPECT_EQ(reply, "123");
}

TEST_F(UsbExchange, SixtyFourCharacterCommandFillsTheBlock) {
    const std::string command(64, 'A');
    usb.replies.push_back(ScriptedUsbLibrary::block("OK"));

    EXPECT_EQ(transport.SendCommand(command, reply), 1);
    ASSERT_EQ(usb.sentBlocks.size(), 1u);
    EXPECT_EQ(std::string(usb.sentBlocks[0].begin(), usb.sentBlocks[0].end()), command);
}

TEST_F(UsbExchange, LongerCommandIsRefusedSilently) {
    reply = "previous";

    EXPECT_EQ(transport.SendCommand(std::string(65, 'A'), reply), -1);
    EXPECT_THAT(usb.sentBlocks, IsEmpty());
    EXPECT_THAT(ui.messages(), IsEmpty());
    EXPECT_EQ(reply, "previous");
    EXPECT_TRUE(state.LinkOpen);
}

TEST_F(UsbExchange, ReplyEndsAtFirstZeroByte) {
    ScriptedUsbLibrary::Block block = ScriptedUsbLibrary::block("12");
    block[3] = '9';
    usb.replies.push_back(block);

    transport.SendCommand("PX", reply);
    EXPECT_EQ(reply, "12");
}

TEST_F(UsbExchange, BlockWithoutZeroGivesSixtyFourCharacters) {
    ScriptedUsbLibrary::Block block;
    block.fill(0xB5);
    usb.replies.push_back(block);

    transport.SendCommand("PX", reply);
    EXPECT_EQ(reply, std::string(64, '\xB5'));
}

TEST_F(UsbExchange, ReplyLosesDevicePrefix) {
    usb.replies.push_back(ScriptedUsbLibrary::block("#01123"));

    transport.SendCommand("PX", reply);
    EXPECT_EQ(reply, "123");
}

TEST_F(UsbExchange, LibraryResultIsStoredButNotJudged) {
    usb.sendRecvResult = 0;
    usb.replies.push_back(ScriptedUsbLibrary::block("5"));

    EXPECT_EQ(transport.SendCommand("PX", reply), 1);
    EXPECT_EQ(state.UsbResult, 0);
    EXPECT_EQ(reply, "5");
}

TEST_F(UsbExchange, UsbIgnoresWaitsAndLinkFlag) {
    state.LinkOpen = false;
    usb.replies.push_back(ScriptedUsbLibrary::block("OK"));

    EXPECT_EQ(transport.SendCommand("SR=1", reply), 1);
    EXPECT_THAT(clock.sleeps, IsEmpty());
    EXPECT_EQ(usb.sentBlocks.size(), 1u);
}

// The program ends; the exchange must not look like a success to a caller that still runs.
TEST_F(UsbExchange, EmptyReplyClosesDeviceTellsUserAndEndsProgram) {
    struct Case {
        const char* command;
        const char* replyText;
    };
    for (const Case& c : {Case{"PX", ""}, Case{"SASTAT", ""}, Case{"PX", "#01"}}) {
        ScriptedUsbLibrary library;
        testing_support::ScriptedUi shown;
        state.LinkOpen = true;
        CommandTransport motiondesk(state, TransportPolicy::motiondesk(), nullptr, &library, &shown,
                                    clock);
        library.replies.push_back(ScriptedUsbLibrary::block(c.replyText));

        EXPECT_EQ(motiondesk.SendCommand(c.command, reply), -1) << c.command;
        EXPECT_THAT(library.closedHandles, ElementsAre(42)) << c.command;
        EXPECT_THAT(shown.messages(), ElementsAre("Error communication.  Closing application..."));
        EXPECT_EQ(shown.quitRequests, 1);
        EXPECT_FALSE(state.LinkOpen);
    }
}

TEST_F(UsbExchange, MissingLibraryEndsLikeAnEmptyReply) {
    usb.loaded = false;

    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_EQ(state.UsbResult, 0);
    EXPECT_EQ(ui.quitRequests, 1);
    EXPECT_THAT(ui.messages(), ElementsAre("Error communication.  Closing application..."));
}

} // namespace
