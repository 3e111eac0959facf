// "Setup": the checks that no program runs and the axis stands still before the set-up window
// opens. (The hand-over of the port is tested against controller-sim in tests/motiondesk/setup.)

#include "main_window_fixture.h"

#include "motiondesk/main/setup_checks.h"
#include "support/modal_helpers.h"

#include <algorithm>

namespace maintest {
namespace {

using Question = testing_support::ScriptedUi::Question;

struct SetupCase {
    const char* name;
    const char* programState; // SASTAT
    const char* stepLoop;     // SLS: 12 is "NA"
    const char* motion;       // MST: 4 is "ACCEL"
    std::deque<bool> answers;
    std::vector<std::string> questions;
    Commands before; // what the main window sends before the set-up window loads
    bool opens;
};

class SetupButton : public MainWindowTest, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(SetupButton, AsksWhatIsNotIdleAndOpensOnlyWhenAllowed) {
    const SetupCase& c = GetParam();
    controller.replies["SASTAT"] = c.programState;
    controller.replies["SLS"] = c.stepLoop;
    controller.replies["MST"] = c.motion;
    open();
    tick(4);
    sent().clear();
    ui.answers = c.answers;
    bool opened = false;
    if (c.opens)
        testing_support::whenModalShown("Setup", [&](QWidget* setupWindow) {
            opened = true;
            testing_support::click(setupWindow, "CloseButton");
        });
    click("SetupButton");

    std::vector<std::string> asked;
    for (const Question& question : ui.questions) {
        EXPECT_EQ(question.title, "");
        asked.push_back(question.text);
    }
    EXPECT_EQ(asked, c.questions);
    const auto load = std::find(sent().begin(), sent().end(), "EDEC");
    EXPECT_EQ(Commands(sent().begin(), load), c.before);
    EXPECT_EQ(opened, c.opens);
    EXPECT_EQ(load != sent().end(), c.opens);
    ui.clearMessages();
}

INSTANTIATE_TEST_SUITE_P(
    Main, SetupButton,
    ::testing::Values(SetupCase{"AllIdle", "0", "0", "0", {}, {}, {}, true},
                      SetupCase{"ProgramRunsAndNo",
                                "1",
                                "0",
                                "0",
                                {false},
                                {mainwindow::kProgramMustBeIdle},
                                {},
                                false},
                      SetupCase{"ProgramRunsAndYes",
                                "1",
                                "0",
                                "0",
                                {true},
                                {mainwindow::kProgramMustBeIdle},
                                {"SR=0"},
                                true},
                      SetupCase{"StepLoopMovingAndNo",
                                "0",
                                "1",
                                "0",
                                {false},
                                {mainwindow::kAxisMustBeIdle},
                                {},
                                false},
                      SetupCase{"StepLoopNaAxisAcceleratingAndYes",
                                "0",
                                "12",
                                "4",
                                {true},
                                {mainwindow::kAxisMustBeIdle},
                                {"ABORT"},
                                true},
                      SetupCase{"StepLoopNaAxisIdle", "0", "12", "0", {}, {}, {}, true},
                      SetupCase{"BothAndYes",
                                "2",
                                "12",
                                "2",
                                {true, true},
                                {mainwindow::kProgramMustBeIdle, mainwindow::kAxisMustBeIdle},
                                {"SR=0", "ABORT"},
                                true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, SetupDoesNothingOnALinkThatIsDown) {
    open();
    state.LinkOpen = false;
    click("SetupButton");
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(ui.questions.empty());
}

} // namespace
} // namespace maintest
