#pragma once
// What every window of Motiondesk is given: the shared connection state and the transport over
// it, the user-interface services, the clock, the USB library, a maker of serial-port controls,
// the EXE folder and the program-wide values. The program composes the real ones; tests compose
// scripted ones.

#include "motiondesk/session/program_values.h"

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace transport {
struct ConnectionState;
class CommandTransport;
class Clock;
class SerialLink;
class UsbLibrary;
} // namespace transport

namespace ui {
class UserInterface;
}

namespace session {

class HelperPrograms;

// Timer intervals and waits of the windows, so tests can run them without real time passing.
struct WindowTimings {
    int pollIntervalMs = 10; // the main window's status poll
    // The variables and multi-thread windows' refresh: the next exchange as soon as the event
    // loop is free, as fast as the exchanges allow (a 1 ms timer would wait a millisecond after
    // each one, which at 115200 baud is longer than the exchange itself).
    int refreshIntervalMs = 0;
    // The serial search goes step after step as soon as the window has shown the last; after it
    // has opened a port or changed its rate it lets the adapter settle this long.
    int searchTickMs = 0;
    int searchSettleMs = 20;
    int searchEmptyReadMs = 2; // the serial search's wait of one empty read
    // A window whose link has failed wakes this seldom instead of every refresh interval.
    int idleRefreshIntervalMs = 200;
    // How long the variables window marks a value that has just changed.
    int changeMarkMs = 1500;
};

struct WindowServices {
    transport::ConnectionState& state;
    // The shared transport with Motiondesk's rules; the main window binds its own port to it.
    transport::CommandTransport& transport;
    ui::UserInterface& ui;
    transport::Clock& clock;
    transport::UsbLibrary& usb;
    // Makes a serial-port control of a window's own.
    std::function<std::unique_ptr<transport::SerialLink>()> makeSerialLink;
    // Folder of the helper programs, their job files and the settings files.
    std::string exeFolder;
    ProgramValues& program;
    // Shows the main window modally over parent; returns when it has been closed.
    std::function<void(QWidget* parent)> showMainWindow{};
    WindowTimings timings{};
    // Runs Progsmith and Proglift; null where no window runs a job.
    HelperPrograms* helpers = nullptr;
    // Milliseconds of a steady clock, for the plot's time stamps; the steady clock when empty.
    std::function<long long()> nowMs{};
};

} // namespace session
