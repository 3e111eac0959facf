#pragma once
// Loading and closing of the main window, and the "About" text: binding the window's own serial
// port, checking the controller's model and firmware and reading its settings back.

#include <string>

namespace transport {
class CommandTransport;
class SerialLink;
class UsbLibrary;
} // namespace transport

namespace session {
struct ProgramValues;
}
namespace transport {
class CommandChannel;
}

namespace mainwindow {

using session::ProgramValues;
using transport::CommandChannel;

class MotionControl;
class StatusPoll;
struct MainPanel;

inline constexpr const char* kPortNotAvailable =
    "Communication port not available!  Please select available communication port and try "
    "again.";

// Firmware from 230 on has deceleration, position change on the fly and the limit homing moves;
// from 222 on the multi-thread window.
inline bool hasDecelerationFeatures(int firmwareVersion) {
    return firmwareVersion >= 230;
}
inline bool hasMultiThread(int firmwareVersion) {
    return firmwareVersion >= 222;
}

// The "About" text: lines each ended by a carriage return.
std::string aboutText(const std::string& guiVersion, int firmwareVersion);

class Startup {
public:
    Startup(transport::CommandTransport& transport, CommandChannel& channel, MainPanel& panel,
            ProgramValues& program, StatusPoll& poll, MotionControl& motion);

    // The loading sequence. ownPort becomes the transport's serial-port control on a serial
    // link. Returns whether the poll timer is to run.
    bool load(transport::SerialLink* ownPort);

    // Releases the link: the USB device is closed, the serial port closed.
    void close(transport::UsbLibrary& usb, transport::SerialLink* ownPort);

    bool Loading = true;

private:
    bool openSerialLink(transport::SerialLink* ownPort);
    void readFirmwareVersion();
    void readDriverEnable();
    bool readBack();
    bool readBackIdentity();
    bool readBackSpeeds();
    bool readBackBoxes();
    bool query(const char* command, std::string& reply);

    transport::CommandTransport& transport_;
    CommandChannel& channel_;
    MainPanel& panel_;
    ProgramValues& program_;
    StatusPoll& poll_;
    MotionControl& motion_;
};

} // namespace mainwindow
