// The program simulator's engine: one source statement at a time, breakpoints, inputs, faults
// and steps back, on programs compiled by the real compiler.

#include "progsmith/compiler/compile_phases.h"
#include "simulator/virtual_run.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using simulator::Halt;
using simulator::VirtualRun;

// The program (lines ending in LF) compiled for a KT-210 and loaded, its source lines known.
class Stepper : public VirtualRun {
public:
    explicit Stepper(std::string_view source) : VirtualRun({}) {
        std::string text;
        for (char c : source)
            c == '\n' ? text += "\r\n" : text += c;
        const auto outcome = progsmith::compileProgram(text, progsmith::findModel("KT-210"));
        if (outcome.error) {
            ADD_FAILURE() << outcome.error->message << " @ " << outcome.error->line;
            return;
        }
        std::string error;
        EXPECT_TRUE(load(outcome.lines, error)) << error;
        setSourceLines(outcome.sourceLines);
    }
    int line(int thread) const { return sourceLine(counter(thread)); }
    int v(int n) { return std::stoi(value("V" + std::to_string(n))); }

    // Every value a step back has to bring back.
    std::map<std::string, std::string> everything() {
        std::map<std::string, std::string> values;
        for (int n = 1; n <= 100; ++n)
            values["V" + std::to_string(n)] = value("V" + std::to_string(n));
        for (const char* query :
             {"PX", "EX", "PS", "MST", "DO", "DI", "SASTAT0", "SASTAT1", "SPC0", "SPC1", "HSPD"})
            values[query] = value(query);
        values["time"] = std::to_string(timeUs());
        values["TR"] = std::to_string(controller().programs().timer());
        return values;
    }
};

TEST(ProgramStepping, AStepIsOneSourceStatementOfTheThreadHoweverManySlotsItTakes) {
    Stepper run("V1 = 5\nV2 = V1 * 3\nIF V2 = 15\n V3 = 1\nELSE\n V3 = 2\nENDIF\nGOSUB 1\n"
                "END\nSUB 1\nV4 = 9 / V5\nENDSUB\n");
    run.start();
    struct Expected {
        int line; // marked before the step
        int v1, v2, v3;
    };
    const Expected steps[] = {{1, 5, 0, 0},  {2, 5, 15, 0}, {3, 5, 15, 0},
                              {4, 5, 15, 1}, {5, 5, 15, 1}, {8, 5, 15, 1}};
    for (const Expected& step : steps) {
        ASSERT_EQ(run.line(0), step.line);
        const Halt halt = run.step(0);
        EXPECT_FALSE(halt.ended) << "line " << step.line;
        EXPECT_EQ((std::vector{run.v(1), run.v(2), run.v(3)}),
                  (std::vector{step.v1, step.v2, step.v3}))
            << "after line " << step.line;
    }
    // The division by zero stops the thread at its line, with the reason.
    EXPECT_EQ(run.line(0), 11);
    EXPECT_TRUE(run.step(0).ended);
    EXPECT_EQ(run.state(0), 4);
    EXPECT_EQ(run.line(0), 11);
    EXPECT_EQ(run.faultReason(0), "division by zero");
}

TEST(ProgramStepping, FaultsStopTheirThreadAtTheFaultingLineWithTheReason) {
    const struct {
        const char* source;
        int line;
        const char* reason;
    } cases[] = {
        {"V1 = 0\nV2 = 4 / V1\nEND\n", 2, "division by zero"},
        {"V1 = 1\nGOSUB 1\nEND\nSUB 1\nGOSUB 1\nENDSUB\n", 5, "GOSUB deeper than 32 calls"},
        {"V1 = 1\nENDSUB\nEND\n", 2, "ENDSUB without a GOSUB"},
    };
    for (const auto& c : cases) {
        Stepper run(c.source);
        run.start();
        EXPECT_TRUE(run.runFor(1'000'000).ended) << c.source;
        EXPECT_EQ(run.state(0), 4) << c.source;
        EXPECT_EQ(run.line(0), c.line) << c.source;
        EXPECT_EQ(run.faultReason(0), c.reason) << c.source;
    }
}

TEST(ProgramStepping, RunStopsAtTheNextBreakpointOfEitherThreadAndGoesOnPastIt) {
    Stepper run("PRG 0\nSR1 = 1\nWHILE V1 < 3\n V1 = V1 + 1\n DELAY = 10\nENDWHILE\nEND\n"
                "PRG 1\nWHILE V2 < 2\n V2 = V2 + 1\n DELAY = 25\nENDWHILE\nEND\n");
    run.setBreakpoint(4, true);
    run.setBreakpoint(10, true);
    run.start();
    std::vector<std::vector<int>> halts; // thread, line, V1, V2 at each halt
    for (int i = 0; i < 10; ++i) {
        const Halt halt = run.runFor(10'000'000);
        if (!halt.breakpoint) {
            EXPECT_TRUE(halt.ended);
            break;
        }
        EXPECT_EQ(run.line(halt.thread), halt.line);
        halts.push_back({halt.thread, halt.line, run.v(1), run.v(2)});
    }
    EXPECT_EQ(halts, (std::vector<std::vector<int>>{
                         {0, 4, 0, 0}, {1, 10, 1, 0}, {0, 4, 1, 1}, {0, 4, 2, 1}, {1, 10, 3, 1}}));
    EXPECT_EQ(run.v(1), 3);
    EXPECT_EQ(run.v(2), 2);

    // Both threads come to a breakpoint in the same tick: each stops there in turn.
    Stepper both("PRG 0\nSR1 = 1\nDELAY = 10\nV1 = 1\nEND\nPRG 1\nDELAY = 10\nV2 = 2\nEND\n");
    both.setBreakpoint(4, true);
    both.setBreakpoint(8, true);
    both.start();
    const Halt first = both.runFor(1'000'000);
    const Halt second = both.runFor(1'000'000);
    EXPECT_EQ((std::vector{first.thread, first.line, second.thread, second.line}),
              (std::vector{0, 4, 1, 8}));
    EXPECT_EQ(both.v(2), 0);
    EXPECT_TRUE(both.runFor(1'000'000).ended);
}

TEST(ProgramStepping, AnInputTheUserSetsReleasesAWaitingProgram) {
    Stepper run("WHILE DI1 = 0\nENDWHILE\nV1 = 7\nEND\n");
    run.start();
    EXPECT_FALSE(run.runFor(200'000).ended);
    EXPECT_EQ(run.v(1), 0);
    ASSERT_TRUE(run.apply("DI1=1"));
    EXPECT_TRUE(run.runFor(200'000).ended);
    EXPECT_EQ(run.v(1), 7);
    EXPECT_FALSE(run.apply("DI99=1"));
}

// Steps, runs, moves and inputs undone one by one bring back every value as it was, across the
// checkpoints a long run leaves and beyond the history the engine keeps.
TEST(ProgramStepping, StepBackBringsBackEveryValueAsItWas) {
    Stepper run("HSPD = 5000\nX2000\nWHILE V100 < 2000000000\n V100 = V100 + 1\n"
                " V1 = V100 * 3\n V99 = V1 - V100\n V2 = V100 % 4\n DO = V2\n V98 = V100 % 5000\n"
                " IF V98 = 0\n  TR = 300\n ENDIF\nENDWHILE\nEND\n");
    std::vector<std::map<std::string, std::string>> seen{run.everything()};
    run.start();
    seen.push_back(run.everything());
    for (int i = 0; i < 40; ++i) {
        if (i % 3 == 0)
            run.runFor(1000 + i * 100'000);
        else
            run.step(0);
        seen.push_back(run.everything());
        if (i == 20) {
            ASSERT_TRUE(run.apply("DI2=1"));
            seen.push_back(run.everything());
        }
    }
    EXPECT_GT(run.checkpoints(), 1u) << "the long runs leave checkpoints";
    for (size_t i = seen.size() - 1; i > 0; --i) {
        ASSERT_EQ(run.everything(), seen[i]) << "after " << i << " operations";
        ASSERT_TRUE(run.stepBack());
    }
    EXPECT_EQ(run.everything(), seen[0]);
    EXPECT_FALSE(run.stepBack());

    // Beyond the history kept the oldest steps are gone, the newest still undo.
    run.start();
    for (size_t i = 0; i < VirtualRun::kKeptOperations + 2000; ++i)
        run.step(0);
    EXPECT_GE(run.history(), 10'000u);
    EXPECT_LT(run.history(), VirtualRun::kKeptOperations + 2000);
    const auto last = run.everything();
    run.step(0);
    ASSERT_TRUE(run.stepBack());
    EXPECT_EQ(run.everything(), last);
}

} // namespace
