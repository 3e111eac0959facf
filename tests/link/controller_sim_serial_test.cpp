// The transport against the real controller-sim over a pseudo-terminal: the serial-port control,
// the framing and every failure, end to end.

#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "pseudo_terminal.h"
#include "recording_clock.h"
#include "scripted_ui.h"
#include "sim_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::SimProcess;
using transport::CommandTransport;
using transport::TransportPolicy;

constexpr int Port = 5;

// A controller-sim on a pseudo-terminal, reachable as COM5 from a private EXE folder.
class SimLine {
public:
    explicit SimLine(QStringList options)
        : sim(QStringList{"--pty", "{dir}/line", "--log", "{dir}/commands.log"} + options) {}

    bool start() {
        if (!sim.start() || !exeFolder.isValid()) return false;
        const QString ports = exeFolder.filePath("ports");
        return QDir().mkpath(ports) &&
               QFile::link(sim.path("line"), ports + "/COM" + QString::number(Port));
    }
    QStringList log() const { return SimProcess::readLog(sim.path("commands.log")); }

    SimProcess sim;
    QTemporaryDir exeFolder;
};

// The silence that ends a reply, widened from Motiondesk's 101 ms: a simulator in another
// process may be kept waiting that long by a busy machine, and a reply that merely came late would
// pass for a time-out. The faults below are scaled to it.
constexpr int kSilenceMs = 500;

TransportPolicy widened(TransportPolicy policy) {
    policy.silenceMs = kSilenceMs;
    return policy;
}

class SimSerial : public ::testing::Test {
protected:
    static void SetUpTestSuite() { transport_testing::ensureApplication(); }

    // Starts the simulator and opens the port as Motiondesk's main window does.
    void connect(QStringList options, const std::string& baudRate = "9600") {
        line = std::make_unique<SimLine>(options);
        ASSERT_TRUE(line->start()) << line->sim.errorText().toStdString();
        port = std::make_unique<transport::SerialPortLink>(line->exeFolder.path().toStdString());
        state.LinkType = transport::LinkSerial;
        state.SerialPort = Port;
        state.BaudRate = baudRate;
        state.DeviceName = "01";
        motiondesk = std::make_unique<CommandTransport>(
            state, widened(TransportPolicy::motiondesk()), port.get(), nullptr, &ui, clock);
        ASSERT_TRUE(motiondesk->OpenSerialPort()) << motiondesk->LastErrorText;
        state.LinkOpen = true;
    }
    CommandTransport terminal() {
        return CommandTransport(state, widened(TransportPolicy::terminal()), port.get(), nullptr,
                                &ui, clock);
    }

    std::unique_ptr<SimLine> line;
    std::unique_ptr<transport::SerialPortLink> port;
    transport::ConnectionState state;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    std::unique_ptr<CommandTransport> motiondesk;
    std::string reply;
};

TEST_F(SimSerial, ExchangesCommandsWithController) {
    connect({"--firmware", "231", "--state", "PX=-250"});

    EXPECT_EQ(motiondesk->SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "-250");
    EXPECT_EQ(motiondesk->SendCommand("VER", reply), 0);
    EXPECT_EQ(reply, "V231");
    EXPECT_EQ(motiondesk->SendCommand("HSPD=5000", reply), 0);
    EXPECT_EQ(reply, "OK");
    EXPECT_THAT(ui.messages(), IsEmpty());
    EXPECT_EQ(line->log(), (QStringList{"pty 01 PX", "pty 01 VER", "pty 01 HSPD=5000"}));
}

TEST_F(SimSerial, AddressesOneControllerOnASharedLine) {
    connect({"--id", "01,02,07"});
    state.DeviceName = "07";

    EXPECT_EQ(motiondesk->SendCommand("DN", reply), 0);
    EXPECT_EQ(reply, "KTR07");
    EXPECT_EQ(line->log(), QStringList{"pty 07 DN"});
}

TEST_F(SimSerial, PrefixedRepliesAreCleanedExceptInTerminal) {
    connect({"--state", "RT=1", "--state", "PX=42"});
    auto raw = terminal();

    EXPECT_EQ(motiondesk->SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "42");
    EXPECT_EQ(raw.SendCommand("PX", reply), 0);
    EXPECT_EQ(reply, "#0142");
}

TEST_F(SimSerial, BroadcastIsQuietInTerminal) {
    connect({"--id", "01,02"});
    state.DeviceName = "00";
    auto raw = terminal();

    EXPECT_EQ(raw.SendCommand("ABORT", reply), 0);
    EXPECT_EQ(reply, "");
    EXPECT_TRUE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), IsEmpty());
}

TEST_F(SimSerial, LineAtAnotherBaudRateTimesOut) {
    connect({"--baud", "19200"}, "9600");

    EXPECT_EQ(motiondesk->SendCommand("PX", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    EXPECT_THAT(ui.messages(), ElementsAre("No Reply to Command: PX"));
}

TEST_F(SimSerial, ControllerAtLineBaudRateAnswers) {
    connect({"--baud", "115200"}, "115200");

    EXPECT_EQ(motiondesk->SendCommand("VER", reply), 0);
    EXPECT_EQ(reply, "V223");
}

TEST_F(SimSerial, UnpluggedAdapterIsCommunicationError) {
    connect({"--fault", "disconnect:1"});
    ASSERT_EQ(motiondesk->SendCommand("PX", reply), 0);

    EXPECT_EQ(motiondesk->SendCommand("PX", reply), -1);
    EXPECT_FALSE(state.LinkOpen);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_THAT(ui.messages()[0], testing::StartsWith("Communication Error! "));
}

struct FaultCase {
    const char* name;
    const char* fault;
    const char* command;
    int16_t status;
    std::vector<std::string> messages;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.fault << " " << c.command;
}

class SimFault : public SimSerial, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SimFault, EndsWithTheDocumentedResult) {
    const FaultCase& c = GetParam();
    connect({"--fault", c.fault, "--state", "SASTAT0=1"});

    EXPECT_EQ(motiondesk->SendCommand(c.command, reply), c.status);
    EXPECT_EQ(ui.messages(), c.messages);
    EXPECT_EQ(state.LinkOpen, c.status >= 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimFault,
    ::testing::Values(FaultCase{"NoReply", "no-reply", "PX", -1, {"No Reply to Command: PX"}},
                      FaultCase{"BareCr", "bare-cr", "PX", -1, {"No Response!"}},
                      FaultCase{"BareCrToSaCommand", "bare-cr", "SASTAT0", 0, {}},
                      FaultCase{"SlowWithinSilence", "slow:40", "PX", 0, {}},
                      FaultCase{
                          "SlowerThanSilence", "slow:800", "PX", -1, {"No Reply to Command: PX"}},
                      FaultCase{"Garbage", "garbage", "PX", 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
