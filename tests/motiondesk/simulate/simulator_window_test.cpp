// The program simulator as the user opens it from the main window: Simulate beside Compile, the
// controls by name, nothing sent to the real controller.

#include "../main/main_window_fixture.h"

#include "motiondesk/main/program_control.h"
#include "motiondesk/plot/plot_window.h"
#include "motiondesk/simulate/simulator_window.h"
#include "motiondesk/ui/program_text_edit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>

namespace maintest {
namespace {

class SimulatorWindowTest : public MainWindowTest {
protected:
    simulate::SimulatorWindow* simulate(const char* program) {
        open();
        type("OrgProgram", program);
        click("SimulateProg");
        return window->findChild<simulate::SimulatorWindow*>("ProgramSimulator");
    }
    ui::ProgramTextEdit* source() { return find<ui::ProgramTextEdit>("SimSource"); }
    QString variable(int n) {
        return find<QTableWidget>("SimVariables")->item((n - 1) / 10, (n - 1) % 10)->text();
    }
    bool marked(int n) {
        return find<QTableWidget>("SimVariables")->item((n - 1) / 10, (n - 1) % 10)->font().bold();
    }
    // A click on the line's number in the margin.
    void clickLineNumber(int line) {
        QWidget* margin = source()->findChild<QWidget*>("LineNumbers");
        const QTextBlock block = source()->document()->findBlockByNumber(line - 1);
        const int y = source()->cursorRect(QTextCursor(block)).center().y();
        QTest::mouseClick(margin, Qt::LeftButton, {}, QPoint(margin->width() / 2, y));
    }
};

TEST_F(SimulatorWindowTest, SimulateStepsTheTextOfTheMainWindowWithoutTouchingTheController) {
    simulate::SimulatorWindow* sim = simulate("V1 = 5\nV2 = V1 * 3\nV1 = 0\nEND\n");
    ASSERT_NE(sim, nullptr);
    EXPECT_TRUE(sim->isVisible());
    EXPECT_EQ(shown("SimModel"), "KT-210");
    EXPECT_EQ(source()->nextLines()[0], 1);
    EXPECT_EQ(shown("SimThread0State"), "Program 0: running, line 1");
    click("SimStepBack");
    EXPECT_EQ(shown("SimStatus"), "At the start: nothing to step back");
    EXPECT_EQ(shown("SimThread0State"), "Program 0: running, line 1");

    const struct {
        int line;
        const char* v1;
        const char* v2;
        std::vector<int> marked;
    } steps[] = {{2, "5", "0", {1}}, {3, "5", "15", {2}}, {4, "0", "15", {1}}};
    for (const auto& step : steps) {
        click("SimStep");
        EXPECT_EQ(source()->nextLines()[0], step.line);
        EXPECT_EQ(variable(1), step.v1);
        EXPECT_EQ(variable(2), step.v2);
        for (int n : {1, 2})
            EXPECT_EQ(marked(n), std::count(step.marked.begin(), step.marked.end(), n) > 0)
                << "V" << n << " before line " << step.line;
    }
    click("SimStepBack");
    click("SimStepBack");
    EXPECT_EQ(source()->nextLines()[0], 2);
    EXPECT_EQ(variable(1), "5");
    EXPECT_EQ(variable(2), "0");
    EXPECT_TRUE(controller.commands.empty()) << controller.commands.front();

    // Closing the window ends its controller.
    sim->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->programControl().simulator(), nullptr);
}

TEST_F(SimulatorWindowTest, ACompileErrorIsShownAsCompileShowsItAndNothingOpens) {
    EXPECT_EQ(simulate("V1 = 5\nV2 = = 3\nEND\n"), nullptr);
    auto messages = ui.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Failed Compile!", 0), 0u) << messages[0];
    EXPECT_EQ(find<ui::ProgramTextEdit>("OrgProgram")->textCursor().selectedText(), "V2 = = 3");

    // A program that compiles to more lines than the controller has slots cannot run either.
    std::string tooLong = "WHILE 1 = 1\n";
    for (int i = 0; i < 600; ++i)
        tooLong += " V1 = V1 + 1\n";
    EXPECT_EQ(simulate((tooLong + "ENDWHILE\nEND\n").c_str()), nullptr);
    messages = ui.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "The program compiles to 2406 lines; the KT-210 has 1785 program slots.");
}

TEST_F(SimulatorWindowTest, RunStopsAtABreakpointAndAnInputTickedByTheUserReleasesAWait) {
    simulate::SimulatorWindow* sim =
        simulate("PRG 0\nSR1 = 1\nWHILE DI2 = 0\nENDWHILE\nV1 = 1\nEND\n"
                 "PRG 1\nDELAY = 500\nV2 = 2\nEND\n");
    ASSERT_NE(sim, nullptr);
    clickLineNumber(9);
    EXPECT_EQ(sim->simulation().breakpoints(), std::set<int>{9});
    choose("SimSpeed", "10x");
    click("SimRun");
    EXPECT_FALSE(enabled("SimRun"));
    for (int frame = 0; frame < 10 && sim->simulation().running(); ++frame)
        sim->frame(33'000);
    EXPECT_EQ(shown("SimStatus"), "Stopped at the breakpoint on line 9 (program 1)");
    EXPECT_EQ(source()->nextLines()[1], 9);
    EXPECT_EQ(source()->textCursor().blockNumber(), 8) << "the source shows program 1's line";
    EXPECT_GE(sim->simulation().state().timeUs, 500'000);
    EXPECT_EQ(variable(1), "0");

    // F9 on the cursor's line does what a click on its number does.
    sim->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sim));
    source()->setTextCursor(QTextCursor(source()->document()->findBlockByNumber(8)));
    QTest::keyClick(source(), Qt::Key_F9);
    EXPECT_TRUE(sim->simulation().breakpoints().empty());
    click("SimRun");
    sim->frame(33'000);
    EXPECT_TRUE(shown("SimThread0State").startsWith("Program 0: running, line "));
    EXPECT_EQ(variable(1), "0") << "waits for DI2";
    find<QCheckBox>("SimIn2")->setChecked(true);
    sim->frame(33'000);
    EXPECT_EQ(variable(1), "1");
    EXPECT_EQ(variable(2), "2");
    EXPECT_EQ(shown("SimStatus"), "No program runs any more");
    EXPECT_TRUE(enabled("SimRun"));

    // Reset takes back every input, the switches too, and the boxes show it.
    find<QCheckBox>("SimLimitPlus")->setChecked(true);
    click("SimReset");
    EXPECT_FALSE(ticked("SimIn2"));
    EXPECT_FALSE(ticked("SimLimitPlus"));
    EXPECT_EQ(sim->simulation().breakpoints(), std::set<int>{}) << "kept as they were";
}

TEST_F(SimulatorWindowTest, AFaultStopsTheRunAtItsLineWithTheReason) {
    simulate::SimulatorWindow* sim =
        simulate("PRG 0\nV1 = 0\nSR1 = 1\nDELAY = 20\nV2 = 7 / V1\nEND\nPRG 1\nWHILE 1 = 1\n"
                 " V3 = V3 + 1\nENDWHILE\nEND\n");
    ASSERT_NE(sim, nullptr);
    choose("SimSpeed", "As fast as possible");
    click("SimRun");
    for (int frame = 0; frame < 100 && sim->simulation().running(); ++frame)
        sim->frame(33'000);
    EXPECT_FALSE(sim->simulation().running()) << "program 1 loops on, the run stops";
    EXPECT_LT(sim->simulation().state().timeUs, 30'000);
    EXPECT_EQ(shown("SimThread0State"), "Program 0: fault, line 5: division by zero");
    EXPECT_EQ(shown("SimStatus"), "Program 0 stopped with a fault on line 5: division by zero");
    EXPECT_EQ(source()->nextLines()[0], 5);
}

TEST_F(SimulatorWindowTest, AnotherModelRecompilesAndPlotDrawsControllerTime) {
    simulate::SimulatorWindow* sim = simulate("HSPD = 1000\nX500\nWAITX\nV3 = PX\nEND\n");
    ASSERT_NE(sim, nullptr);
    choose("SimModel", "QB-450");
    EXPECT_EQ(sim->simulation().model(), "QB-450");
    type("SimPlotVariables", "3");
    click("SimPlot");
    ASSERT_NE(sim->plotWindow(), nullptr);
    sim->plotWindow()->setVariables({3});
    click("SimRun");
    for (int frame = 0; frame < 100 && sim->simulation().running(); ++frame)
        sim->frame(33'000);
    EXPECT_EQ(variable(3), "500");
    EXPECT_EQ(shown("SimPosition"), "500");
    sim->plotWindow()->redraw();
    const auto position = sim->plotWindow()->shownPoints("position");
    ASSERT_FALSE(position.empty());
    ASSERT_FALSE(position.back().empty());
    EXPECT_EQ(position.back().back().value, 500);
    EXPECT_NEAR(position.back().back().seconds, double(sim->simulation().state().timeUs) / 1e6,
                0.002);
}

} // namespace
} // namespace maintest
