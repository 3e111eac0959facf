#include "motiondesk/jobs/link_release.h"

#include "link/command_transport.h"
#include "link/usb_library.h"

namespace jobs {

void LinkRelease::lendPort() {
    transport::ConnectionState& state = transport_.state();
    if (state.LinkType == transport::LinkUsb)
        state.UsbResult = static_cast<int16_t>(usb_.Close(state.UsbHandle));
    else
        transport_.CloseSerialPort();
}

// The USB open's status is not examined: a device that did not come back fails the next
// exchange, which tells the user. A serial port that cannot be opened is kept for the job to
// report.
void LinkRelease::takePortBack() {
    transport::ConnectionState& state = transport_.state();
    failure_.clear();
    if (state.LinkType == transport::LinkUsb)
        state.UsbResult = static_cast<int16_t>(usb_.Open(state.UsbDeviceIndex, state.UsbHandle));
    else if (!transport_.ReopenSerialPort())
        failure_ = transport_.LastErrorText;
}

} // namespace jobs
