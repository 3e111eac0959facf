#include "motiondesk/main/auxiliary_windows.h"

#include "link/command_channel.h"
#include "link/connection_state.h"
#include "motiondesk/main/startup.h"
#include "motiondesk/session/port_loan.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/windows/multi_thread_window.h"
#include "motiondesk/windows/terminal_window.h"
#include "motiondesk/windows/variables_window.h"

namespace mainwindow {

// Over USB the terminal shows the ID from the controller's name (KTR01 gives 01) and cannot
// change it; the status of this exchange is not looked at.
void AuxiliaryWindows::openTerminal() {
    if (!channel_.linkOpen()) return;
    std::string name;
    channel_.exchange("DN", name);
    const std::string usbId = name.size() > 3 ? name.substr(3, 5) : std::string();
    const session::PortLoan loan(mainPort_);
    windows::TerminalWindow terminal(services_, usbId, window_);
    terminal.exec();
}

void AuxiliaryWindows::openVariables() {
    if (!channel_.linkOpen()) return;
    const session::PortLoan loan(mainPort_);
    windows::VariablesWindow variables(services_, window_);
    if (variablesOpened) variablesOpened(variables);
    variables.exec();
}

// The window gets its own copy of the link: the port has just been let go (ComPortStatus).
void AuxiliaryWindows::openMultiThread() {
    if (!channel_.linkOpen() || !hasMultiThread(services_.program.FirmwareVersion)) return;
    const session::PortLoan loan(mainPort_);
    windows::MultiThreadWindow threads(services_, window_);
    threads.setComPortStatus(false);
    threads.setComStatus(services_.state.LinkOpen);
    threads.setComAddress(services_.state.DeviceName);
    threads.setComPortNumber(services_.state.SerialPort);
    threads.setBaudrate(services_.state.BaudRate);
    threads.load();
    threads.exec();
}

} // namespace mainwindow
