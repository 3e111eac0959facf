// The serial port handed from the main window to "LMC-7 Setup", from there to "DIO Control" and
// back, against the real controller-sim on its pseudo-terminal, with the main window's poll
// timer running. A pseudo-terminal may be opened twice, so every port the windows make is
// counted: at no time may two of them be open, and a write may only come from the one that is.
// The simulator's own log shows what reached the controller: while the set-up windows have the
// port, nothing of the main window's poll.

#include "link/command_transport.h"
#include "link/serial_port_link.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/session/window_services.h"
#include "support/modal_helpers.h"
#include "support/recording_clock.h"
#include "support/scripted_ui.h"
#include "support/scripted_usb_library.h"
#include "support/sim_process.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using testing_support::SimProcess;

// What the windows' ports did, in order: "open <port>", "close <port>", "<port> <command>".
struct PortRecord {
    std::vector<std::string> events;
    int openNow = 0;
    int mostOpenAtOnce = 0;
    int writesFromAClosedOrSecondPort = 0;
};

class CountedPort final : public transport::SerialLink {
public:
    CountedPort(PortRecord& record, int number, std::string exeFolder)
        : record_(record), number_(std::to_string(number)), real_(std::move(exeFolder)) {}
    ~CountedPort() override { close(); }

    bool open(const transport::SerialSettings& settings) override {
        return opened(real_.open(settings));
    }
    bool reopen() override { return opened(real_.reopen()); }
    void close() override {
        if (!real_.isOpen()) return;
        real_.close();
        --record_.openNow;
        record_.events.push_back("close " + number_);
    }
    bool isOpen() const override { return real_.isOpen(); }
    bool write(const std::string& bytes) override {
        if (!real_.isOpen() || record_.openNow != 1) ++record_.writesFromAClosedOrSecondPort;
        // "@01" + command + CR
        record_.events.push_back(number_ + " " + bytes.substr(3, bytes.size() - 4));
        return real_.write(bytes);
    }
    transport::ReadResult readChar(int silenceMs) override { return real_.readChar(silenceMs); }
    std::size_t discardInput() override { return real_.discardInput(); }
    std::string errorText() const override { return real_.errorText(); }

private:
    bool opened(bool ok) {
        if (!ok) return false;
        ++record_.openNow;
        record_.mostOpenAtOnce = std::max(record_.mostOpenAtOnce, record_.openNow);
        record_.events.push_back("open " + number_);
        return true;
    }

    PortRecord& record_;
    std::string number_;
    transport::SerialPortLink real_;
};

// The upload of "LMC-7 Setup" for firmware 223, then that of "DIO Control".
std::vector<std::string> setupWindowsCommands() {
    std::vector<std::string> commands = {"TOC",  "IERR", "DOBOOT", "IERR",  "SLOAD", "DB",   "SL",
                                         "SLT",  "SLE",  "SLA",    "SLR",   "DN",    "POL",  "JV1",
                                         "JV3",  "JV5",  "JL1",    "JL2",   "JL3",   "JL4",  "JS",
                                         "EDIO", "RT",   "DRVMS",  "DRVRC", "DRVIC", "DRVIT"};
    for (const char row : std::string("0123456789ABCDEF"))
        for (const char field : std::string("01234"))
            commands.push_back(std::string("MP") + row + field);
    return commands;
}

TEST(PortHandover, OnlyOneWindowHoldsThePortAndThePollWaitsWhileSetupIsOpen) {
    SimProcess sim({"--pty", "{dir}/ports/COM1", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(QDir(sim.folder()).mkpath("ports"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();

    transport::ConnectionState state;
    state.LinkType = transport::LinkSerial;
    testing_support::ScriptedUi ui;
    testing_support::RecordingClock clock;
    testing_support::ScriptedUsbLibrary usb;
    transport::CommandTransport transport(state, transport::TransportPolicy::motiondesk(), nullptr,
                                          &usb, &ui, clock);
    session::ProgramValues program;
    PortRecord record;
    int portsMade = 0;
    const std::string exeFolder = sim.folder().toStdString();
    session::WindowServices services{state,
                                     transport,
                                     ui,
                                     clock,
                                     usb,
                                     [&]() -> std::unique_ptr<transport::SerialLink> {
                                         return std::make_unique<CountedPort>(record, ++portsMade,
                                                                              exeFolder);
                                     },
                                     exeFolder,
                                     program};
    {
        mainwindow::MainWindow window(services);
        ASSERT_TRUE(state.LinkOpen);
        auto* program = window.findChild<QLabel*>("ProgStatus");
        auto* motion = window.findChild<QLabel*>("Stat");
        auto* stepLoop = window.findChild<QLabel*>("VerimoveStatus");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return program->text() == "Idle" && motion->text() == "IDLE" &&
                       stepLoop->text() == "NA";
            },
            10000));

        bool sawDio = false;
        testing_support::whenModalShown("Setup", [&](QWidget* setupWindow) {
            QTest::qWait(300); // the main window's poll timer keeps firing meanwhile
            testing_support::whenModalShown("DIO", [&](QWidget* dio) {
                sawDio = true;
                QTest::qWait(300);
                testing_support::click(dio, "CloseButton");
            });
            testing_support::click(setupWindow, "DIOSetup");
            QTest::qWait(300);
            testing_support::click(setupWindow, "CloseButton");
        });
        window.findChild<QAbstractButton*>("SetupButton")->click();
        EXPECT_TRUE(sawDio);
        QTest::qWait(300); // the poll goes on
    }
    ASSERT_TRUE(sim.stop());
    EXPECT_TRUE(ui.messages().empty());

    EXPECT_EQ(record.mostOpenAtOnce, 1);
    EXPECT_EQ(record.writesFromAClosedOrSecondPort, 0);
    EXPECT_EQ(portsMade, 3) << "the main window's, Setup's and DIO's";
    // The main window lets go before Setup opens, Setup before DIO, and so back.
    std::vector<std::string> handOvers;
    for (const std::string& event : record.events)
        if (event.starts_with("open") || event.starts_with("close")) handOvers.push_back(event);
    EXPECT_EQ(handOvers,
              (std::vector<std::string>{"open 1", "close 1", "open 2", "close 2", "open 3",
                                        "close 3", "open 2", "close 2", "open 1", "close 1"}));

    // On the controller's side: the set-up windows' commands came in one unbroken run, poll
    // commands before it and after it.
    QStringList received = SimProcess::readLog(sim.path("commands.log"));
    std::vector<std::string> commands;
    for (const QString& line : received) {
        ASSERT_TRUE(line.startsWith("pty 01 ")) << line.toStdString();
        commands.push_back(line.mid(7).toStdString());
    }
    const std::vector<std::string> setupRun = setupWindowsCommands();
    const auto start =
        std::search(commands.begin(), commands.end(), setupRun.begin(), setupRun.end());
    ASSERT_NE(start, commands.end()) << "the set-up windows' uploads in one piece";
    const std::set<std::string> pollCommands = {"MM",  "SASTAT", "SPC", "DX",  "PX",   "EX",  "PS",
                                                "MST", "SLS",    "SCV", "EO",  "SYNS", "AI1", "AI2",
                                                "DI",  "DO",     "LTS", "LTP", "LTE"};
    ASSERT_NE(start, commands.begin());
    EXPECT_TRUE(pollCommands.count(*(start - 1))) << *(start - 1);
    const auto after = start + long(setupRun.size());
    ASSERT_NE(after, commands.end()) << "the poll resumed";
    EXPECT_EQ(*after, "MM") << "with a tick from its start";
    std::vector<std::string> written;
    for (const std::string& event : record.events)
        if (!event.starts_with("open") && !event.starts_with("close"))
            written.push_back(event.substr(2));
    EXPECT_EQ(written, commands) << "nothing else reached the controller";
}

} // namespace
