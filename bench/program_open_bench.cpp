// Opening a program file into the program text box, as "Open" does, for files at the size limit
// the windows accept: many short lines, and one long line. Prints the median of five openings
// each (the box shown offscreen, so layout and highlighting run as in the window).
//   build/bench/program_open_bench

#include "motiondesk/ui/program_text_edit.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double medianMs(const std::string& text) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        ui::ProgramTextEdit box("KT-210");
        box.resize(800, 600);
        box.show();
        QElapsedTimer clock;
        clock.start();
        box.setProgramText(text);
        QCoreApplication::processEvents();
        runs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const size_t bytes = argc > 1 ? std::stoul(argv[1]) : 1u << 20;
    std::string lines;
    for (int i = 0; lines.size() < bytes; ++i)
        lines +=
            "V" + std::to_string(i % 100 + 1) + " = V" + std::to_string(i % 7 + 1) + " + 1\r\n";
    const std::string oneLine = std::string(bytes - 2, 'X') + "\r\n";
    std::printf("opening %zu bytes of short lines: %.1f ms\n", lines.size(), medianMs(lines));
    std::printf("opening one line of %zu bytes: %.1f ms\n", oneLine.size(), medianMs(oneLine));
    return 0;
}
