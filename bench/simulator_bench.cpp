// The program simulator as the user works it, in its window (offscreen):
// - Step and Step back on a program of 1,785 lines, each click to the window drawn again, with
//   10,000 steps of history behind them (aim: under 50 ms);
// - "As fast as possible" on a tight loop, the window's own frame timer driving it for a few
//   seconds: statements per second of the thread and frames per second, beside the bare
//   interpreter on the same loop in the same run (aim: 10 million statements/s, at most 30
//   frames/s);
// - what 10,000 steps of history cost in memory for a program that changes all 100 variables
//   (aim: under 50 MB), and the fullest history the engine keeps.
//
//   simulator_bench [seconds of the fast run]   (default 3)

#include "bench_support.h"
#include "motiondesk/simulate/simulator_window.h"
#include "progsmith/compiler/compile_phases.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Resident memory of this process in MB.
double residentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * 4096.0 / 1e6;
}

simulate::SimulationProgram compiled(const std::string& text) {
    auto program = simulate::compileForSimulation(text, "KT-210");
    if (!program.error.empty()) std::fprintf(stderr, "%s\n", program.error.c_str());
    return program;
}

// 1,785 lines, each a statement of one slot: the longest program a KT-210 holds.
std::string longProgram() {
    std::string text = "PRG 0\r\n";
    for (int line = 2; line < 1785; ++line)
        text += "HSPD = " + std::to_string(1000 + line) + "\r\n";
    return text + "END\r\n";
}

double clickMs(QPushButton* button) {
    QElapsedTimer timer;
    timer.start();
    button->click();
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

void stepping(bench_support::PrintingUi& ui) {
    const std::string text = longProgram();
    const auto program = compiled(text);
    simulate::SimulatorWindow window(ui, text, "KT-210", program);
    window.show();
    QCoreApplication::processEvents();
    auto* step = window.findChild<QPushButton*>("SimStep");
    auto* back = window.findChild<QPushButton*>("SimStepBack");
    std::vector<double> steps, backs;
    for (int i = 0; i < 10'000; ++i) {
        // Past the end of the program it starts again from its first line.
        if (window.simulation().state().states[0] != 1) window.simulation().reset();
        const double ms = clickMs(step);
        if (i >= 9'800) steps.push_back(ms);
    }
    for (int i = 0; i < 200; ++i)
        backs.push_back(clickMs(back));
    std::printf("1,785-line program, 10,000 steps of history, each click with the window drawn:\n"
                "  Step: median %.2f ms, slowest %.2f ms; Step back: median %.2f ms, slowest "
                "%.2f ms (aim: under 50 ms)\n",
                bench_support::median(steps), *std::max_element(steps.begin(), steps.end()),
                bench_support::median(backs), *std::max_element(backs.begin(), backs.end()));
}

constexpr const char* kLoop = "V1 = 0\r\nWHILE V1 < 2000000000\r\n V1 = V1 + 1\r\n V2 = V2 + V1\r\n"
                              "ENDWHILE\r\nEND\r\n";

// The bare interpreter on the loop, in steps of a tick, for as long.
double bareRate(const simulate::SimulationProgram& program, double seconds) {
    simulator::VirtualRun run({});
    std::string error;
    run.load(program.lines, error);
    run.start();
    QElapsedTimer timer;
    timer.start();
    const uint64_t before = run.controller().programs().statementsExecuted();
    while (timer.nsecsElapsed() < int64_t(seconds * 1e9))
        run.runFor(100'000);
    return double(run.controller().programs().statementsExecuted() - before) /
           (double(timer.nsecsElapsed()) / 1e9);
}

void fastest(bench_support::PrintingUi& ui, double seconds) {
    const auto program = compiled(kLoop);
    simulate::SimulatorWindow window(ui, kLoop, "KT-210", program);
    window.show();
    window.findChild<QComboBox*>("SimSpeed")->setCurrentIndex(2);
    const uint64_t before =
        window.simulation().engine().controller().programs().statementsExecuted();
    window.findChild<QPushButton*>("SimRun")->click();
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const double wall = double(timer.nsecsElapsed()) / 1e9;
    const double statements =
        double(window.simulation().engine().controller().programs().statementsExecuted() - before);
    const double frames = double(window.simulation().frames());
    const double bare = bareRate(program, seconds);
    std::printf("tight loop for %.1f s, as fast as possible in the window: %.1f million "
                "statements/s at %.1f frames/s; bare interpreter in the same run: %.1f million "
                "statements/s (window/bare %.2f)\n",
                wall, statements / wall / 1e6, frames / wall, bare / 1e6, statements / wall / bare);
}

// A program whose every turn changes all 100 variables.
void history() {
    std::string text = "WHILE V100 < 2000000000\r\n";
    for (int n = 1; n <= 100; ++n)
        text += " V" + std::to_string(n) + " = V" + std::to_string(n) + " + " + std::to_string(n) +
                "\r\n";
    text += "ENDWHILE\r\nEND\r\n";
    const auto program = compiled(text);
    const double before = residentMb();
    {
        simulate::ProgramSimulation simulation("KT-210", program.lines, program.sourceLines);
        for (int i = 0; i < 10'000; ++i)
            simulation.step(0);
        std::printf("10,000 steps of history, all 100 variables changing: %.1f MB resident "
                    "(%zu operations, %zu controller copies; aim: under 50 MB)\n",
                    residentMb() - before, simulation.engine().history(),
                    simulation.engine().checkpoints());
    }
    // The fullest history: stretches of a run long enough that each leaves a copy behind.
    const double start = residentMb();
    simulator::VirtualRun run({});
    std::string error;
    run.load(program.lines, error);
    run.start();
    for (int i = 0; i < 1100; ++i)
        run.runFor(3'000'000);
    std::printf("the fullest history, 1,100 stretches of 3 s of that program run: %.1f MB "
                "resident (%zu operations, %zu controller copies)\n",
                residentMb() - start, run.history(), run.checkpoints());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    bench_support::PrintingUi ui;
    history();
    stepping(ui);
    fastest(ui, seconds > 0 ? seconds : 3.0);
    return 0;
}
