// The compile phases in process (clean-up, tokeniser, check, assembler) on programs of 200,
// 1,785 and 20,000 source lines of mixed statements (the argument "source_lines"; the counter
// "compiled_lines" gives the compiled lines they become), and the assembler on 1,000 and 10,000
// nested blocks. The aggregates print the median of the repetitions; the complexity line shows
// how the time grows with the line count.

#include "progsmith/compiler/assembler.h"
#include "progsmith/compiler/clean.h"
#include "progsmith/compiler/compile_phases.h"
#include "progsmith/compiler/syntax_check.h"
#include "progsmith/compiler/tokeniser.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

using namespace progsmith;

namespace {

// A mix of what programs hold: assignments and operations, device settings and reads, moves,
// and every block kind, nested. 20 lines that open and close their own blocks.
constexpr std::array<const char*, 20> kBlock{
    "V1 = V1 + 1",       "HSPD = 1000",   "IF V1 > 10",   "V2 = PX",  "ELSEIF DI3 = 1",
    "DO2 = 1",           "ELSE",          "X1000 Y-500",  "ENDIF",    "WHILE V2 < 100",
    "V2 = V2 * 2",       "ARCP10:V2:30",  "ENDWHILE",     "REPEAT",   "LTY = 3",
    "LOOPWHILE V3 != 0", "  ; a comment", "SYNPOSX = V4", "I1:2:3:4", "STOP"};

std::string mixedProgram(int lines) {
    std::string text;
    for (int i = 0; i + 1 < lines; ++i) {
        // Close every block before END: only whole blocks are repeated.
        if (i + 1 + static_cast<int>(kBlock.size()) > lines &&
            i % static_cast<int>(kBlock.size()) == 0) {
            for (; i + 1 < lines; ++i)
                text += "V5 = 1\r\n";
            break;
        }
        text += kBlock[static_cast<size_t>(i) % kBlock.size()];
        text += "\r\n";
    }
    return text + "END\r\n";
}

const ModelInfo* benchModel() {
    return findModel("QB-450");
}

void BM_CompilePhases(benchmark::State& state) {
    const std::string source = mixedProgram(static_cast<int>(state.range(0)));
    size_t compiled = 0;
    for (auto _ : state) {
        const CompileOutcome result = compileProgram(source, benchModel());
        if (result.error) state.SkipWithError(result.error->message.c_str());
        compiled = result.lines.size();
        benchmark::DoNotOptimize(compiled);
    }
    state.counters["compiled_lines"] = static_cast<double>(compiled);
    state.SetComplexityN(state.range(0));
}

void BM_Clean(benchmark::State& state) {
    const std::string source = mixedProgram(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Clean(source));
}

void BM_Tokenise(benchmark::State& state) {
    const auto clean = Clean(mixedProgram(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(Tokenise(clean));
}

void BM_Check(benchmark::State& state) {
    const auto tokens = Tokenise(Clean(mixedProgram(static_cast<int>(state.range(0)))));
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckProgram(tokens, benchModel()));
}

void BM_Assemble(benchmark::State& state) {
    const auto tokens = Tokenise(Clean(mixedProgram(static_cast<int>(state.range(0)))));
    for (auto _ : state)
        benchmark::DoNotOptimize(Assemble(tokens, benchModel()));
}

// Blocks nested as deep as the program is long: IF, WHILE and REPEAT in turn, each holding the
// next, closed in reverse. Finding each block's partner must not cost more for a deep program.
std::string nestedProgram(int depth) {
    static constexpr const char* opens[] = {"IF V1 > 0", "WHILE V2 < 3", "REPEAT"};
    static constexpr const char* closes[] = {"ENDIF", "ENDWHILE", "LOOPWHILE V3 = 1"};
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += std::string(opens[i % 3]) + "\r\n";
    text += "V4 = 1\r\n";
    for (int i = depth; i-- > 0;)
        text += std::string(closes[i % 3]) + "\r\n";
    return text + "END\r\n";
}

void BM_AssembleNested(benchmark::State& state) {
    const auto tokens = Tokenise(Clean(nestedProgram(static_cast<int>(state.range(0)))));
    for (auto _ : state) {
        const AssembleResult result = Assemble(tokens, benchModel());
        if (result.error) state.SkipWithError(result.error->message.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
}

void lineCounts(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgName("source_lines")->Arg(200)->Arg(1785)->Arg(20000);
    benchmark->Unit(benchmark::kMillisecond);
    benchmark->Repetitions(9)->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK(BM_CompilePhases)->Apply(lineCounts)->Complexity(benchmark::oN);
BENCHMARK(BM_Clean)->Apply(lineCounts);
BENCHMARK(BM_Tokenise)->Apply(lineCounts);
BENCHMARK(BM_Check)->Apply(lineCounts);
BENCHMARK(BM_Assemble)->Apply(lineCounts);
BENCHMARK(BM_AssembleNested)
    ->ArgName("nested_blocks")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Complexity(benchmark::oN);
