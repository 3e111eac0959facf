#pragma once
// Before the set-up window opens: no stand-alone program may run and the axis must stand still.
// The user is offered to stop either; "No" keeps the window closed.

namespace transport {
class CommandChannel;
} // namespace transport
namespace ui {
class UserInterface;
}

namespace mainwindow {

class MotionControl;
struct MainPanel;

inline constexpr const char* kProgramMustBeIdle = "Program must be idle for setup.  Abort program?";
inline constexpr const char* kAxisMustBeIdle = "Axis must be idle for setup.  Abort axis?";

// True when the set-up window may open. "SR=0" stops the program, "ABORT" the axis (through
// MoveCommand); a link lost on the way keeps the window closed.
bool readyForSetup(transport::CommandChannel& channel, ui::UserInterface& ui,
                   const MainPanel& panel, MotionControl& motion);

} // namespace mainwindow
