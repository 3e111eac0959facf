// The serial search goes through the COM numbers as assigned: a controller behind an adapter
// given COM1 by its stable name is found there, on the real serial-port control.

#include "motiondesk/transport/serial_port_link.h"
#include "motiondesk/windows/port_assignment.h"
#include "motiondesk/windows/serial_search.h"
#include "support/scripted_ui.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace {

std::string realPath(const QString& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.toLocal8Bit().constData(), resolved) ? resolved : "";
}

TEST(AssignedPortSearch, FindsTheControllerOnTheComNumberItsAdapterWasGiven) {
    int argc = 1;
    char name[] = "assigned_port_search";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    testing_support::SimProcess sim(
        {"--pty", "{dir}/by-id/usb-Zentor_KT210_0001-if00", "--id", "02", "--baud", "19200"});
    ASSERT_TRUE(QDir().mkpath(sim.path("by-id")));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    QTemporaryDir exe;
    const connection::PortAssignment assignment(exe.path().toStdString(),
                                                sim.path("by-id").toStdString());
    const std::string device = realPath(sim.path("by-id/usb-Zentor_KT210_0001-if00"));
    ASSERT_EQ(assignment.assign(1, device).failure, "");

    transport::SerialPortLink port(exe.path().toStdString());
    testing_support::ScriptedUi ui;
    connection::SerialSearch search(port, ui);
    while (search.tick()) {
    }

    EXPECT_TRUE(search.SearchResult);
    EXPECT_EQ(search.PortNumber, 1);
    EXPECT_EQ(search.FoundBaud, "19200");
    EXPECT_EQ(search.FoundID, "02");
}

} // namespace
