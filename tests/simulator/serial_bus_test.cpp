#include "simulator/serial_bus.h"

#include <gtest/gtest.h>

namespace {

using namespace simulator;

TEST(SerialBus, AddressedControllerAnswersAndOthersStayQuiet) {
    SerialBus bus;
    auto& first = bus.add({.deviceId = "01"});
    auto& fourth = bus.add({.deviceId = "04"});
    EXPECT_EQ(bus.write("@04DN\r", 9600).text(), "KTR04\r");
    EXPECT_EQ(bus.write("@01DN\r", 9600).text(), "KTR01\r");
    EXPECT_EQ(bus.write("@02DN\r", 9600).text(), "");
    EXPECT_EQ(first.commandLog(), (std::vector<std::string>{"DN"}));
    EXPECT_EQ(fourth.commandLog(), (std::vector<std::string>{"DN"}));
}

TEST(SerialBus, BroadcastReachesEveryControllerAndNobodyAnswers) {
    SerialBus bus;
    auto& first = bus.add({.deviceId = "01"});
    auto& second = bus.add({.deviceId = "02"});
    EXPECT_EQ(bus.write("@00HSPD=2500\r", 9600).text(), "");
    EXPECT_EQ(first.value("HSPD"), "2500");
    EXPECT_EQ(second.value("HSPD"), "2500");
}

TEST(SerialBus, ControllerIgnoresALineAtAnotherBaudRate) {
    SerialBus bus;
    auto& controller = bus.add({.deviceId = "02", .baudRate = 38400});
    EXPECT_EQ(bus.write("@02DN\r", 9600).text(), "");
    EXPECT_TRUE(controller.commandLog().empty());
    EXPECT_EQ(bus.write("@02DN\r", 38400).text(), "KTR02\r");
}

TEST(SerialBus, FramesSplitAcrossWritesAndNoiseBeforeTheAtSign) {
    SerialBus bus;
    bus.add({.deviceId = "01"});
    EXPECT_EQ(bus.write("\n\x7f@0", 9600).text(), "");
    EXPECT_EQ(bus.write("1P", 9600).text(), "");
    EXPECT_EQ(bus.write("X\r@01VER\r", 9600).text(), "0\rV223\r");
    EXPECT_EQ(bus.write("junk\r", 9600).text(), "");
    ASSERT_EQ(bus.frames().size(), 2u);
    EXPECT_EQ(bus.frames()[0].command, "PX");
}

TEST(SerialBus, WireTimeDelaysRepliesByTheirLength) {
    SerialBus bus;
    bus.add({.deviceId = "01", .baudRate = 115200});
    bus.setWireTime(true);
    const Transmission t = bus.write("@01VER\r", 115200);
    // Twelve characters of 86.8 us, to the microsecond: no rounding adds up over a long reply.
    EXPECT_EQ(t.totalDelayUs(), (12 * 10'000'000 + 115200 / 2) / 115200);
}

TEST(SerialBus, DisconnectFaultDropsTheWholeLine) {
    SerialBus bus;
    auto& controller = bus.add({.deviceId = "01"});
    controller.faults().setPlan(*parseFault("disconnect:1"));
    EXPECT_FALSE(bus.write("@01PX\r", 9600).disconnect);
    EXPECT_TRUE(bus.write("@01PX\r", 9600).disconnect);
    EXPECT_TRUE(bus.disconnected());
    EXPECT_TRUE(bus.write("@01PX\r", 9600).disconnect);
}

} // namespace
