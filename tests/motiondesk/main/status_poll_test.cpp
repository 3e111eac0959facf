// The status poll on Timer1: what each tick asks, what the window shows, how failures stop it.

#include "main_window_fixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPushButton>

namespace maintest {
namespace {

using StatusPoll = MainWindowTest;

Commands tickCommands(Commands group) {
    Commands commands = {"MM", "SASTAT", "SPC", "DX", "PX", "EX", "PS", "MST", "SLS", "SCV"};
    commands.insert(commands.end(), group.begin(), group.end());
    return commands;
}

TEST_F(StatusPoll, FourTicksAskTheFourRotatingGroupsInTurn) {
    open();
    const Commands groups[] = {{"SYNS", "EO"}, {"AI1", "AI2"}, {"DI", "DO"}, {"LTS", "LTP", "LTE"}};
    for (int round = 0; round < 2; ++round) {
        for (int phase = 1; phase <= 4; ++phase) {
            EXPECT_EQ(window->statusPhase(), phase);
            sent().clear();
            tick();
            EXPECT_EQ(sent(), tickCommands(groups[phase - 1])) << "phase " << phase;
        }
    }
    EXPECT_EQ(window->statusPhase(), 1);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(StatusPoll, Timer1DrivesThePollByItself) {
    open();
    QDeadlineTimer deadline(5000);
    while (std::count(sent().begin(), sent().end(), "MST") < 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(std::count(sent().begin(), sent().end(), "MST"), 3);
}

// A click while the poll is on its way goes out after the exchange in progress, then the poll
// goes on where it was: the stop never waits for a whole cycle.
class StopDuringACycle : public MainWindowTest,
                         public ::testing::WithParamInterface<std::pair<const char*, const char*>> {
};

TEST_P(StopDuringACycle, GoesOutAfterTheExchangeInProgress) {
    const auto [button, command] = GetParam();
    open();
    sent().clear();
    bool clicked = false;
    controller.onCommand = [&, button = button](const std::string& arrived) {
        if (arrived != "PX" || clicked) return;
        clicked = true;
        QMetaObject::invokeMethod(find<QPushButton>(button), "click", Qt::QueuedConnection);
    };
    QDeadlineTimer deadline(5000);
    while (std::count(sent().begin(), sent().end(), "SLS") < 2 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    controller.onCommand = nullptr;
    const auto px = std::find(sent().begin(), sent().end(), "PX");
    ASSERT_LT(std::distance(px, sent().end()), std::ptrdiff_t(sent().size()));
    ASSERT_GE(std::distance(px, sent().end()), 3);
    EXPECT_EQ(Commands(px + 1, px + 3), (Commands{command, "EX"}));
}

INSTANTIATE_TEST_SUITE_P(StatusPoll, StopDuringACycle,
                         ::testing::Values(std::pair{"Command15", "STOP"},
                                           std::pair{"Command16", "ABORT"}));

struct MotionStatusCase {
    const char* value;
    const char* stat;
    bool posLim, home, negLim, latchIn, zIndex;
};

class MotionStatusLamps : public MainWindowTest,
                          public ::testing::WithParamInterface<MotionStatusCase> {};

TEST_P(MotionStatusLamps, ShowTheStateTextAndLightTheirLamps) {
    const MotionStatusCase& c = GetParam();
    open();
    controller.replies["MST"] = c.value;
    tick();
    EXPECT_EQ(shown("Stat").toStdString(), c.stat);
    EXPECT_EQ(lit("PosLim"), c.posLim);
    EXPECT_EQ(lit("Home"), c.home);
    EXPECT_EQ(lit("NegLim"), c.negLim);
    EXPECT_EQ(lit("LatchIn"), c.latchIn);
    EXPECT_EQ(lit("ZIndex"), c.zIndex);
}

INSTANTIATE_TEST_SUITE_P(
    StatusPoll, MotionStatusLamps,
    ::testing::Values(MotionStatusCase{"0", "IDLE", false, false, false, false, false},
                      MotionStatusCase{"1", "CONST", false, false, false, false, false},
                      MotionStatusCase{"3", "ACCEL", false, false, false, false, false},
                      MotionStatusCase{"7", "DECEL", false, false, false, false, false},
                      MotionStatusCase{"40", "IDLE", true, true, false, false, false},
                      MotionStatusCase{"80", "-LIM ERR", false, false, true, false, false},
                      MotionStatusCase{"192", "+LIM ERR", false, false, false, false, false},
                      MotionStatusCase{"769", "CONST", false, false, false, true, true}));

TEST_F(StatusPoll, DigitalInputLampsAreLitWhileTheirBitIsClear) {
    open();
    controller.replies["DI"] = "0";
    controller.replies["DO"] = "3";
    tick(3);
    for (const char* name : {"StartDI", "AbortDI", "In1", "In2", "In3", "In4"})
        EXPECT_TRUE(lit(name)) << name;
    EXPECT_TRUE(lit("InPosDO"));
    EXPECT_TRUE(lit("AlarmDO"));

    controller.replies["DI"] = "37"; // Start, In1 and In4 inactive
    controller.replies["DO"] = "2";
    tick(4);
    EXPECT_FALSE(lit("StartDI"));
    EXPECT_TRUE(lit("AbortDI"));
    EXPECT_FALSE(lit("In1"));
    EXPECT_TRUE(lit("In2"));
    EXPECT_TRUE(lit("In3"));
    EXPECT_FALSE(lit("In4"));
    EXPECT_FALSE(lit("InPosDO"));
    EXPECT_TRUE(lit("AlarmDO"));
}

TEST_F(StatusPoll, TextDisplaysShowDecodedAndReformattedValues) {
    controller.replies.insert_or_assign("MM", "1");
    controller.replies.insert_or_assign("SASTAT", "4");
    controller.replies.insert_or_assign("SPC", "0012");
    controller.replies.insert_or_assign("PX", "+00123");
    controller.replies.insert_or_assign("EX", "-45");
    controller.replies.insert_or_assign("SLS", "13");
    controller.replies.insert_or_assign("SCV", "1");
    controller.replies.insert_or_assign("SYNS", "2");
    controller.replies.insert_or_assign("AI1", "0512");
    controller.replies.insert_or_assign("LTS", "3");
    controller.replies.insert_or_assign("LTP", "0777");
    open();
    tick(4);
    EXPECT_EQ(shown("MM"), "INC");
    EXPECT_EQ(shown("ProgStatus"), "Errored");
    EXPECT_EQ(shown("ProgIndex"), "0012"); // the program line is shown as received
    EXPECT_EQ(shown("Pos"), "123");
    EXPECT_EQ(shown("Enc"), "-45");
    EXPECT_EQ(shown("VerimoveStatus"), "LHOMING");
    EXPECT_TRUE(lit("Scv"));
    EXPECT_EQ(shown("SyncStat"), "ON");
    EXPECT_EQ(shown("AI1"), "0512"); // analog inputs too
    EXPECT_EQ(shown("LatchStat"), "3");
    EXPECT_EQ(shown("LatchPos"), "777");
}

TEST_F(StatusPoll, UnknownStateValuesAndNonNumbersLeaveTheDisplayAsItWas) {
    controller.replies.insert_or_assign("SLS", "5");
    controller.replies.insert_or_assign("SASTAT", "1");
    controller.replies.insert_or_assign("PX", "250");
    controller.replies.insert_or_assign("MST", "32");
    open();
    tick();
    controller.replies["SLS"] = "14";
    controller.replies["SASTAT"] = "3";
    controller.replies["PX"] = "?PX";
    controller.replies["MST"] = "garbage";
    tick();
    EXPECT_EQ(shown("VerimoveStatus"), "JOGGING");
    EXPECT_EQ(shown("ProgStatus"), "Running");
    EXPECT_EQ(shown("Pos"), "250");
    EXPECT_EQ(shown("Stat"), "IDLE");
    EXPECT_TRUE(lit("PosLim"));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(state.LinkOpen);
}

TEST_F(StatusPoll, FailedQueryInALaterPhaseKeepsThatPhaseAndStopsThePoll) {
    open();
    tick(); // phase 1 done
    controller.silent = {"AI2"};
    tick();
    EXPECT_EQ(window->statusPhase(), 2);
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: AI2", "Communication Error!"}));
    EXPECT_FALSE(state.LinkOpen);
    sent().clear();
    tick(5);
    EXPECT_TRUE(sent().empty());
}

TEST_F(StatusPoll, PhaseOneAdvancesWithoutExaminingItsReplies) {
    open();
    controller.silent = {"EO"};
    tick();
    EXPECT_EQ(window->statusPhase(), 2);
    // The transport's own message only: this exchange's status is not examined.
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: EO"}));
}

TEST_F(StatusPoll, VanishedControllerGivesItsMessageOnceAndThePollStops) {
    open();
    tick(2);
    controller.vanished = true;
    sent().clear();
    tick(20);
    EXPECT_EQ(sent(), (Commands{"MM"}));
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: MM"}));
    EXPECT_FALSE(state.LinkOpen);
}

TEST_F(StatusPoll, FailedMotionQueryEndsTheTickWithCommunicationError) {
    controller.replies["DX"] = "5";
    open();
    tick();
    controller.silent = {"PX"};
    controller.replies["DX"] = "9";
    sent().clear();
    tick(3);
    EXPECT_EQ(sent(), (Commands{"MM", "SASTAT", "SPC", "DX", "PX"}));
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: PX", "Communication Error!"}));
    EXPECT_EQ(shown("delta"), "9");
}

TEST_F(StatusPoll, PortThatFailsUnderThePollIsReportedOnce) {
    open();
    tick();
    port->writeFailure = "The device has been removed.";
    tick(10);
    EXPECT_EQ(ui.messages(), (Commands{"Communication Error! The device has been removed."}));
    EXPECT_FALSE(state.LinkOpen);
}

TEST_F(StatusPoll, PausedPollSendsNothingUntilResumed) {
    open();
    window->setPollPaused(true);
    tick(3);
    EXPECT_TRUE(sent().empty());
    window->setPollPaused(false);
    tick();
    EXPECT_FALSE(sent().empty());
}

TEST_F(StatusPoll, DriverEnableBoxFollowsTheControllerAndSendsTheValueBack) {
    controller.replies["EO"] = "1";
    open();
    EXPECT_TRUE(ticked("EnableStat"));
    controller.replies["EO"] = "0";
    tick();
    EXPECT_FALSE(ticked("EnableStat"));
    EXPECT_EQ(sent(), tickCommands({"SYNS", "EO", "EO=0"}));
}

Commands demoTick(const char* move) {
    return {"MM",  "SASTAT",    "SPC",      "DX",      "PX",      "EX", "PS", "MST",
            "SLS", "HSPD=1000", "LSPD=300", "ACC=300", "DEC=300", move, "SCV"};
}

TEST_F(StatusPoll, DemonstrationCyclesThroughFourMovesWhileTheAxisIsIdle) {
    open();
    click("Command4");
    const char* moves[] = {"X1000", "X-2000", "X500", "X0", "X1000"};
    for (const char* move : moves) {
        sent().clear();
        tick();
        Commands expected = demoTick(move);
        ASSERT_GE(sent().size(), expected.size());
        EXPECT_EQ(Commands(sent().begin(), sent().begin() + expected.size()), expected);
    }
    EXPECT_EQ(window->demoStep(), 2);
}

TEST_F(StatusPoll, DemonstrationRepeatsAMoveThatWasNotAcceptedAndWaitsForIdle) {
    open();
    click("Command4");
    controller.replies["X1000"] = "?X1000";
    tick();
    EXPECT_EQ(window->demoStep(), 1);
    controller.replies.erase("X1000");
    controller.replies["MST"] = "1";
    sent().clear();
    tick();
    EXPECT_EQ(std::count(sent().begin(), sent().end(), "X1000"), 0);
    controller.replies["MST"] = "0";
    tick();
    EXPECT_EQ(window->demoStep(), 2);
    click("Command7");
    sent().clear();
    tick();
    EXPECT_EQ(std::count(sent().begin(), sent().end(), "X-2000"), 0);
}

TEST_F(StatusPoll, DemonstrationWithABadSpeedFieldStopsWithOneMessage) {
    open();
    type("Accel", "fast");
    click("Command4");
    tick(5);
    EXPECT_FALSE(window->demoMode());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].find("Accel"), std::string::npos);
    for (const std::string& command : sent())
        EXPECT_NE(command[0], 'X') << command;
}

} // namespace
} // namespace maintest
