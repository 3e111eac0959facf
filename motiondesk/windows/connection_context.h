#pragma once
// What the connection window and its two helper windows work with: the shared connection state,
// the user-interface services, the USB library, a maker of serial-port controls and the main
// window they hand over to.

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace transport {
struct ConnectionState;
class SerialLink;
class UsbLibrary;
} // namespace transport

namespace ui {
class UserInterface;
}

namespace connection {

struct ConnectionContext {
    transport::ConnectionState& state;
    ui::UserInterface& ui;
    transport::UsbLibrary& usb;
    // Makes a serial-port control of the window's own (the search uses one).
    std::function<std::unique_ptr<transport::SerialLink>()> makeSerialLink;
    // Folder of commsetup.ini and USBHandle.ini.
    std::string exeFolder;
    // The program's version text; the connection window sets it when it opens.
    std::string& guiVersion;
    // Shows the main window modally over parent; returns when it has been closed.
    std::function<void(QWidget* parent)> showMainWindow;
    // The search's timer interval and the wait of one empty read while it listens.
    int searchTickMs = 100;
    int searchEmptyReadMs = 2;
};

} // namespace connection
