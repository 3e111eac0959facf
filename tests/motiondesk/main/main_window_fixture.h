#pragma once
// The main window over a fake controller on its own scripted serial port (or a scripted USB
// library), with a scripted user interface: tests click controls by name and look at the
// commands the controller received and at what the window shows.

#include "support/fake_controller.h"

#include "link/command_transport.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/lamp.h"
#include "support/recording_clock.h"
#include "support/scratch_folder.h"
#include "support/scripted_helpers.h"
#include "support/scripted_serial_link.h"
#include "support/scripted_ui.h"
#include "support/scripted_usb_library.h"
#include "support/widget_driver.h"

#include <gtest/gtest.h>

#include <memory>

namespace maintest {

using Commands = std::vector<std::string>;
using Messages = std::vector<std::string>;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { state.LinkType = transport::LinkSerial; }

    // Loads the window, then forgets what loading sent.
    mainwindow::MainWindow& open() {
        openKeepingLog();
        controller.commands.clear();
        return *window;
    }

    mainwindow::MainWindow& openKeepingLog() {
        window = std::make_unique<mainwindow::MainWindow>(services());
        driver.setRoot(window.get());
        return *window;
    }

    session::WindowServices services() {
        session::WindowServices services{
            state,
            transport,
            ui,
            clock,
            usb,
            [this] {
                auto link = std::make_unique<testing_support::ScriptedSerialLink>();
                controller.attach(*link);
                link->openSucceeds = portOpens;
                port = link.get();
                return std::unique_ptr<transport::SerialLink>(std::move(link));
            },
            exe.str(),
            program};
        services.helpers = &helpers;
        services.timings = timings;
        return services;
    }

    template <typename Widget> Widget* find(const char* name) { return driver.find<Widget>(name); }
    void click(const char* name) { driver.click(name); }
    void type(const char* name, const QString& text) { driver.type(name, text); }
    void choose(const char* name, const QString& item) { driver.choose(name, item); }
    QString shown(const char* name) { return driver.text(name); }
    QString field(const char* name) { return driver.text(name); }
    bool lit(const char* name) { return driver.lit(name); }
    bool ticked(const char* name) { return driver.ticked(name); }
    bool enabled(const char* name) { return driver.enabled(name); }

    // Runs whole poll rotations' worth of ticks.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i)
            window->pollTick();
    }

    Commands& sent() { return controller.commands; }

    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    testing_support::ScriptedUsbLibrary usb;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    testing_support::ScratchFolder exe;
    testing_support::ScriptedHelpers helpers;
    session::WindowTimings timings;
    testing_support::FakeController controller;
    bool portOpens = true;
    testing_support::ScriptedSerialLink* port = nullptr;
    std::unique_ptr<mainwindow::MainWindow> window;
    testing_support::WidgetDriver driver;
};

} // namespace maintest
