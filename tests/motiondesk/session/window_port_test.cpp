#include "motiondesk/session/window_port.h"

#include "motiondesk/session/window_services.h"
#include "support/recording_clock.h"
#include "support/scripted_serial_link.h"
#include "support/scripted_ui.h"
#include "support/scripted_usb_library.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::ScriptedSerialLink;
using Messages = std::vector<std::string>;

class WindowPortTest : public ::testing::Test {
protected:
    WindowPortTest() {
        state.LinkType = transport::LinkSerial;
        state.LinkOpen = true;
        state.SerialPort = 4;
        state.BaudRate = "38400";
        state.DeviceName = "07";
    }

    session::WindowServices services() {
        return {state,
                transport,
                ui,
                clock,
                usb,
                [this] {
                    auto made = std::make_unique<ScriptedSerialLink>();
                    made->openSucceeds = portOpens;
                    made->responder = [](const std::string&) { return std::string("OK\r"); };
                    port = made.get();
                    return std::unique_ptr<transport::SerialLink>(std::move(made));
                },
                "",
                program};
    }

    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    testing_support::ScriptedUsbLibrary usb;
    transport::CommandTransport transport{
        state, transport::TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock};
    session::ProgramValues program;
    bool portOpens = true;
    ScriptedSerialLink* port = nullptr;
};

TEST_F(WindowPortTest, OpensItsOwnPortWithTheSharedSettingsOnlyOnAnOpenSerialLink) {
    session::WindowPort open(services());
    open.OpenWindowPort();
    ASSERT_EQ(port->opens.size(), 1u);
    EXPECT_EQ(port->opens[0], std::make_pair(4, std::string("38400,N,8,1")));

    state.LinkOpen = false;
    session::WindowPort closedLink(services());
    closedLink.OpenWindowPort();
    EXPECT_TRUE(port->opens.empty());

    state.LinkOpen = true;
    state.LinkType = transport::LinkUsb;
    session::WindowPort usbLink(services());
    usbLink.OpenWindowPort();
    EXPECT_TRUE(port->opens.empty());
}

// A port the test keeps, lent to the window through a forwarding control.
class ForwardingLink final : public transport::SerialLink {
public:
    explicit ForwardingLink(ScriptedSerialLink& inner) : inner_(inner) {}
    bool open(const transport::SerialSettings& settings) override { return inner_.open(settings); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    bool reopen() override { return inner_.reopen(); }
    bool write(const std::string& bytes) override { return inner_.write(bytes); }
    transport::ReadResult readChar(int silenceMs) override { return inner_.readChar(silenceMs); }
    std::size_t discardInput() override { return inner_.discardInput(); }
    std::string errorText() const override { return inner_.errorText(); }

private:
    ScriptedSerialLink& inner_;
};

TEST_F(WindowPortTest, ExchangesGoOverTheWindowsOwnPortAndItClosesWithTheWindow) {
    ScriptedSerialLink own;
    own.responder = [](const std::string&) { return std::string("OK\r"); };
    session::WindowServices shared = services();
    shared.makeSerialLink = [&own] { return std::make_unique<ForwardingLink>(own); };
    {
        session::WindowPort window(shared);
        window.OpenWindowPort();
        std::string reply;
        EXPECT_TRUE(window.channel().send("EDIO=1", reply));
        EXPECT_EQ(reply, "OK");
        EXPECT_EQ(own.writes, (std::vector<std::string>{"@07EDIO=1\r"}));
        EXPECT_TRUE(own.isOpen());
    }
    EXPECT_FALSE(own.isOpen());
    EXPECT_EQ(own.closes, 1);
}

TEST_F(WindowPortTest, ALoanClosesThePortAndTheEndOfTheLoanReopensIt) {
    session::WindowPort window(services());
    window.OpenWindowPort();
    {
        session::PortLoan loan(window);
        EXPECT_FALSE(port->isOpen());
        EXPECT_EQ(port->closes, 1);
    }
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->reopens, 1);
}

TEST_F(WindowPortTest, APortThatCannotBeOpenedIsReportedOnceAndNothingIsSent) {
    portOpens = false;
    session::WindowPort window(services());
    window.OpenWindowPort();
    EXPECT_FALSE(state.LinkOpen);
    std::string reply = "kept";
    window.channel().exchange("PX", reply);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(reply, "kept");
    EXPECT_EQ(ui.messages(), (Messages{"Communication Error! Cannot open the port."}));
}

TEST_F(WindowPortTest, AWindowWithItsOwnLinkFlagFailsWithoutClearingTheSharedOne) {
    session::WindowPort window(services(), transport::TransportPolicy::window(),
                               session::LinkFlag::OwnCopy);
    window.OpenWindowPort();
    port->responder = nullptr; // the controller goes silent
    window.state().DeviceName = "03";
    EXPECT_FALSE(window.channel().send("SASTAT0"));
    EXPECT_EQ(port->writes, (std::vector<std::string>{"@03SASTAT0\r"}));
    EXPECT_FALSE(window.state().LinkOpen);
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_EQ(state.DeviceName, "07");
    EXPECT_EQ(ui.messages(), (Messages{"No Reply to Command: SASTAT0", "Communication Error!"}));
}

} // namespace
