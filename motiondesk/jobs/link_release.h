#pragma once
// Motiondesk lets go of the controller while Proglift talks to it: the USB device is closed, or
// the main window's serial port; afterwards the device is opened again by its index (a new
// handle) or the port reopened. Used through a session::PortLoan, so the link comes back
// however the job ends.

#include "motiondesk/session/port_loan.h"

#include <string>

namespace transport {
class CommandTransport;
class UsbLibrary;
} // namespace transport

namespace jobs {

class LinkRelease final : public session::PortHolder {
public:
    LinkRelease(transport::CommandTransport& transport, transport::UsbLibrary& usb)
        : transport_(transport), usb_(usb) {}

    void lendPort() override;
    void takePortBack() override;

    // Why the serial port could not be opened again; empty when it was (or the link is USB).
    const std::string& failure() const { return failure_; }

private:
    transport::CommandTransport& transport_;
    transport::UsbLibrary& usb_;
    std::string failure_;
};

} // namespace jobs
