#include "simulator/controller_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using simulator::ControllerModel;

// A controller whose clock the test moves by hand.
class MotionTest : public ::testing::Test {
protected:
    MotionTest() {
        controller.setTimeSource([this] { return nowUs; });
    }

    void elapse(int milliseconds) { nowUs += int64_t(milliseconds) * 1000; }
    int number(const char* query) { return std::stoi(controller.value(query)); }

    int64_t nowUs = 0;
    ControllerModel controller;
};

TEST_F(MotionTest, MoveAcceleratesCruisesDeceleratesAndStopsAtTarget) {
    controller.execute("HSPD=1000");
    controller.execute("LSPD=100");
    controller.execute("ACC=100");
    EXPECT_EQ(controller.execute("X2000"), "OK");
    elapse(50);
    EXPECT_EQ(number("MST") & 7, 2) << "accelerating";
    EXPECT_GT(number("PS"), 100);
    EXPECT_LT(number("PS"), 1000);
    elapse(500);
    EXPECT_EQ(number("MST") & 7, 1) << "constant speed";
    EXPECT_EQ(number("PS"), 1000);
    elapse(1470);
    EXPECT_EQ(number("MST") & 7, 4) << "decelerating";
    elapse(1000);
    EXPECT_EQ(number("MST") & 7, 0);
    EXPECT_EQ(number("PX"), 2000);
    EXPECT_EQ(number("EX"), 2000);
    EXPECT_EQ(number("PS"), 0);
}

TEST_F(MotionTest, IncrementalModeMovesRelative) {
    controller.execute("PX=500");
    controller.execute("INC");
    EXPECT_EQ(controller.value("MM"), "1");
    controller.execute("X-200");
    elapse(10'000);
    EXPECT_EQ(number("PX"), 300);
}

TEST_F(MotionTest, JogRunsInItsDirectionUntilStopped) {
    controller.execute("HSPD=2000");
    controller.execute("J-");
    elapse(1000);
    const int position = number("PX");
    EXPECT_LT(position, -1000);
    EXPECT_EQ(number("PS"), -2000);
    controller.execute("STOP");
    elapse(1000);
    EXPECT_EQ(number("MST") & 7, 0);
    EXPECT_LT(number("PX"), position);
}

TEST_F(MotionTest, AbortStopsAtOnce) {
    controller.execute("J+");
    elapse(1000);
    controller.execute("ABORT");
    const int position = number("PX");
    elapse(1000);
    EXPECT_EQ(number("PX"), position);
    EXPECT_EQ(number("PS"), 0);
}

TEST_F(MotionTest, RunningIntoALimitStopsWithLimitErrorUntilCleared) {
    controller.execute("J+");
    elapse(100);
    ASSERT_TRUE(controller.setState("LIMIT+=1"));
    elapse(100);
    EXPECT_EQ(number("MST") & (128 | 32 | 7), 128 | 32);
    EXPECT_EQ(number("PS"), 0);
    controller.execute("CLR");
    EXPECT_EQ(number("MST") & 128, 0);
}

TEST_F(MotionTest, HomingTowardsHomeStopsThereAndZeroesCounters) {
    controller.execute("X5000");
    elapse(20'000);
    ASSERT_EQ(number("PX"), 5000);
    controller.execute("SL=1");
    controller.execute("H-");
    elapse(100);
    EXPECT_EQ(controller.value("SLS"), "6");
    elapse(20'000);
    EXPECT_EQ(number("PX"), 0);
    EXPECT_EQ(number("EX"), 0);
    EXPECT_EQ(number("MST"), 8) << "idle at home";
    EXPECT_EQ(controller.value("SLS"), "0");
}

TEST_F(MotionTest, StepLoopStatusIsNaWhileClosedLoopIsOff) {
    controller.execute("J+");
    EXPECT_EQ(controller.value("SLS"), "12");
    controller.execute("SL=1");
    EXPECT_EQ(controller.value("SLS"), "5");
}

TEST_F(MotionTest, SyncOutputTurnsOnWhenPositionPassesItsPoint) {
    controller.execute("SYNC=1");
    controller.execute("SYNP=500");
    controller.execute("SYNO");
    EXPECT_EQ(controller.value("SYNS"), "1");
    controller.execute("X1000");
    elapse(10'000);
    EXPECT_EQ(controller.value("SYNS"), "2");
    controller.execute("SYNF");
    EXPECT_EQ(controller.value("SYNS"), "0");
}

TEST_F(MotionTest, OnTheFlySpeedChangesHighSpeed) {
    controller.execute("J+");
    EXPECT_EQ(controller.execute("SSPD800"), "OK");
    elapse(5000);
    EXPECT_EQ(number("PS"), 800);
    EXPECT_EQ(controller.value("HSPD"), "800");
}

} // namespace
