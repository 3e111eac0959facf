// How fast the main window's status poll runs against controller-sim on a pseudo-terminal, and
// how close that comes to what the serial line allows. Each run prints the ticks per second the
// poll achieved and the limit of the line: its characters per second (10 bits per character)
// divided by the characters one tick puts on the wire, commands and replies together.
// With wire time, the same commands are then sent again with plain system calls, as fast as the
// simulator answers them: the share of the limit that reaches is the simulator's pacing, what
// the poll loses beyond it is ours.
//
//   status_poll_bench [runs [seconds per run]]   (default 3 runs of 2 s; the median is shown)
//
// controller-sim is looked for beside the benchmark and up to two folders above it.

#include "bench_support.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "link/connection_state.h"
#include "link/serial_port_link.h"
#include "link/usb_library.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/user_interface.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using bench_support::startSimulator;

struct RunResult {
    bool ok = false;
    long long ticks = 0;
    long long characters = 0;
    double seconds = 0;
    std::vector<std::string> frames; // the commands of one tick, as written
};

// The frames of one tick, over and over, with plain system calls: each is written and its reply
// read up to the carriage return.
RunResult measureBare(int baud, double seconds, const std::vector<std::string>& frames) {
    QTemporaryDir folder;
    QProcess sim;
    RunResult result;
    if (frames.empty() || !startSimulator(sim, folder.path(), baud, true)) return result;
    const int port = bench_support::openRawPort(folder.path() + "/ports/COM1", baud);
    if (port >= 0) {
        result.ok = true;
        QElapsedTimer timer;
        timer.start();
        while (result.ok && timer.elapsed() < seconds * 1000) {
            result.ok = bench_support::sendFramesPlain(port, frames, result.characters);
            ++result.ticks;
        }
        result.seconds = timer.elapsed() / 1000.0;
        ::close(port);
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return result;
}

RunResult measure(int baud, bool wireTime, double seconds) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    QProcess sim;
    RunResult result;
    if (!startSimulator(sim, folder.path(), baud, wireTime)) {
        std::fprintf(stderr, "controller-sim did not start: %s\n",
                     sim.readAllStandardError().constData());
        return result;
    }

    bench_support::SerialWorld world(folder.path().toStdString(), baud);
    const transport::ConnectionState& state = world.state;
    bench_support::LineCount& count = world.count;
    {
        mainwindow::MainWindow window(world.services);
        if (state.LinkOpen && world.linkMade) {
            count.characters = 0;
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < seconds * 1000 && state.LinkOpen) {
                window.pollTick();
                ++result.ticks;
            }
            result.seconds = timer.elapsed() / 1000.0;
            result.characters = count.characters;
            result.ok = state.LinkOpen && world.ui.messages == 0;
            // One more tick of the first phase, recorded for the plain comparison.
            while (state.LinkOpen && window.statusPhase() != 1)
                window.pollTick();
            count.recording = true;
            count.recorded.clear();
            window.pollTick();
            result.frames = count.recorded;
        } else {
            std::fprintf(stderr, "the main window did not connect\n");
        }
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return result;
}

struct Summary {
    bool ok = true;
    double ticksPerSecond = 0; // median of the runs
    double charactersPerTick = 0;
};

// The median run by ticks per second; any failed run fails the summary.
Summary summarise(std::vector<RunResult> runs) {
    Summary summary;
    std::vector<std::pair<double, double>> rates;
    for (const RunResult& run : runs) {
        if (!run.ok || run.ticks == 0)
            summary.ok = false;
        else
            rates.emplace_back(run.ticks / run.seconds, double(run.characters) / run.ticks);
    }
    if (!summary.ok || rates.empty()) return {false, 0, 0};
    std::sort(rates.begin(), rates.end());
    std::tie(summary.ticksPerSecond, summary.charactersPerTick) = rates[rates.size() / 2];
    return summary;
}

void report(int baud, bool wireTime, const Summary& run, const char* who = "") {
    const char* pacing = wireTime ? "wire time" : "no wire time";
    if (!run.ok) {
        std::printf("%6d baud %-13s  failed\n", baud, pacing);
        return;
    }
    std::printf("%6d baud %-13s  %8.1f ticks/s", baud, pacing, run.ticksPerSecond);
    if (*who) std::printf(" %s", who);
    if (wireTime) {
        const double limit = baud / 10.0 / run.charactersPerTick;
        std::printf("  limit %8.1f ticks/s  %5.1f%% of the limit", limit,
                    100.0 * run.ticksPerSecond / limit);
    }
    std::printf("  (%.1f characters per tick)\n", run.charactersPerTick);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const auto [repeats, seconds] = bench_support::repeatsFrom(argc, argv, 3, 2.0);
    if (bench_support::besideBuild("controller-sim").isEmpty()) {
        std::fprintf(stderr, "controller-sim not found near %s\n",
                     qPrintable(QCoreApplication::applicationDirPath()));
        return 1;
    }
    std::printf("status poll against controller-sim: median of %d runs of %.1f s each\n", repeats,
                seconds);
    bool allOk = true;
    const struct {
        int baud;
        bool wireTime;
    } runs[] = {{9600, true}, {115200, true}, {115200, false}};
    for (const auto& run : runs) {
        std::vector<RunResult> results;
        for (int i = 0; i < repeats; ++i)
            results.push_back(measure(run.baud, run.wireTime, seconds));
        const Summary summary = summarise(results);
        report(run.baud, run.wireTime, summary, "(the poll)");
        allOk = allOk && summary.ok;
        if (!run.wireTime || results.empty()) continue;
        std::vector<RunResult> bare;
        for (int i = 0; i < repeats; ++i)
            bare.push_back(measureBare(run.baud, seconds, results.front().frames));
        const Summary line = summarise(bare);
        report(run.baud, run.wireTime, line, "(plain calls)");
        allOk = allOk && line.ok;
    }
    return allOk ? 0 : 1;
}
