#include "motiondesk/session/handler_runner.h"

#include "support/scripted_ui.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Steps = std::vector<std::string>;

TEST(HandlerRunner, TakesInputsRunsTheHandlerAndShowsTheValues) {
    testing_support::ScriptedUi ui;
    Steps steps;
    session::HandlerRunner runner(
        ui, [&] { steps.push_back("inputs"); }, [&] { steps.push_back("show"); });
    EXPECT_TRUE(runner.run([&] { steps.push_back("handler"); }));
    EXPECT_EQ(steps, (Steps{"inputs", "handler", "show"}));
}

// A timer that fires inside a message box of a running handler must not start another one.
TEST(HandlerRunner, AHandlerArrivingWhileAnotherRunsIsDropped) {
    testing_support::ScriptedUi ui;
    session::HandlerRunner runner(ui);
    bool innerRan = true;
    bool outerSawBusy = false;
    runner.run([&] {
        outerSawBusy = runner.busy();
        innerRan = runner.run([] {});
    });
    EXPECT_TRUE(outerSawBusy);
    EXPECT_FALSE(innerRan);
    EXPECT_FALSE(runner.busy());
    EXPECT_TRUE(runner.run([] {}));
}

TEST(HandlerRunner, AnExceptionIsShownAndTheWindowStillShowsItsValues) {
    testing_support::ScriptedUi ui;
    bool shown = false;
    session::HandlerRunner runner(ui, {}, [&] { shown = true; });
    runner.run([] { throw std::runtime_error("Division by zero"); });
    runner.run([] { throw 42; });
    EXPECT_TRUE(shown);
    EXPECT_EQ(ui.messages(), (Steps{"Division by zero", "Communication Error!"}));
    EXPECT_FALSE(runner.busy());
}

} // namespace
