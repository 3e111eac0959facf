// The variables window's refresh and the multi-thread window's tick against controller-sim on a
// pseudo-terminal with wire time at 9600 and 115200 baud, each set against what its characters
// need on the wire: a full cycle of V1..V100, and multi-thread ticks per second (four exchanges
// each). The windows run on their own timers, as a user has them.
//
//   windows_bench [runs [seconds per run]]   (default 3 runs of 2 s; the median is shown)

#include "bench_support.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/windows/multi_thread_window.h"
#include "motiondesk/windows/variables_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

struct Run {
    bool ok = false;
    double seconds = 0;
    long long frames = 0;
    long long characters = 0;
};

// One window on the simulator for `seconds`, counting what its own port carries.
template <typename Window> Run measure(int baud, double seconds) {
    QTemporaryDir folder;
    QProcess sim;
    Run run;
    if (!bench_support::startSimulator(sim, folder.path(), baud, true)) return run;
    bench_support::SerialWorld world(folder.path().toStdString(), baud);
    world.state.LinkOpen = true;
    {
        Window window(world.services);
        if constexpr (std::is_same_v<Window, windows::MultiThreadWindow>) {
            window.setComStatus(true);
            window.setComAddress("01");
            window.setComPortNumber(1);
            window.setBaudrate(world.state.BaudRate);
            window.load();
        }
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit); // the first exchanges settle
        loop.exec();
        if (world.linkMade) {
            const long long frames = world.count.frames, characters = world.count.characters;
            QElapsedTimer timer;
            timer.start();
            QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
            loop.exec();
            run.seconds = timer.elapsed() / 1000.0;
            run.frames = world.count.frames - frames;
            run.characters = world.count.characters - characters;
            run.ok = world.ui.messages == 0 && run.frames > 0;
        }
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return run;
}

// exchanges: how many make one unit (a cycle of 100 variables, a tick of four queries).
void report(const char* what, int baud, const std::vector<Run>& runs, int exchanges) {
    std::vector<double> units, limits;
    for (const Run& run : runs) {
        if (!run.ok) {
            std::printf("%-22s %6d baud  failed\n", what, baud);
            return;
        }
        const double perSecond = run.frames / double(exchanges) / run.seconds;
        const double charactersPerUnit = double(run.characters) / run.frames * exchanges;
        units.push_back(perSecond);
        limits.push_back(baud / 10.0 / charactersPerUnit);
    }
    const double measured = bench_support::median(units);
    const double limit = bench_support::median(limits);
    if (exchanges == 100)
        std::printf("%-22s %6d baud  a full cycle in %7.1f ms, the line allows %7.1f ms: %5.1f%%\n",
                    what, baud, 1000.0 / measured, 1000.0 / limit, 100.0 * measured / limit);
    else
        std::printf("%-22s %6d baud  %7.1f ticks/s, the line allows %7.1f: %5.1f%%\n", what, baud,
                    measured, limit, 100.0 * measured / limit);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const auto [repeats, seconds] = bench_support::repeatsFrom(argc, argv, 3, 2.0);
    if (bench_support::besideBuild("controller-sim").isEmpty()) {
        std::fprintf(stderr, "controller-sim not found\n");
        return 1;
    }
    std::printf("windows against controller-sim with wire time: median of %d runs of %.1f s\n",
                repeats, seconds);
    for (const int baud : {9600, 115200}) {
        std::vector<Run> variables, threads;
        for (int i = 0; i < repeats; ++i) {
            variables.push_back(measure<windows::VariablesWindow>(baud, seconds));
            threads.push_back(measure<windows::MultiThreadWindow>(baud, seconds));
        }
        report("variables refresh", baud, variables, 100);
        report("multi-thread tick", baud, threads, 4);
    }
    return 0;
}
