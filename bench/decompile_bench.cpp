// Decompiling an upload in process, as steps 2 and 3 of a DECOMPILE run do it (decompiler, then
// indentation), for a full controller of 1,785 lines and a long file of 20,000 lines. The
// aggregates print the median of the repetitions; the complexity line shows the growth.

#include "progsmith/compiler/compile_phases.h"
#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace progsmith;

namespace {

const ModelInfo* benchModel() {
    return findModel("QB-450");
}

// The compiled lines of a program with every block kind, operations, device settings and
// reads, packed axis forms, moves and arcs, repeated to the wanted length.
std::vector<std::string> upload(size_t count) {
    static const std::vector<std::string> block =
        compileProgram(
            "PRG 0\r\nV1 = V1 + 1\r\nHSPD = 1000\r\nIF V1 > 10\r\nV2 = PX\r\nELSEIF DI3 = 1\r\n"
            "DO2 = 1\r\nELSE\r\nX1000 Y-500\r\nENDIF\r\nWHILE V2 < 100\r\nV2 = V2 * 2\r\n"
            "ARCP10:V2:30\r\nENDWHILE\r\nREPEAT\r\nLTY = 3\r\nLOOPWHILE V3 != 0\r\n"
            "SYNPOSX = V4\r\nI1:2:3:4\r\nSTOP\r\nGOSUB 1\r\nEND\r\nSUB 1\r\nJOGY+\r\nENDSUB\r\n",
            benchModel())
            .lines;
    std::vector<std::string> lines;
    lines.reserve(count);
    while (!block.empty() && lines.size() < count)
        lines.push_back(block[lines.size() % block.size()]);
    return lines;
}

void BM_Decompile(benchmark::State& state) {
    const std::vector<std::string> lines = upload(static_cast<size_t>(state.range(0)));
    if (lines.empty()) state.SkipWithError("the program does not compile");
    const Decompiler decompiler(benchModel());
    for (auto _ : state)
        benchmark::DoNotOptimize(AddSpacesToProg(decompiler.DecompileProgram(lines)));
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_Decompile)
    ->Arg(1785)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Complexity(benchmark::oN);
