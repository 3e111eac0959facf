#pragma once
// Runs a window's handlers and timer ticks one at a time. A message box runs a nested event
// loop in which timers fire and buttons can be pressed; what arrives while a handler runs is
// dropped, never started in the middle of it. No exception leaves a handler: it is shown to the
// user instead. Before each handler the window takes what the user typed, after it the window
// shows the values again.

#include <functional>

namespace ui {
class UserInterface;
}

namespace session {

class HandlerRunner {
public:
    explicit HandlerRunner(ui::UserInterface& ui, std::function<void()> before = {},
                           std::function<void()> after = {});

    // False when another handler of this window was running and this one was dropped.
    bool run(const std::function<void()>& handler) { return run(handler, true, true); }
    // The same, taking the user's input before it and showing the values after it only where
    // asked: the steps of a longer piece of work (the status poll) show their values at its end.
    bool run(const std::function<void()>& handler, bool takeInput, bool showValues);
    bool busy() const { return busy_; }

private:
    ui::UserInterface& ui_;
    std::function<void()> before_;
    std::function<void()> after_;
    bool busy_ = false;
};

} // namespace session
