#pragma once
// The connection window's world for tests: a temporary EXE folder, the shared connection state,
// a scripted user interface, serial buses of controller models behind COM ports, USB devices,
// and a main window that only records the state it was shown with.

#include "link/command_transport.h"
#include "link/connection_state.h"
#include "motiondesk/session/window_services.h"
#include "simulator/inprocess_serial_link.h"
#include "simulator/inprocess_usb_library.h"
#include "simulator/serial_bus.h"
#include "simulator/usb_device.h"
#include "support/recording_clock.h"
#include "support/scratch_folder.h"
#include "support/scripted_ui.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace connection_testing {

class ConnectionHarness {
public:
    // COM<port> exists and carries bus (an empty bus: a port nobody answers on).
    simulator::SerialBus& portWithBus(int port) {
        auto& bus = buses_[port];
        if (!bus) bus = std::make_unique<simulator::SerialBus>();
        return *bus;
    }
    // A controller on COM<port>.
    simulator::ControllerModel& controllerOn(int port, const std::string& id, int baud) {
        return portWithBus(port).add({.deviceId = id, .baudRate = baud});
    }
    // A USB device with this product text's controller behind it.
    simulator::UsbDevice& usbDevice(const std::string& id) {
        usbControllers_.push_back(std::make_unique<simulator::ControllerModel>(
            simulator::ControllerConfig{.deviceId = id}));
        usbDevices_.push_back(std::make_unique<simulator::UsbDevice>(*usbControllers_.back()));
        usb.attach(*usbDevices_.back());
        return *usbDevices_.back();
    }

    // Every frame that went out on COM<port>, as "@" + ID + command.
    std::vector<std::string> framesOn(int port) {
        std::vector<std::string> frames;
        for (const auto& frame : portWithBus(port).frames())
            frames.push_back("@" + frame.deviceId + frame.command);
        return frames;
    }

    session::WindowServices services() {
        session::WindowServices services{
            state,
            transport,
            ui,
            clock,
            usb,
            [this]() -> std::unique_ptr<transport::SerialLink> {
                auto link = std::make_unique<simulator::InProcessSerialLink>();
                for (auto& [port, bus] : buses_)
                    link->attach(port, *bus);
                return link;
            },
            exeFolder(),
            program,
            [this](QWidget*) { mainWindowShownWith.push_back(state); }};
        services.timings.searchTickMs = 0;
        services.timings.searchSettleMs = 0;
        services.timings.searchEmptyReadMs = 2;
        return services;
    }

    std::string exeFolder() const { return folder_.str(); }
    std::string path(const std::string& name) const { return exeFolder() + "/" + name; }

    void writeFile(const std::string& name, const std::string& bytes) const {
        folder_.write(name, bytes);
    }
    std::string readFile(const std::string& name) const { return folder_.read(name); }

    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    simulator::InProcessUsbLibrary usb;
    testing_support::RecordingClock clock;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    // The connection state each time the main window was shown.
    std::vector<transport::ConnectionState> mainWindowShownWith;

private:
    testing_support::ScratchFolder folder_;
    std::map<int, std::unique_ptr<simulator::SerialBus>> buses_;
    std::deque<std::unique_ptr<simulator::ControllerModel>> usbControllers_;
    std::deque<std::unique_ptr<simulator::UsbDevice>> usbDevices_;
};

} // namespace connection_testing
