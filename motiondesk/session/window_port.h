#pragma once
// A window's own serial-port control and its own copy of the exchange. The set-up, digital I/O,
// terminal, variables and multi-thread windows each hold one while they are open; the main
// window has lent them the port. Over USB the exchange uses the shared device handle.

#include "link/command_channel.h"
#include "link/command_transport.h"
#include "link/connection_state.h"
#include "motiondesk/session/port_loan.h"

#include <memory>

class QWidget;

namespace transport {
class SerialLink;
}

namespace session {

struct WindowServices;

// Whose link flag and device address the window's exchanges use: the shared ones, or copies of
// the window's own (the multi-thread window), which a failure clears without touching the
// shared LinkOpen.
enum class LinkFlag { Shared, OwnCopy };

class WindowPort final : public PortHolder {
public:
    WindowPort(const WindowServices& services,
               transport::TransportPolicy policy = transport::TransportPolicy::window(),
               LinkFlag flag = LinkFlag::Shared);
    // Releases the port.
    ~WindowPort() override;
    WindowPort(const WindowPort&) = delete;
    WindowPort& operator=(const WindowPort&) = delete;

    transport::CommandChannel& channel() { return channel_; }
    transport::CommandTransport& transport() { return transport_; }
    // The connection state this window's exchanges read and clear.
    transport::ConnectionState& state() { return transport_.state(); }

    // Only while LinkOpen on a serial link: configures the window's own port with the state's
    // BaudRate and SerialPort and opens it. A port that cannot be opened is reported
    // ("Communication Error! " + the reason) and the link is then unusable.
    void OpenWindowPort();
    // Only while LinkOpen on a serial link: closes the window's port / opens it again.
    void CloseWindowPort();
    void ReopenWindowPort();
    // Closes the window's port whatever the link's state: the window is going away.
    void ReleasePort();

    void lendPort() override { CloseWindowPort(); }
    void takePortBack() override { ReopenWindowPort(); }

private:
    void portFailed();

    std::unique_ptr<transport::ConnectionState> ownState_;
    std::unique_ptr<transport::SerialLink> MSComm1_;
    transport::CommandTransport transport_;
    transport::CommandChannel channel_;
};

// Escape in the window sends STOP over its port, and never closes it.
void stopOnEscape(QWidget* window, WindowPort& port);

} // namespace session
