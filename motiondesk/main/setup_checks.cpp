#include "motiondesk/main/setup_checks.h"

#include "link/command_channel.h"
#include "motiondesk/main/main_panel.h"
#include "motiondesk/main/motion_control.h"
#include "motiondesk/ui/user_interface.h"

namespace mainwindow {

namespace {

// With step-and-loop control in use its own status says whether the axis is idle.
bool axisIdle(const MainPanel& panel) {
    if (panel.VerimoveStatus != "NA") return panel.VerimoveStatus == "IDLE";
    return panel.Stat == "IDLE";
}

} // namespace

bool readyForSetup(transport::CommandChannel& channel, ui::UserInterface& ui,
                   const MainPanel& panel, MotionControl& motion) {
    if (panel.ProgStatus != "Idle") {
        if (!ui.askYesNo(kProgramMustBeIdle)) return false;
        channel.exchange("SR=0");
        if (!channel.linkOpen()) return false;
    }
    if (!axisIdle(panel)) {
        if (!ui.askYesNo(kAxisMustBeIdle)) return false;
        motion.MoveCommand("ABORT");
        if (!channel.linkOpen()) return false;
    }
    return true;
}

} // namespace mainwindow
