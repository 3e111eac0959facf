#include "simulator/inprocess_serial_link.h"
#include "simulator/inprocess_usb_library.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace simulator;
using transport::ReadResult;

std::string readReply(InProcessSerialLink& link, int silenceMs = 101) {
    std::string reply;
    for (;;) {
        ReadResult r = link.readChar(silenceMs);
        if (r.status != ReadResult::Char || r.ch == '\r') return reply;
        reply.push_back(r.ch);
    }
}

TEST(InProcessSerialLink, ExchangesWithTheBusAtTheOpenedRate) {
    SerialBus bus;
    auto& controller = bus.add({.deviceId = "01", .baudRate = 19200});
    InProcessSerialLink link(bus, 3);
    EXPECT_FALSE(link.open({4, 19200}));
    ASSERT_TRUE(link.open({3, 19200}));
    ASSERT_TRUE(link.write("@01HSPD=1000\r@01J+\r"));
    EXPECT_EQ(readReply(link), "OK");
    EXPECT_EQ(readReply(link), "OK");
    EXPECT_EQ(controller.commandLog(), (std::vector<std::string>{"HSPD=1000", "J+"}));
    ASSERT_TRUE(link.open({3, 9600}));
    ASSERT_TRUE(link.write("@01PX\r"));
    EXPECT_EQ(link.readChar(101).status, ReadResult::Silence);
}

TEST(InProcessSerialLink, CharactersAfterTheCrWaitForTheNextRead) {
    SerialBus bus;
    bus.add({.deviceId = "01"});
    InProcessSerialLink link(bus, 1);
    ASSERT_TRUE(link.open({1, 9600}));
    link.write("@01VER\r@01DN\r");
    EXPECT_EQ(readReply(link), "V223");
    EXPECT_EQ(link.pendingCharacters(), 6u);
    EXPECT_EQ(readReply(link), "KTR01");
}

TEST(InProcessSerialLink, SlowReplyPausesCountAgainstTheSilenceWait) {
    SerialBus bus;
    auto& controller = bus.add({.deviceId = "01"});
    InProcessSerialLink link(bus, 1);
    ASSERT_TRUE(link.open({1, 9600}));
    controller.faults().setPlan(*parseFault("slow:50"));
    link.write("@01VER\r");
    EXPECT_EQ(readReply(link), "V223");
    controller.faults().setPlan(*parseFault("slow:150"));
    link.write("@01VER\r");
    EXPECT_EQ(link.readChar(101).status, ReadResult::Silence);
}

TEST(InProcessSerialLink, OnePortIsHeldByOneControlAtATime) {
    SerialBus bus;
    bus.add({});
    InProcessSerialLink main(bus, 1);
    InProcessSerialLink window(bus, 1);
    ASSERT_TRUE(main.open({1, 9600}));
    EXPECT_FALSE(window.open({1, 9600}));
    EXPECT_EQ(window.errorText(), "Device or resource busy");
    main.close();
    EXPECT_TRUE(window.open({1, 9600}));
    EXPECT_FALSE(main.reopen());
}

TEST(InProcessSerialLink, YankedLineFailsWritesAndReads) {
    SerialBus bus;
    auto& controller = bus.add({});
    controller.faults().setPlan(*parseFault("disconnect:0"));
    InProcessSerialLink link(bus, 1);
    ASSERT_TRUE(link.open({1, 9600}));
    EXPECT_TRUE(link.write("@01PX\r"));
    EXPECT_EQ(link.readChar(101).status, ReadResult::Error);
    EXPECT_FALSE(link.write("@01PX\r"));
    EXPECT_FALSE(link.errorText().empty());
}

TEST(InProcessUsbLibrary, EnumeratesOpensAndExchangesBlocks) {
    ControllerModel first({.deviceId = "01"});
    ControllerModel second({.model = "QB-450", .deviceId = "02"});
    UsbDevice a(first), b(second);
    InProcessUsbLibrary usb;
    usb.attach(a);
    usb.attach(b);
    int32_t count = 0;
    ASSERT_EQ(usb.GetNumDevices(count), 1);
    EXPECT_EQ(count, 2);
    uint8_t product[257];
    std::memset(product, 0xff, sizeof product);
    ASSERT_EQ(usb.GetProductString(1, product, 0), 1);
    EXPECT_STREQ(reinterpret_cast<char*>(product), "B4502");

    int32_t handle = 0;
    ASSERT_EQ(usb.Open(0, handle), 1);
    uint8_t send[64] = {'V', 'E', 'R'};
    uint8_t receive[64];
    std::memset(receive, 0xff, sizeof receive);
    EXPECT_EQ(usb.SendRecv(handle, send, 64, 64, receive), 1);
    EXPECT_STREQ(reinterpret_cast<char*>(receive), "V223");
    EXPECT_EQ(std::count(receive + 4, receive + 64, 0), 60) << "zero-padded";
}

TEST(InProcessUsbLibrary, DeviceLeftOpenByAnotherProgramRefusesUntilOldHandleIsClosed) {
    ControllerModel controller;
    UsbDevice device(controller);
    InProcessUsbLibrary earlierRun, laterRun;
    earlierRun.attach(device);
    laterRun.attach(device);
    int32_t oldHandle = 0, handle = 0;
    ASSERT_EQ(earlierRun.Open(0, oldHandle), 1);
    EXPECT_EQ(laterRun.Open(0, handle), 0);
    EXPECT_EQ(laterRun.Close(oldHandle + 1), 0);
    EXPECT_EQ(laterRun.Close(oldHandle), 1);
    EXPECT_EQ(laterRun.Open(0, handle), 1);
    EXPECT_NE(handle, oldHandle);
}

TEST(InProcessUsbLibrary, SilentOrTooSlowDeviceGivesAllZeroBlock) {
    ControllerModel controller;
    UsbDevice device(controller);
    InProcessUsbLibrary usb;
    usb.attach(device);
    int32_t handle = 0;
    ASSERT_EQ(usb.Open(0, handle), 1);
    usb.SetTimeouts(1000, 1000);
    uint8_t send[64] = {'P', 'X'};
    uint8_t receive[64];
    for (const char* fault : {"no-reply", "slow:600"}) {
        controller.faults().setPlan(*parseFault(fault));
        std::memset(receive, 0xff, sizeof receive);
        EXPECT_EQ(usb.SendRecv(handle, send, 64, 64, receive), 0) << fault;
        EXPECT_EQ(std::count(receive, receive + 64, 0), 64) << fault;
    }
}

} // namespace
