#include "simulator/faults.h"

#include <gtest/gtest.h>

namespace {

using namespace simulator;

TEST(Faults, ParsesEveryKindAndRefusesNonsense) {
    EXPECT_EQ(parseFault("no-reply")->kind, FaultKind::NoReply);
    EXPECT_EQ(parseFault("bare-cr")->kind, FaultKind::BareCr);
    EXPECT_EQ(parseFault("garbage")->kind, FaultKind::Garbage);
    EXPECT_EQ(parseFault("slow:50")->pauseMs, 50);
    EXPECT_EQ(parseFault("disconnect:3")->afterCommands, 3);
    EXPECT_EQ(parseFault("bare-cr@PX")->onlyCommand, "PX");
    for (const char* bad :
         {"", "slow", "slow:", "slow:x", "disconnect:-1", "bare-cr:3", "fire", "garbage@"})
        EXPECT_FALSE(parseFault(bad)) << bad;
}

TEST(Faults, EachKindShapesTheReply) {
    FaultInjector injector;
    EXPECT_EQ(injector.shape("PX", "12").text(), "12\r");
    injector.setPlan(*parseFault("no-reply"));
    EXPECT_TRUE(injector.shape("PX", "12").bytes.empty());
    injector.setPlan(*parseFault("bare-cr"));
    EXPECT_EQ(injector.shape("PX", "12").text(), "\r");
    injector.setPlan(*parseFault("slow:40"));
    Transmission slow = injector.shape("PX", "12");
    EXPECT_EQ(slow.text(), "12\r");
    EXPECT_EQ(slow.totalDelayUs(), 3 * 40'000);
    injector.setPlan(*parseFault("garbage"));
    const std::string garbage = injector.shape("PX", "12").text();
    EXPECT_EQ(garbage.back(), '\r');
    EXPECT_EQ(garbage.find('\r'), garbage.size() - 1) << "one CR, at the end";
}

TEST(Faults, DisconnectAfterNCommandsDropsTheLineForGood) {
    FaultInjector injector;
    injector.setPlan(*parseFault("disconnect:2"));
    EXPECT_FALSE(injector.shape("A", "OK").disconnect);
    EXPECT_FALSE(injector.shape("B", "OK").disconnect);
    EXPECT_TRUE(injector.shape("C", "OK").disconnect);
    EXPECT_TRUE(injector.shape("D", "OK").disconnect);
    EXPECT_TRUE(injector.disconnected());
}

TEST(Faults, AFaultLimitedToACommandLeavesOthersAlone) {
    FaultInjector injector;
    injector.setPlan(*parseFault("bare-cr@PX"));
    EXPECT_EQ(injector.shape("SASTAT", "0").text(), "0\r");
    EXPECT_EQ(injector.shape("PX", "12").text(), "\r");
}

TEST(Faults, WireTimeIsTenBitsPerCharacterBothWays) {
    Transmission t = immediate("12\r");
    addWireTime(t, 9600, 6);           // "@01PX" + CR in, "12" + CR out
    EXPECT_EQ(t.totalDelayUs(), 9375); // nine characters of 1041.7 us
    EXPECT_EQ(t.bytes.front().delayUs, 6250 + 1042) << "the command first, then a character";
}

} // namespace
