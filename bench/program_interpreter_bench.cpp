// The program interpreter of the in-process controller on a tight arithmetic loop of 1,000,000
// statements (WHILE, two operations and ENDWHILE, 250,000 times), compiled by the real compiler
// and run on a simulated clock as fast as the machine allows. statements/s is the rate; the
// aggregates print the median of the repetitions. Aim: above 20 million statements per second.

#include "progsmith/compiler/compile_phases.h"
#include "simulator/controller_model.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr const char* kLoop = "V1 = 0\r\nWHILE V1 < 250000\r\n V1 = V1 + 1\r\n V2 = V2 + V1\r\n"
                              "ENDWHILE\r\nEND\r\n";

void BM_TightArithmeticLoop(benchmark::State& state) {
    int64_t now = 0;
    simulator::ControllerModel controller;
    controller.setTimeSource([&] { return now; });
    const auto compiled = progsmith::compileProgram(kLoop, progsmith::findModel("KT-210"));
    if (compiled.error) return state.SkipWithError(compiled.error->message.c_str());
    for (size_t i = 0; i < compiled.lines.size(); ++i)
        controller.execute("SA" + std::to_string(i) + "=" + compiled.lines[i]);

    uint64_t statements = 0;
    for (auto _ : state) {
        const uint64_t before = controller.programs().statementsExecuted();
        controller.execute("SR=1");
        while (controller.programs().state(0) == 1) {
            now += simulator::ProgramInterpreter::kCatchUpUs;
            controller.advance();
        }
        statements += controller.programs().statementsExecuted() - before;
    }
    if (controller.execute("V1") != "250000") state.SkipWithError("the loop did not count");
    state.counters["statements/s"] =
        benchmark::Counter(double(statements), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_TightArithmeticLoop)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
