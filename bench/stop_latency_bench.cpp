// How long a click of STOP takes to reach the wire while the status poll runs, against
// controller-sim with wire time: the main window shown, its Timer1 driving the poll, and a click
// arriving from outside at a random moment (as a mouse click does, while the window may be
// inside an exchange). Prints the median and the worst of the clicks, beside the longest single
// exchange of the poll: the aim is a stop within one exchange and 5 ms.
//
//   stop_latency_bench [clicks]   (default 100 at 9600 and at 115200 baud)
//
// controller-sim is looked for beside the benchmark and up to two folders above it.

#include "bench_support.h"
#include "motiondesk/main/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

struct Latencies {
    bool ok = false;
    std::vector<double> clickToStopMs;
    double longestExchangeMs = 0;
    double framesPerSecond = 0; // of the poll alone
};

Latencies measure(int baud, int clicks) {
    QTemporaryDir folder;
    QProcess sim;
    Latencies result;
    if (!bench_support::startSimulator(sim, folder.path(), baud, true)) {
        std::fprintf(stderr, "controller-sim did not start\n");
        return result;
    }
    bench_support::SerialWorld world(folder.path().toStdString(), baud);
    {
        mainwindow::MainWindow window(world.services);
        window.show();
        auto* stop = window.findChild<QAbstractButton*>("Command15");
        if (!world.state.LinkOpen || !stop) {
            std::fprintf(stderr, "the main window did not connect\n");
            return result;
        }
        QElapsedTimer clock;
        clock.start();
        std::atomic<qint64> clickedAt{-1};
        qint64 lastWrite = -1;
        world.count.onWrite = [&](const std::string& frame) {
            const qint64 now = clock.nsecsElapsed();
            if (lastWrite >= 0 && clickedAt < 0)
                result.longestExchangeMs =
                    std::max(result.longestExchangeMs, (now - lastWrite) / 1e6);
            lastWrite = now;
            if (clickedAt >= 0 && frame.find("STOP\r") != std::string::npos) {
                result.clickToStopMs.push_back((now - clickedAt) / 1e6);
                clickedAt = -1;
            }
        };
        // The poll's own pace first: frames a second with nobody clicking.
        world.count.frames = 0;
        QElapsedTimer paced;
        paced.start();
        while (paced.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        result.framesPerSecond = world.count.frames / (paced.elapsed() / 1000.0);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> pause(30.0, 250.0);
        for (int i = 0; i < clicks && world.state.LinkOpen; ++i) {
            // The click comes from outside the window's thread at a moment of its own, as the
            // system delivers a mouse click: most likely while the window is inside an exchange.
            const auto delay = std::chrono::microseconds(int(pause(random) * 1000));
            std::atomic<bool> posted{false};
            std::thread click([&] {
                std::this_thread::sleep_for(delay);
                clickedAt = clock.nsecsElapsed();
                QMetaObject::invokeMethod(stop, "click", Qt::QueuedConnection);
                posted = true;
            });
            QElapsedTimer waited;
            waited.start();
            while ((!posted || clickedAt >= 0) && waited.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            click.join();
            if (clickedAt >= 0) break;
        }
        world.count.onWrite = nullptr;
        result.ok = int(result.clickToStopMs.size()) == clicks && world.ui.messages == 0;
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    std::printf("STOP from click to wire while the poll runs (%d clicks, wire time)\n", clicks);
    for (int baud : {9600, 115200}) {
        const Latencies run = measure(baud, clicks);
        if (!run.ok) {
            std::printf("%6d baud  failed\n", baud);
            continue;
        }
        const double worst = *std::max_element(run.clickToStopMs.begin(), run.clickToStopMs.end());
        std::printf("%6d baud  median %6.1f ms  worst %6.1f ms  longest poll exchange %6.1f ms"
                    "  poll %5.0f frames/s\n",
                    baud, bench_support::median(run.clickToStopMs), worst, run.longestExchangeMs,
                    run.framesPerSecond);
    }
    return 0;
}
