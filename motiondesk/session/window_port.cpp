#include "motiondesk/session/window_port.h"

#include "motiondesk/ui/keyboard.h"

#include "link/serial_link.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/user_interface.h"

namespace session {

namespace {

std::unique_ptr<transport::ConnectionState> ownCopy(const WindowServices& services, LinkFlag flag) {
    if (flag == LinkFlag::Shared) return nullptr;
    return std::make_unique<transport::ConnectionState>(services.state);
}

} // namespace

WindowPort::WindowPort(const WindowServices& services, transport::TransportPolicy policy,
                       LinkFlag flag)
    : ownState_(ownCopy(services, flag)),
      MSComm1_(services.makeSerialLink ? services.makeSerialLink() : nullptr),
      transport_(ownState_ ? *ownState_ : services.state, policy, MSComm1_.get(), &services.usb,
                 &services.ui, services.clock),
      channel_(transport_, services.ui) {}

WindowPort::~WindowPort() {
    ReleasePort();
}

void WindowPort::ReleasePort() {
    if (MSComm1_ && MSComm1_->isOpen()) MSComm1_->close();
}

void WindowPort::OpenWindowPort() {
    const transport::ConnectionState& link = state();
    if (!link.LinkOpen || link.LinkType != transport::LinkSerial) return;
    if (!transport_.OpenSerialPort()) portFailed();
}

void WindowPort::CloseWindowPort() {
    transport_.CloseSerialPort();
}

void WindowPort::ReopenWindowPort() {
    if (!transport_.ReopenSerialPort()) portFailed();
}

// LinkOpen goes first: nothing may be sent on a port that is not there, and a timer that fires
// inside the message box must already see that.
void WindowPort::portFailed() {
    state().LinkOpen = false;
    channel_.tell("Communication Error! " + transport_.LastErrorText);
}

void stopOnEscape(QWidget* window, WindowPort& port) {
    new ui::KeyHands(window, false, [&port](const std::string& command) {
        if (port.channel().linkOpen()) port.channel().send(command);
    });
}

} // namespace session
