// Opening, releasing and taking back the serial port with the shared settings.

#include "link/command_transport.h"
#include "recording_clock.h"
#include "scripted_serial_link.h"
#include "scripted_ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using transport::CommandTransport;
using transport::TransportPolicy;

class SerialPortHandling : public ::testing::Test {
protected:
    transport::ConnectionState state;
    testing_support::ScriptedSerialLink link;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    CommandTransport transport{state, TransportPolicy::motiondesk(), &link, nullptr, &ui, clock};
};

TEST_F(SerialPortHandling, OpensPortNumberWithBaudRateAndFraming) {
    state.SerialPort = 4;
    state.BaudRate = "38400";

    EXPECT_TRUE(transport.OpenSerialPort());
    EXPECT_THAT(link.opens, ElementsAre(std::pair(4, std::string("38400,N,8,1"))));
    EXPECT_TRUE(link.isOpen());
    EXPECT_FALSE(state.LinkOpen);
}

TEST_F(SerialPortHandling, FailedOpenIsReportedToCallerNotUser) {
    link.openSucceeds = false;
    link.openFailure = "Cannot open COM4 (/dev/ttyS3): No such file or directory";

    EXPECT_FALSE(transport.OpenSerialPort());
    EXPECT_EQ(transport.LastErrorText, link.openFailure);
    EXPECT_TRUE(ui.messages().empty());

    state.BaudRate = "fast";
    EXPECT_FALSE(transport.OpenSerialPort());
    EXPECT_EQ(transport.LastErrorText, "Invalid port settings \"fast,N,8,1\".");
    EXPECT_EQ(link.opens.size(), 1u) << "a baud rate that is no number never reaches the port";
}

TEST_F(SerialPortHandling, ReleasesAndTakesBackOnlyAnOpenSerialLink) {
    struct Case {
        bool linkOpen;
        int16_t linkType;
        bool acts;
    };
    const Case cases[] = {
        {true, transport::LinkSerial, true},
        {false, transport::LinkSerial, false},
        {true, transport::LinkUsb, false},
    };
    for (const Case& c : cases) {
        testing_support::ScriptedSerialLink port;
        port.open({1, 9600});
        transport.setSerialLink(&port);
        state.LinkOpen = c.linkOpen;
        state.LinkType = c.linkType;

        transport.CloseSerialPort();
        EXPECT_EQ(port.isOpen(), !c.acts);
        port.close();
        EXPECT_TRUE(transport.ReopenSerialPort());
        EXPECT_EQ(port.isOpen(), c.acts);
        EXPECT_EQ(port.reopens, c.acts ? 1 : 0);
    }
}

TEST_F(SerialPortHandling, FailedReopenIsReportedAndNextExchangeFails) {
    state.LinkOpen = true;
    link.openSucceeds = false;
    link.openFailure = "Port is busy";

    EXPECT_FALSE(transport.ReopenSerialPort());
    EXPECT_EQ(transport.LastErrorText, "Port is busy");

    std::string reply;
    EXPECT_EQ(transport.SendCommand("PX", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("Communication Error! The serial port is not open."));
}

} // namespace
