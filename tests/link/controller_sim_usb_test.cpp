// The transport through the USB stand-in libZentorCom.so to controllers that controller-sim
// publishes as USB devices.

#include "link/command_transport.h"
#include "link/usb_library_loader.h"
#include "pseudo_terminal.h"
#include "recording_clock.h"
#include "scripted_ui.h"
#include "sim_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing_support::SimProcess;
using transport::CommandTransport;
using transport::TransportPolicy;

class SimUsb : public ::testing::Test {
protected:
    static void SetUpTestSuite() { transport_testing::ensureApplication(); }

    // Starts the simulator, then opens device 0 as the connection window does.
    void connect(QStringList options, int readTimeoutMs = 5000) {
        sim = std::make_unique<SimProcess>(QStringList{"--usb", "{dir}/usb"} + options);
        ASSERT_TRUE(sim->start()) << sim->errorText().toStdString();
        qputenv("ZENTORCOM_DIR", sim->path("usb").toLocal8Bit());
        state.LinkType = transport::LinkUsb;
        int32_t count = 0;
        ASSERT_EQ(usb.GetNumDevices(count), 1) << usb.loadError();
        ASSERT_GE(count, 1);
        usb.SetTimeouts(readTimeoutMs, readTimeoutMs);
        ASSERT_EQ(usb.Open(0, state.UsbHandle), 1);
        usb.Flush(state.UsbHandle);
        state.LinkOpen = true;
    }
    std::string product(int index) {
        uint8_t buffer[257] = {};
        usb.GetProductString(index, buffer, 0);
        return transport::BytesToText(buffer, sizeof buffer);
    }

    std::unique_ptr<SimProcess> sim;
    transport::LoadedUsbLibrary usb{{SUITE_EXE_DIR}};
    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    std::string reply;
};

TEST_F(SimUsb, ExchangesCommandsInBlocks) {
    connect({"--model", "KT-210", "--id", "04", "--state", "PX=77"});
    CommandTransport motiondesk(state, TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock);

    EXPECT_THAT(product(0), testing::HasSubstr("KTR04"));
    EXPECT_EQ(motiondesk.SendCommand("PX", reply), 1);
    EXPECT_EQ(reply, "77");
    EXPECT_EQ(state.UsbResult, 1);
    EXPECT_EQ(motiondesk.SendCommand("SA0=" + std::string(60, '1'), reply), 1);
    EXPECT_EQ(motiondesk.SendCommand("SA0=" + std::string(61, '1'), reply), -1);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(usb.Close(state.UsbHandle), 1);
}

TEST_F(SimUsb, SilentDeviceEndsMotiondeskButNotTerminal) {
    connect({"--fault", "no-reply"}, 300);
    CommandTransport raw(state, TransportPolicy::terminal(), nullptr, &usb, &ui, clock);
    CommandTransport motiondesk(state, TransportPolicy::motiondesk(), nullptr, &usb, &ui, clock);

    EXPECT_EQ(raw.SendCommand("PX", reply), 1);
    EXPECT_EQ(reply, "");
    EXPECT_TRUE(ui.messages().empty());

    EXPECT_EQ(motiondesk.SendCommand("PX", reply), -1);
    EXPECT_THAT(ui.messages(), ElementsAre("Error communication.  Closing application..."));
    EXPECT_EQ(ui.quitRequests, 1);
    // The device was released: another program may open it again.
    int32_t handle = 0;
    EXPECT_EQ(usb.Open(0, handle), 1);
}

} // namespace
