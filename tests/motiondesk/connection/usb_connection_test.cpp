#include "connection_harness.h"
#include "motiondesk/connection/usb_connection.h"
#include "support/scripted_usb_library.h"

#include <gtest/gtest.h>

namespace {

using connection_testing::ConnectionHarness;
using Entries = std::vector<std::string>;

TEST(UsbControllerList, ListsOnlyProductsNamingKtrUpperCasedWithTheirIndex) {
    testing_support::ScriptedUsbLibrary usb;
    usb.products = {"ktr05", "Other gadget", "ZENTOR KTR12", ""};
    transport::ConnectionState state;
    EXPECT_EQ(connection::listControllers(usb, state),
              (Entries{"KTR05 , Index=0", "ZENTOR KTR12 , Index=2"}));
    EXPECT_EQ(state.UsbResult, 1);
    EXPECT_EQ(usb.productOptions, (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(UsbControllerList, IsEmptyWhenTheLibraryIsMissingOrFindsNothing) {
    testing_support::ScriptedUsbLibrary usb;
    usb.products = {"KTR01"};
    usb.loaded = false;
    transport::ConnectionState state;
    EXPECT_TRUE(connection::listControllers(usb, state).empty());
    EXPECT_EQ(state.UsbResult, 0);
    EXPECT_TRUE(usb.productOptions.empty()) << "no product texts asked for after a failed count";
}

TEST(UsbControllerList, EntryGivesIndexAndDeviceId) {
    EXPECT_EQ(connection::usbIndexOfEntry("KTR01 , Index=0"), 0);
    EXPECT_EQ(connection::usbIndexOfEntry("A=B KTR07 , Index=12"), 12);
    EXPECT_EQ(connection::deviceIdOfEntry("KTR07 , Index=1"), "07");
    EXPECT_EQ(connection::deviceIdOfEntry("ZENTOR KTR12 , Index=2"), "12");
}

class UsbOpen : public testing::Test {
protected:
    bool open(int index) {
        state.UsbDeviceIndex = static_cast<int16_t>(index);
        return connection::openController(world.usb, state, world.path("USBHandle.ini"));
    }
    ConnectionHarness world;
    transport::ConnectionState state;
};

TEST_F(UsbOpen, SetsTimeoutsOpensFlushesAndRecordsTheHandle) {
    simulator::UsbDevice& device = world.usbDevice("01");
    ASSERT_TRUE(open(0));
    EXPECT_EQ(world.usb.calls(), (Entries{"SetTimeouts", "Open", "Flush"}));
    EXPECT_EQ(world.usb.readTimeoutMs(), 5000);
    EXPECT_EQ(world.usb.writeTimeoutMs(), 5000);
    EXPECT_EQ(state.UsbHandle, device.openHandle());
    EXPECT_EQ(world.readFile("USBHandle.ini"), "0," + std::to_string(state.UsbHandle) + "\r\n");
}

TEST_F(UsbOpen, RecordingKeepsOtherDevicesLinesInPlace) {
    world.usbDevice("01");
    world.usbDevice("02");
    world.writeFile("USBHandle.ini", "0,123\r\n1,567\r\n");
    ASSERT_TRUE(open(1));
    EXPECT_EQ(world.readFile("USBHandle.ini"),
              "0,123\r\n1," + std::to_string(state.UsbHandle) + "\r\n");
}

TEST_F(UsbOpen, ClosesAHandleLeftByAnEarlierRunAndOpensAgain) {
    simulator::UsbDevice& device = world.usbDevice("01");
    // An earlier run opened the device and ended without closing it.
    int32_t staleHandle = 0;
    simulator::InProcessUsbLibrary earlierRun;
    earlierRun.attach(device);
    ASSERT_EQ(earlierRun.Open(0, staleHandle), 1);
    world.writeFile("USBHandle.ini", "junk\r\n0," + std::to_string(staleHandle) + "\r\n");

    ASSERT_TRUE(open(0));
    EXPECT_EQ(world.usb.calls(), (Entries{"SetTimeouts", "Open", "Close", "Open", "Flush"}));
    EXPECT_NE(state.UsbHandle, staleHandle);
    EXPECT_EQ(state.UsbHandle, device.openHandle());
    EXPECT_EQ(world.readFile("USBHandle.ini"),
              "junk\r\n0," + std::to_string(state.UsbHandle) + "\r\n");
}

TEST_F(UsbOpen, FailsWhenTheDeviceStaysBusy) {
    simulator::UsbDevice& device = world.usbDevice("01");
    simulator::InProcessUsbLibrary otherProgram;
    otherProgram.attach(device);
    int32_t otherHandle = 0;
    ASSERT_EQ(otherProgram.Open(0, otherHandle), 1);

    // No file: nothing to recover with.
    EXPECT_FALSE(open(0));
    EXPECT_EQ(state.UsbResult, 0);
    EXPECT_FALSE(world.readFile("USBHandle.ini").size());

    // A file that records a different (wrong) handle: closing it frees nothing.
    world.writeFile("USBHandle.ini", "0," + std::to_string(otherHandle + 1000) + "\r\n");
    EXPECT_FALSE(open(0));
    EXPECT_EQ(world.readFile("USBHandle.ini"), "0," + std::to_string(otherHandle + 1000) + "\r\n")
        << "a failed open records nothing";
}

} // namespace
