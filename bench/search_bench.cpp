// The serial search as the user runs it: "Search" in the connection window, the search window
// stepping through the ports, rates and IDs, to the message. Timed against controller-sim with
// wire time on the only port (at 115200 baud, ID 09: the last rate and the last ID the search
// tries), and against ports with nobody on them. Beside each, the same search run step after
// step with no window and no timer: the sum of its exchanges and its listening.
//
//   search_bench [empty ports]   (default 15; controller-sim is looked for beside the build)

#include "bench_support.h"
#include "motiondesk/connection/comm_type_window.h"
#include "motiondesk/connection/serial_search.h"
#include "motiondesk/session/window_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <pty.h>
#include <unistd.h>
#include <vector>

namespace {

// COM numbers that are assigned but lead nowhere: the search cannot open them.
void unplugOtherPorts(const QString& exe, int from) {
    for (int port = from; port <= 15; ++port)
        QFile::link("/nonexistent/adapter", exe + QString("/ports/COM%1").arg(port));
}

struct Timed {
    double windowMs = 0;
    double bareMs = 0;
    bool found = false;
};

// The search through the connection window's "Search" button, and run bare.
Timed timeSearch(bench_support::SerialWorld& world, const std::string& expected) {
    Timed timed;
    world.ui.expected = expected;
    const int before = world.ui.messages;
    {
        connection::CommTypeWindow window(world.services);
        QElapsedTimer clock;
        clock.start();
        window.findChild<QAbstractButton*>("SearchQW")->click();
        timed.windowMs = clock.nsecsElapsed() / 1e6;
    }
    timed.found = world.ui.messages == before;
    auto port = world.services.makeSerialLink();
    connection::SerialSearch search(*port, world.ui, world.services.timings.searchEmptyReadMs);
    QElapsedTimer clock;
    clock.start();
    while (search.tick()) {
    }
    timed.bareMs = clock.nsecsElapsed() / 1e6;
    return timed;
}

void report(const char* what, const Timed& timed) {
    std::printf("  %-44s %8.0f ms; run bare %8.0f ms: %.2fx (aim: at most 1.1x)%s\n", what,
                timed.windowMs, timed.bareMs, timed.windowMs / timed.bareMs,
                timed.found ? "" : "  (not as expected)");
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int emptyPorts = argc > 1 ? std::max(1, std::min(15, std::atoi(argv[1]))) : 15;
    std::printf("Search, from the click to the message\n");
    {
        QTemporaryDir folder;
        QProcess sim;
        if (!bench_support::startSimulator(sim, folder.path(), 115200, true,
                                           {"--id", "09", "--state", "DN=KTR09"})) {
            std::fprintf(stderr, "controller-sim did not start\n");
            return 1;
        }
        unplugOtherPorts(folder.path(), 2);
        bench_support::SerialWorld world(folder.path().toStdString(), 9600);
        report("a controller at 115200 baud, ID 09, on COM1",
               timeSearch(world, "KT-210 Found on Port:1 Baud:115200 ID:09"));
        sim.terminate();
        sim.waitForFinished(5000);
    }
    {
        QTemporaryDir folder;
        QDir(folder.path()).mkpath("ports");
        std::vector<int> masters;
        for (int port = 1; port <= emptyPorts; ++port) {
            int master = -1, terminal = -1;
            if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) return 1;
            masters.push_back(master);
            QFile::link(QString::fromLocal8Bit(ttyname(terminal)),
                        folder.path() + QString("/ports/COM%1").arg(port));
            ::close(terminal);
        }
        unplugOtherPorts(folder.path(), emptyPorts + 1);
        bench_support::SerialWorld world(folder.path().toStdString(), 9600);
        char what[64];
        std::snprintf(what, sizeof what, "%d ports with nobody on them", emptyPorts);
        report(what, timeSearch(world, "Device not found!  Please check wiring and power inputs"));
        for (int master : masters)
            ::close(master);
    }
    return 0;
}
