#pragma once
// The main window's status line: whether the link to the controller is up. Once it has failed,
// the values the window shows are those from before the failure, and nothing makes the link
// usable again until the user presses "Reconnect" (or connects anew from the connection window).

#include "link/connection_state.h"

#include <string>

namespace mainwindow {

struct LinkStatus {
    std::string text;
    bool up = false;
};

// wasUp: the link has been usable since the window opened.
inline LinkStatus linkStatus(const transport::ConnectionState& state, bool wasUp) {
    if (state.LinkOpen) {
        if (state.LinkType == transport::LinkUsb)
            return {"Connected over USB to device " + state.DeviceName, true};
        return {"Connected on COM" + std::to_string(state.SerialPort) + " at " + state.BaudRate +
                    " baud to device " + state.DeviceName,
                true};
    }
    if (wasUp)
        return {"Link lost: the values shown are from before it failed. Press Reconnect when the "
                "controller is back.",
                false};
    return {"Not connected: no controller answered. Press Reconnect to try again.", false};
}

} // namespace mainwindow
