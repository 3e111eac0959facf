// Programs compiled by the real compiler, written into the slots and run by the controller.

#include "tests/simulator/program_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using testing_support::ProgramRunner;

// Runs program 0 of `source` to its end.
void runToEnd(ProgramRunner& runner, const std::string& source) {
    ASSERT_TRUE(runner.load(source)) << runner.error();
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    ASSERT_EQ(runner.ask("SASTAT"), "0") << "the program ended at its END";
}

TEST(ProgramRun, OperationsUseThirtyTwoBitIntegerArithmetic) {
    struct Case {
        const char* a;
        const char* op;
        const char* b;
        const char* result;
    };
    const Case cases[] = {
        {"7", "+", "-10", "-3"},          {"2147483647", "+", "1", "-2147483648"},
        {"-5", "-", "7", "-12"},          {"-2147483648", "-", "1", "2147483647"},
        {"65536", "*", "65536", "0"},     {"-7", "*", "6", "-42"},
        {"-7", "/", "2", "-3"},           {"-2147483648", "/", "-1", "-2147483648"},
        {"-7", "%", "3", "-1"},           {"7", "%", "-3", "1"},
        {"-16", ">>", "2", "-4"},         {"-16", ">>", "40", "-1"},
        {"3", "<<", "30", "-1073741824"}, {"3", "<<", "32", "0"},
        {"12", "&", "10", "8"},           {"12", "|", "10", "14"},
        {"5", "~", "99", "-6"},
    };
    for (const Case& c : cases) {
        ProgramRunner runner;
        runToEnd(runner, std::string("V1 = ") + c.a + "\nV2 = " + c.b + "\nV3 = V1 " + c.op +
                             " V2\nV4 = ~V1\nEND\n");
        EXPECT_EQ(runner.ask("V3"), c.result) << c.a << " " << c.op << " " << c.b;
        EXPECT_EQ(runner.number("V4"), ~std::stoi(c.a)) << "~" << c.a;
    }
}

TEST(ProgramRun, NestedIfElseIfElseTakesExactlyOneBranch) {
    const std::string program = "IF V1 < 10\n"
                                " IF V1 = 3\n  V2 = 30\n ELSE\n  V2 = 31\n ENDIF\n"
                                "ELSEIF V1 < 20\n V2 = 40\n"
                                "ELSEIF V1 != 25\n V2 = 50\n"
                                "ELSE\n V2 = 60\nENDIF\nV3 = V3 + 1\nEND\n";
    const std::pair<int, int> cases[] = {{3, 30}, {4, 31}, {15, 40}, {30, 50}, {25, 60}};
    for (const auto& [input, branch] : cases) {
        ProgramRunner runner;
        ASSERT_EQ(runner.ask("V1=" + std::to_string(input)), "OK");
        runToEnd(runner, program);
        EXPECT_EQ(runner.number("V2"), branch) << "V1 = " << input;
        EXPECT_EQ(runner.ask("V3"), "1") << "V1 = " << input;
    }
}

TEST(ProgramRun, WhileAndRepeatLoopsRunTheirCountAndRepeatRunsAtLeastOnce) {
    ProgramRunner runner;
    runToEnd(runner, "V1 = 0\nWHILE V1 < 10\n V2 = V2 + V1\n V1 = V1 + 1\nENDWHILE\n"
                     "WHILE V1 < 5\n V3 = 99\nENDWHILE\n"
                     "REPEAT\n V4 = V4 + 2\nLOOPWHILE V4 < 7\n"
                     "REPEAT\n V5 = V5 + 1\nLOOPWHILE V5 > 100\nEND\n");
    EXPECT_EQ(runner.ask("V2"), "45");
    EXPECT_EQ(runner.ask("V3"), "0") << "a WHILE whose condition fails runs no pass";
    EXPECT_EQ(runner.ask("V4"), "8");
    EXPECT_EQ(runner.ask("V5"), "1");
}

TEST(ProgramRun, NestedLoopsCallSubroutinesAndReturnToTheCaller) {
    ProgramRunner runner;
    runToEnd(runner, "PRG 0\nV1 = 0\nWHILE V1 < 4\n V2 = 0\n REPEAT\n  GOSUB 7\n"
                     "  V2 = V2 + 1\n LOOPWHILE V2 < 3\n V1 = V1 + 1\nENDWHILE\nEND\n"
                     "SUB 7\nV3 = V3 + 1\nGOSUB 8\nENDSUB\n"
                     "SUB 8\nV4 = V4 + V1\nENDSUB\n");
    EXPECT_EQ(runner.ask("V3"), "12");
    EXPECT_EQ(runner.ask("V4"), "18"); // 3 * (0 + 1 + 2 + 3)
}

TEST(ProgramRun, MovesTravelThroughTheMotionModelAndWaitxWaitsForTheEnd) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.load("HSPD = 2000\nLSPD = 100\nACC = 100\nX3000\nWAITX\nV1 = PX\n"
                            "X-500\nWAITX\nV2 = PX\nINC\nX100\nWAITX\nV3 = PX\nEND\n"))
        << runner.error();
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    runner.pass(500);
    EXPECT_EQ(runner.ask("SASTAT"), "1");
    EXPECT_EQ(runner.ask("SPC"), "4") << "waiting in WAITX";
    const int64_t halfway = runner.number("PX");
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, 3000);
    EXPECT_GT(runner.number("PS"), 0);
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(runner.ask("V1"), "3000");
    EXPECT_EQ(runner.ask("V2"), "-500");
    EXPECT_EQ(runner.ask("V3"), "-400") << "INC makes the move relative";
    EXPECT_EQ(runner.ask("HSPD"), "2000");
}

TEST(ProgramRun, CoordinatedMoveOnAFourAxisModelMovesEachNamedAxis) {
    ProgramRunner runner("QB-450");
    runToEnd(runner, "HSPD = 5000\nX1000 Z-700\nWAITX\nWAITZ\nV1 = PX\nV2 = PZ\nV3 = PY\n"
                     "I50:60:V1:V2\nWAITX\nWAITY\nWAITZ\nWAITU\nV4 = PY\nV5 = PU\nV6 = PZ\nEND\n");
    EXPECT_EQ(runner.ask("V1"), "1000");
    EXPECT_EQ(runner.ask("V2"), "-700");
    EXPECT_EQ(runner.ask("V3"), "0");
    EXPECT_EQ(runner.ask("V4"), "60");
    EXPECT_EQ(runner.ask("V5"), "-700");
    EXPECT_EQ(runner.ask("V6"), "1000");
    EXPECT_EQ(runner.ask("PX"), "50");
}

TEST(ProgramRun, OutputWritesSetTheOutputsAndInputsReadBack) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.controller().setState("DI=5"));
    runToEnd(runner, "DO = 2\nV1 = DO\nV9 = 1\nDO1 = V9\nDO2 = 0\nV2 = DO1\nV3 = DI3\n"
                     "V4 = DI2\nEND\n");
    EXPECT_EQ(runner.ask("V1"), "2");
    EXPECT_EQ(runner.ask("DO"), "1");
    EXPECT_EQ(runner.ask("V2"), "1");
    EXPECT_EQ(runner.ask("V3"), "1");
    EXPECT_EQ(runner.ask("V4"), "0");
}

TEST(ProgramRun, DeviceInstructionLinesActAsTheirCommands) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.loadLines({"&84$1234", "CV77", "VR5", "AM", "&129$5", "&128$V", "XX"}));
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(runner.ask("HSPD"), "1234") << "&84$1234 is HSPD=1234";
    EXPECT_EQ(runner.ask("LSPD"), "77") << "&129$5 is LSPD=V5";
    EXPECT_EQ(runner.ask("SASTAT"), "4") << "&128$V has no number";
    EXPECT_EQ(runner.ask("SPC"), "5");
}

TEST(ProgramRun, BothThreadsRunAtOnceAndProgramZeroCanStartProgramOne) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.load("PRG 0\nSR1 = 1\nWHILE V1 < 300\n V1 = V1 + 1\n DELAY = 1\nENDWHILE\n"
                            "END\nPRG 1\nWHILE V2 < 200\n V2 = V2 + 1\n DELAY = 1\nENDWHILE\n"
                            "END\n"))
        << runner.error();
    ASSERT_EQ(runner.ask("SR0=1"), "OK");
    runner.pass(100);
    EXPECT_EQ(runner.ask("SASTAT0"), "1");
    EXPECT_EQ(runner.ask("SASTAT1"), "1");
    EXPECT_GT(runner.number("V1"), 20);
    EXPECT_GT(runner.number("V2"), 20);
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(runner.ask("V1"), "300");
    EXPECT_EQ(runner.ask("V2"), "200");
    EXPECT_EQ(runner.ask("SASTAT1"), "0");
}

TEST(ProgramRun, PauseHoldsTheThreadContinueResumesItStopEndsIt) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.load("WHILE 1 = 1\n V1 = V1 + 1\n DELAY = 10\nENDWHILE\nEND\n"))
        << runner.error();
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    runner.pass(95);
    EXPECT_EQ(runner.ask("V1"), "10");
    ASSERT_EQ(runner.ask("SR=2"), "OK");
    runner.pass(100);
    EXPECT_EQ(runner.ask("SASTAT"), "2");
    EXPECT_EQ(runner.ask("V1"), "10");
    EXPECT_EQ(runner.ask("SPC"), "8") << "the DELAY slot";
    ASSERT_EQ(runner.ask("SR=3"), "OK");
    runner.pass(50);
    EXPECT_EQ(runner.ask("SASTAT"), "1");
    EXPECT_GE(runner.number("V1"), 14);
    ASSERT_EQ(runner.ask("SR=0"), "OK");
    EXPECT_EQ(runner.ask("SASTAT"), "0");
    EXPECT_EQ(runner.ask("SPC"), "0");
}

TEST(ProgramRun, EndlessLoopWithoutDelayRunsInBoundedSlicesAndTheControllerKeepsAnswering) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.load("REPEAT\n V1 = V1 + 1\nLOOPWHILE 1 = 1\nEND\n")) << runner.error();
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    const uint64_t before = runner.controller().programs().statementsExecuted();
    runner.now() += 3'600'000'000; // an hour without a command
    EXPECT_EQ(runner.ask("VER"), "V223");
    const uint64_t slice = runner.controller().programs().statementsExecuted() - before;
    EXPECT_GT(slice, 0u);
    EXPECT_LE(slice, uint64_t(simulator::ProgramInterpreter::kCatchUpUs *
                              simulator::ProgramInterpreter::kStatementsPerMs / 1000));
    EXPECT_EQ(runner.ask("SASTAT"), "1");
    EXPECT_GT(runner.number("V1"), 0);
}

TEST(ProgramRun, FaultsStopTheThreadInStateFourAtTheirSlotAndTheTraceSaysWhy) {
    struct Case {
        std::vector<std::string> slots;
        int slot;
        const char* reason;
    };
    const Case cases[] = {
        {{"CV1", "VR1", "AM", "&999$1", "XX"}, 3, "unknown code 999"},
        {{"&107$1", "XX"}, 0, "unknown code 107"}, // a code the model lacks
        {{"AM", "XX"}, 0, "no operand line before it"},
        {{"CV1", "CV2", "AM", "XX"}, 2, "the destination is not a variable"},
        {{"JR-1", "XX"}, 0, "jump out of the program"},
        {{"CV1", "CV1", "JU3$-9", "XX"}, 2, "jump out of the program"},
        {{"CV0", "CV5", "VR1", "OX4", "XX"}, 3, "division by zero"},
        {{"GS4", "XX"}, 0, "GOSUB 4 has no SUB 4"},
        {{"GS1", "XX", "SS1", "GS1", "SE"}, 3, "GOSUB deeper than 32 calls"},
        {{"SE", "XX"}, 0, "ENDSUB without a GOSUB"},
        {{"CV1", "VR101", "AM", "XX"}, 2, "variable V101 out of range"},
        {{"VR101", "VR1", "AM", "XX"}, 2, "variable V101 out of range"},
        {{"CV1", "VR1", "VR0", "OX1", "XX"}, 3, "variable V0 out of range"},
        {{"VR0", "CV1", "JI3$2", "XX"}, 2, "variable V0 out of range"},
        {{"&85$101", "XX"}, 0, "variable V101 out of range"}, // HSPD=V101
        {{"CV1", "hello world", "XX"}, 1, "not a compiled line"},
        {{std::string("\x01\xff\x80&$", 5), "XX"}, 0, "not a compiled line"},
        {{std::string(4096, 'J'), "XX"}, 0, "not a compiled line"},
        {{"CV1", "CV2", "VR1", "OX11", "XX"}, 3, "unknown operator 11"},
    };
    for (const Case& c : cases) {
        ProgramRunner runner;
        std::string last;
        runner.controller().setProgramTrace([&](std::string_view line) { last = line; });
        const std::string name = c.slots[size_t(c.slot)].substr(0, 20);
        ASSERT_TRUE(runner.loadLines(c.slots)) << name << ": " << runner.error();
        ASSERT_EQ(runner.ask("SR=1"), "OK");
        ASSERT_TRUE(runner.runUntilStopped()) << name;
        EXPECT_EQ(runner.ask("SASTAT"), "4") << name;
        EXPECT_EQ(runner.number("SPC"), c.slot) << name;
        EXPECT_TRUE(last.ends_with(std::string(" fault: ") + c.reason)) << last;
        EXPECT_EQ(runner.ask("VER"), "V223") << name;
    }
}

TEST(ProgramRun, MissingProgramErrorsAndEmptySlotEndsTheProgram) {
    ProgramRunner runner;
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    EXPECT_EQ(runner.ask("SASTAT"), "4") << "nothing downloaded";
    ASSERT_TRUE(runner.loadLines({"PS0", "CV3", "VR1", "AM"}));
    ASSERT_EQ(runner.ask("SR1=1"), "OK");
    EXPECT_EQ(runner.ask("SASTAT1"), "4") << "no PRG 1";
    ASSERT_EQ(runner.ask("SR0=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(runner.ask("SASTAT0"), "0");
    EXPECT_EQ(runner.ask("V1"), "3");
}

TEST(ProgramRun, TraceHasOneLinePerExecutedSlotWithTheVariablesItChanged) {
    ProgramRunner runner;
    std::vector<std::string> trace;
    runner.controller().setProgramTrace([&](std::string_view line) { trace.emplace_back(line); });
    ASSERT_TRUE(runner.loadLines({"CV2", "VR1", "AM", "VR1", "CV3", "JI2$2", "JR3", "&84$500",
                                  "CV0", "VR1", "VR1", "OX4", "XX"}));
    ASSERT_EQ(runner.ask("SR=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(trace, (std::vector<std::string>{"0 2 AM V1=2", "0 5 JI2$2", "0 7 &84$500",
                                               "0 11 OX4 fault: division by zero"}));
}

// One compiled line per case carries a packed operand (axis, selector offset, direction, value);
// what it did is read back by the host or through variables the program set.
TEST(ProgramRun, PackedOperandsReachTheirAxisAndValue) {
    struct Check {
        const char* query;
        int64_t low, high;
    };
    struct Case {
        const char* model;
        const char* before; // a host command first, or ""
        std::string program;
        const char* line; // the packed line the compiler wrote
        std::vector<Check> checks;
    };
    const std::string jogBoth = "JOGX +\nJOGY +\nDELAY = 100\n";
    const std::string speeds = "\nDELAY = 500\nV1 = PSX\nV2 = PSY\nEND\n";
    const Case cases[] = {
        {"QB-450",
         "",
         "JOGY -\nDELAY = 100\nV1 = PY\nV2 = PX\nEND\n",
         "&119$1",
         {{"V1", -50, -35}, {"V2", 0, 0}}},
        {"QB-420", "", "JOGY -\nDELAY = 100\nV1 = PY\nEND\n", "&119$1", {{"V1", -50, -35}}},
        {"QB-450", "", "JOGX -\nDELAY = 100\nV1 = PX\nEND\n", "&119$0", {{"V1", -50, -35}}},
        {"QB-450", "", jogBoth + "STOPY" + speeds, "&8$1", {{"V1", 1, 1'000'000}, {"V2", 0, 0}}},
        {"QB-450", "", jogBoth + "STOP" + speeds, "&8$255", {{"V1", 0, 0}, {"V2", 0, 0}}},
        {"QB-420", "", "SLX = 1\nEND\n", "&251$257", {{"SL", 1, 1}}},
        {"QB-420", "SL=1", "SLY = 0\nEND\n", "&251$2", {{"SL", 1, 1}}},
        {"QB-450", "", "SYNPOSX = -5\nEND\n", "&252$-1280", {{"SYNP", -5, -5}}},
        {"QB-450", "", "LTX = 1\nV2 = LTSX\nEND\n", "&91$256", {{"V2", 1, 1}}},
        {"QB-450", "", "SSPDMX = 3\nEND\n", "&131$768", {{"SSPDM", 3, 3}}},
        {"QB-450", "", "TR = 50\nDELAY = 20\nV1 = TR\nEND\n", "TR50", {{"V1", 30, 30}}},
    };
    for (const Case& c : cases) {
        ProgramRunner runner(c.model);
        if (*c.before) {
            ASSERT_EQ(runner.ask(c.before), "OK") << c.before;
        }
        runToEnd(runner, c.program);
        const auto& lines = runner.lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.program;
        for (const Check& check : c.checks) {
            const int64_t value = runner.number(check.query);
            EXPECT_GE(value, check.low) << c.model << " " << c.program << " " << check.query;
            EXPECT_LE(value, check.high) << c.model << " " << c.program << " " << check.query;
        }
    }
}

TEST(ProgramRun, AProgramStartsPausesContinuesAndStopsTheOtherThread) {
    ProgramRunner runner;
    ASSERT_TRUE(runner.load("PRG 0\nSR1 = 1\nDELAY = 50\nV1 = V10\nSR1 = 2\nDELAY = 50\n"
                            "V2 = V10\nSR1 = 3\nDELAY = 50\nV3 = V10\nSR1 = 0\nDELAY = 50\n"
                            "V4 = V10\nEND\n"
                            "PRG 1\nREPEAT\n V10 = V10 + 1\n DELAY = 1\nLOOPWHILE 1 = 1\nEND\n"))
        << runner.error();
    ASSERT_EQ(runner.ask("SR0=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(runner.ask("V1"), "50") << "counting while running";
    EXPECT_EQ(runner.ask("V2"), "50") << "paused";
    EXPECT_EQ(runner.ask("V3"), "100") << "continued where it paused";
    EXPECT_EQ(runner.ask("V4"), "100") << "stopped";
    EXPECT_EQ(runner.ask("SASTAT1"), "0");
}

TEST(ProgramRun, AProgramPausesItselfUntilContinuedOrStopsItself) {
    struct Case {
        const char* program;
        const char* state;           // after it ran
        const char* v1;              // then
        const char* v1AfterContinue; // after SR=3 and running on
    };
    const Case cases[] = {
        {"V1 = 1\nSR0 = 2\nV1 = 2\nEND\n", "2", "1", "2"},
        {"V1 = 1\nSR0 = 0\nV1 = 2\nEND\n", "0", "1", "1"},
    };
    for (const Case& c : cases) {
        ProgramRunner runner;
        ASSERT_TRUE(runner.load(c.program)) << runner.error();
        ASSERT_EQ(runner.ask("SR=1"), "OK");
        ASSERT_TRUE(runner.runUntilStopped());
        EXPECT_EQ(runner.ask("SASTAT"), c.state) << c.program;
        EXPECT_EQ(runner.ask("V1"), c.v1) << c.program;
        ASSERT_EQ(runner.ask("SR=3"), "OK");
        ASSERT_TRUE(runner.runUntilStopped());
        EXPECT_EQ(runner.ask("SASTAT"), "0") << c.program;
        EXPECT_EQ(runner.ask("V1"), c.v1AfterContinue) << c.program;
    }
}

// KT-230 gives 62, 63 and 64 to both an EO<n> form and a CPAR setting. Every program reads EO1
// back with V9 = EO1 (&62$1), and V8 = 7 shows that it went on to its end.
TEST(ProgramRun, SharedCodesOnKt230RunAsTheOutputFormOnlyWhereItsOperandIsValid) {
    struct Case {
        const char* startEo;
        const char* statements;
        const char* line;
        const char* eo; // after the run
    };
    const Case cases[] = {
        {"0", "EO1 = 1", "&63$257", "1"},
        {"0", "V1 = 1\nEO1 = V1", "&64$257", "1"},
        {"1", "CPAR1 = 5", "&62$5", "1"},
        {"1", "CPAR2 = 9", "&63$9", "1"},             // no bit 9
        {"1", "CPAR2 = 0", "&63$0", "1"},             // no bit 0
        {"1", "CPAR3 = 1", "&64$1", "1"},             // no V0
        {"1", "CPAR3 = 25857", "&64$25857", "1"},     // no V101
        {"1", "CPAR2 = 1", "&63$1", "0"},             // reads as EO1 = 0
        {"0", "V1 = 1\nCPAR3 = 257", "&64$257", "1"}, // reads as EO1 = V1
    };
    for (const Case& c : cases) {
        ProgramRunner runner("KT-230");
        ASSERT_EQ(runner.ask(std::string("EO=") + c.startEo), "OK");
        runToEnd(runner, std::string(c.statements) + "\nV9 = EO1\nV8 = 7\nEND\n");
        const auto& lines = runner.lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.statements;
        EXPECT_NE(std::find(lines.begin(), lines.end(), "&62$1"), lines.end());
        EXPECT_EQ(runner.ask("EO"), c.eo) << c.statements;
        EXPECT_EQ(runner.ask("V9"), c.eo) << c.statements;
        EXPECT_EQ(runner.ask("V8"), "7") << c.statements;
    }
}

TEST(ProgramRun, PowerCycleClearsTheProgramTimer) {
    ProgramRunner runner("QB-450");
    ASSERT_TRUE(runner.load("PRG 0\nTR = 100000\nEND\nPRG 1\nV1 = TR\nEND\n")) << runner.error();
    ASSERT_EQ(runner.ask("SR0=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    runner.pass(100);
    ASSERT_EQ(runner.ask("SR1=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_GT(runner.number("V1"), 99'000) << "the timer runs";
    runner.controller().powerCycle();
    ASSERT_EQ(runner.ask("SR1=1"), "OK");
    ASSERT_TRUE(runner.runUntilStopped());
    EXPECT_EQ(runner.ask("SASTAT1"), "0");
    EXPECT_EQ(runner.ask("V1"), "0");
}

TEST(ProgramRun, VariableZeroOfAProgramIsReadAndWrittenByTheHost) {
    ProgramRunner runner("QB-450");
    ASSERT_EQ(runner.ask("V0=40"), "OK");
    runToEnd(runner, "V1 = V0 + 2\nV0 = V1 * 2\nEND\n");
    EXPECT_EQ(runner.ask("V1"), "42");
    EXPECT_EQ(runner.ask("V0"), "84");
}

} // namespace
