// The plot's cost to the poll, as the user runs it: the main window's poll in the event loop
// against controller-sim with wire time at 115200 baud, with the plot open and recording and
// without it, side by side (characters on the line per second: the poll's rate). Then what one
// frame costs the user-interface thread with ten minutes of history shown: one cycle's samples
// added and the picture drawn again.
//
//   plot_bench [runs [seconds per run]]   (default 3 runs of 3 s each way)

#include "bench_support.h"
#include "motiondesk/main/main_panel.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/main/plot_sample.h"
#include "motiondesk/plot/plot_window.h"
#include "motiondesk/session/window_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Characters per second the poll puts on the line (commands and replies).
double pollRate(bool withPlot, double seconds) {
    QTemporaryDir folder;
    QProcess sim;
    if (!bench_support::startSimulator(sim, folder.path(), 115200, true)) return -1;
    bench_support::SerialWorld world(folder.path().toStdString(), 115200);
    double rate = -1;
    {
        mainwindow::MainWindow window(world.services);
        window.show();
        if (withPlot) {
            window.findChild<QPushButton*>("PlotButton")->click();
            auto* plot = window.findChild<plot::PlotWindow*>("MotionPlot");
            if (!plot || plot->record((folder.path() + "/poll.csv").toStdString())) return -1;
        }
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
        world.count.characters = 0;
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        rate = double(world.count.characters) / (clock.nsecsElapsed() / 1e9);
        if (!world.state.LinkOpen) rate = -1;
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return rate;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const auto [runs, seconds] = bench_support::repeatsFrom(argc, argv, 3, 3.0);

    std::vector<double> without, with;
    for (int i = 0; i < runs; ++i) {
        without.push_back(pollRate(false, seconds));
        with.push_back(pollRate(true, seconds));
    }
    const double plain = bench_support::median(without), plotted = bench_support::median(with);
    std::printf("poll at 115200 baud with wire time, median of %d runs of %.1f s:\n", runs,
                seconds);
    std::printf("  without the plot       %8.0f characters/s\n", plain);
    std::printf("  plot open, recording   %8.0f characters/s: %.1f%% (aim: at least 98%%)\n",
                plotted, 100.0 * plotted / plain);

    // Ten minutes at a hundred cycles a second, then frames of one more cycle each.
    bench_support::PrintingUi ui;
    plot::PlotWindow window(ui);
    window.resize(1200, 800);
    window.show();
    window.setTimeWindow(2);
    mainwindow::MainPanel panel;
    long long ms = 0;
    for (; ms < 600'000; ms += 10) {
        panel.Pos = std::to_string(ms % 20000);
        panel.Speed = std::to_string((ms / 7) % 5000);
        window.addSample(mainwindow::plotSample(panel, ms));
    }
    std::vector<double> frames, drawn;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < 3; ++k, ms += 10) { // a 30th of a second at 100 cycles/s
            panel.Pos = std::to_string(ms % 20000);
            window.addSample(mainwindow::plotSample(panel, ms));
        }
        window.redraw();
        drawn.push_back(clock.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents(); // the repaint
        frames.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf("one frame drawn with 10 min of history (%zu samples) shown: median %.2f ms, "
                "worst %.2f ms\n",
                window.history().size(), bench_support::median(frames),
                *std::max_element(frames.begin(), frames.end()));
    std::printf("  of which the samples and the series: median %.2f ms; the repaint the rest\n",
                bench_support::median(drawn));

    // As the frame timer runs it: a frame is drawn when the newest samples reach the next pixel.
    std::vector<double> ticks;
    for (int i = 0; i < 600; ++i) {
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < 3; ++k, ms += 10) {
            panel.Pos = std::to_string(ms % 20000);
            window.addSample(mainwindow::plotSample(panel, ms));
        }
        window.frameTick();
        QCoreApplication::processEvents();
        ticks.push_back(clock.nsecsElapsed() / 1e6);
    }
    double total = 0;
    for (double t : ticks)
        total += t;
    std::printf("one frame as the frame timer runs it (20 s of frames, 10 min shown): mean "
                "%.2f ms, worst %.2f ms (aim: under 1 ms)\n",
                total / double(ticks.size()), *std::max_element(ticks.begin(), ticks.end()));
    return 0;
}
