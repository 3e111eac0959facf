#pragma once
// The windows the main window opens that take the serial port over while they are open: the
// terminal, the variables and the multi-thread windows. Before one is shown the main window
// lends its port (the poll pauses, the port closes); when it closes, the port comes back.

namespace session {
struct WindowServices;
class PortHolder;
} // namespace session
namespace transport {
class CommandChannel;
}

class QWidget;

namespace windows {
class VariablesWindow;
}

#include <functional>

namespace mainwindow {

class AuxiliaryWindows {
public:
    AuxiliaryWindows(const session::WindowServices& services, transport::CommandChannel& channel,
                     session::PortHolder& mainPort, QWidget* window)
        : services_(services), channel_(channel), mainPort_(mainPort), window_(window) {}

    void openTerminal();    // "Terminal": asks the controller its name first
    void openVariables();   // "Variables"
    void openMultiThread(); // "X-Thread": firmware 222 and later

    // Runs when the variables window has been made, before it is shown (the plot's hooks).
    std::function<void(windows::VariablesWindow&)> variablesOpened;

private:
    const session::WindowServices& services_;
    transport::CommandChannel& channel_;
    session::PortHolder& mainPort_;
    QWidget* window_;
};

} // namespace mainwindow
