// The main window against the simulated controller, over its serial line and over USB: the axis
// really moves, and the window shows it.

#include "link/command_transport.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/lamp.h"
#include "simulator/inprocess_serial_link.h"
#include "simulator/inprocess_usb_library.h"
#include "support/recording_clock.h"
#include "support/scripted_ui.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace maintest {
namespace {

using Commands = std::vector<std::string>;

class SimulatedController : public ::testing::Test {
protected:
    SimulatedController() {
        controller.setTimeSource([this] { return nowUs; });
        usbDevice = std::make_unique<simulator::UsbDevice>(controller);
        usb.attach(*usbDevice);
    }

    void openSerial() {
        state.LinkType = transport::LinkSerial;
        openWindow();
    }

    void openUsb() {
        state.LinkType = transport::LinkUsb;
        ASSERT_EQ(usb.Open(0, state.UsbHandle), 1);
        state.LinkOpen = true;
        openWindow();
    }

    void openWindow() {
        session::WindowServices services{
            state, transport,
            ui,    clock,
            usb,   [this] { return std::make_unique<simulator::InProcessSerialLink>(bus, 1); },
            "",    program};
        window = std::make_unique<mainwindow::MainWindow>(services);
        controller.clearCommandLog();
    }

    // Lets the axis run for a while between ticks.
    void runFor(int milliseconds, int ticks = 4) {
        for (int i = 0; i < ticks; ++i) {
            nowUs += int64_t(milliseconds) * 1000 / ticks;
            window->pollTick();
        }
    }

    void click(const char* name) {
        window->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    }
    QString shown(const char* name) {
        return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    bool lit(const char* name) {
        return window->findChild<ui::Lamp*>(QString::fromLatin1(name))->isLit();
    }

    int64_t nowUs = 1'000'000;
    simulator::SerialBus bus;
    simulator::ControllerModel& controller = bus.add({.deviceId = "01", .baudRate = 9600});
    std::unique_ptr<simulator::UsbDevice> usbDevice;
    simulator::InProcessUsbLibrary usb;
    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    std::unique_ptr<mainwindow::MainWindow> window;
};

TEST_F(SimulatedController, SerialLinkLoadsAndTheJogMovesTheAxis) {
    openSerial();
    ASSERT_TRUE(state.LinkOpen);
    EXPECT_EQ(program.FirmwareVersion, 223);
    EXPECT_EQ(shown("SN"), "KTR01");
    click("Command13");
    EXPECT_EQ(controller.commandLog(),
              (Commands{"HSPD=1000", "LSPD=300", "ACC=300", "DEC=0", "J+"}));
    runFor(500);
    EXPECT_NE(shown("Stat"), "IDLE");
    EXPECT_GT(shown("Pos").toInt(), 0);
    click("Command16");
    runFor(100);
    EXPECT_EQ(shown("Stat"), "IDLE");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SimulatedController, UsbLinkMovesToTheTypedPosition) {
    openUsb();
    ASSERT_TRUE(state.LinkOpen);
    window->findChild<QLineEdit*>("SetPosition")->setText("-400");
    click("Command5");
    runFor(5000, 20);
    EXPECT_EQ(shown("Pos"), "-400");
    EXPECT_EQ(shown("Stat"), "IDLE");
    click("CloseButton");
    EXPECT_FALSE(usbDevice->isOpen());
}

TEST_F(SimulatedController, LimitSwitchLightsItsLamp) {
    openSerial();
    ASSERT_TRUE(controller.setState("LIMIT+=1"));
    runFor(10, 1);
    EXPECT_TRUE(lit("PosLim"));
    EXPECT_FALSE(lit("NegLim"));
}

TEST_F(SimulatedController, WrongBaudRateFindsNoController) {
    state.BaudRate = "19200";
    openSerial();
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: DN"}));
    ASSERT_EQ(bus.frames().size(), 1u);
    EXPECT_EQ(bus.frames()[0].command, "DN");
    EXPECT_FALSE(bus.frames()[0].understood);
}

} // namespace
} // namespace maintest
