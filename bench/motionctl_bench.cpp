// motionctl as a script runs it: the real program started for each run, timed from its start to
// its exit.
//
// - download of 1785 compiled lines over controller-sim with wire time at 9600 and 115200 baud,
//   beside a minimal client that makes the same exchanges over the same line with plain system
//   calls, and beside the wire time of the characters; motionctl's start (--help) is timed
//   apart;
// - run --sim of a program that loops a million times (virtual time);
// - scan of one port with nobody on it, at five rates and 99 IDs, beside the sum of the silences
//   it must wait out.
//
//   motionctl_bench [runs at 115200]   (default 3)

#include "bench_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kLines = 1785;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds from start to exit; negative when it failed.
double timeMotionctl(const QStringList& arguments) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(bench_support::besideBuild("motionctl"), arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "motionctl %s failed: %s\n", arguments.join(' ').toLocal8Bit().data(),
                     process.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e6;
}

std::vector<std::string> compiledLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back("CV" + std::to_string(i * 7));
    return lines;
}

void downloadAt(int baud, int runs, const QString& file, double startMs) {
    const std::vector<std::string> lines = compiledLines();
    std::vector<std::string> frames;
    long long characters = 0;
    for (int i = 0; i < kLines; ++i) {
        frames.push_back("@01SA" + std::to_string(i) + "=" + lines[size_t(i)] + "\r");
        characters += frames.back().size() + 3; // "OK\r"
    }
    std::vector<double> tool, plain;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir folder;
        QProcess sim;
        if (!bench_support::startSimulator(sim, folder.path(), baud, true)) return;
        const QString port = folder.path() + "/ports/COM1";
        tool.push_back(
            timeMotionctl({"download", file, "--port", port, "--baud", QString::number(baud)}));
        const int fd = bench_support::openRawPort(port, baud);
        long long counted = 0;
        QElapsedTimer clock;
        clock.start();
        const bool ok = fd >= 0 && bench_support::sendFramesPlain(fd, frames, counted);
        plain.push_back(ok ? clock.nsecsElapsed() / 1e6 : -1);
        if (fd >= 0) ::close(fd);
        sim.terminate();
        sim.waitForFinished(5000);
    }
    const double wireMs = characters * 10.0 * 1000 / baud;
    const double toolMs = median(tool), plainMs = median(plain);
    std::printf("  %6d baud: motionctl %8.0f ms, minimal client %8.0f ms + start %4.0f ms: "
                "%.3fx (aim: at most 1.05x); wire time %8.0f ms  [median of %d]\n",
                baud, toolMs, plainMs, startMs, toolMs / (plainMs + startMs), wireMs, runs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir folder;
    const QString compiled = folder.path() + "/program.cpg";
    {
        QFile file(compiled);
        if (!file.open(QIODevice::WriteOnly)) return 1;
        for (const std::string& line : compiledLines())
            file.write((line + "\r\n").c_str());
    }

    std::vector<double> starts;
    for (int i = 0; i < 5; ++i)
        starts.push_back(timeMotionctl({"--help"}));
    const double startMs = median(starts);
    std::printf("motionctl start and end (--help): median %.1f ms\n", startMs);

    std::printf("Download of %d compiled lines over controller-sim with wire time\n", kLines);
    downloadAt(9600, 1, compiled, startMs);
    downloadAt(115200, runs, compiled, startMs);

    const QString loop = folder.path() + "/loop.prg";
    {
        QFile file(loop);
        if (!file.open(QIODevice::WriteOnly)) return 1;
        file.write("PRG 0\r\nV1 = 0\r\nWHILE V1 < 1000000\r\nV1 = V1 + 1\r\nENDWHILE\r\nEND\r\n");
    }
    std::vector<double> sims;
    for (int i = 0; i < 5; ++i)
        sims.push_back(timeMotionctl({"run", loop, "--sim", "--expect", "V1=1000000"}));
    std::printf("run --sim of a loop of 1,000,000 turns (3 s of controller time): median %.1f ms "
                "[of 5]\n",
                median(sims));

    int master = -1, terminal = -1;
    if (openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) return 1;
    const QString empty = QString::fromLocal8Bit(ttyname(terminal));
    ::close(terminal);
    QProcess scan;
    QElapsedTimer clock;
    clock.start();
    scan.start(bench_support::besideBuild("motionctl"), {"scan", "--ports", empty});
    scan.waitForFinished(600000);
    const double scanMs = clock.nsecsElapsed() / 1e6;
    const double silences = 5 * 99 * 62.0;
    std::printf("scan of one port with nobody on it, 5 rates x 99 IDs: %.0f ms; the silences it "
                "waits out %.0f ms: %.3fx (aim: at most 1.2x)\n",
                scanMs, silences, scanMs / silences);
    ::close(master);
    return 0;
}
