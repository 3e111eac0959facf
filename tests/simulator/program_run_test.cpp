// Programs compiled by the real compiler, written into the slots and run by the controller.

#include "tests/simulator/program_runner.h"

#include <gtest/gtest.h>

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

TEST(ProgramRun, FaultsStopTheThreadInStateFourAtTheirSlot) {
    struct Case {
        const char* name;
        std::vector<std::string> slots;
        int slot;
    };
    const Case cases[] = {
        {"unknown code", {"CV1", "VR1", "AM", "&999$1", "XX"}, 3},
        {"code the model lacks", {"&107$1", "XX"}, 0},
        {"operand missing", {"AM", "XX"}, 0},
        {"destination not a variable", {"CV1", "CV2", "AM", "XX"}, 2},
        {"jump out of the program", {"JR-1", "XX"}, 0},
        {"condition jump out", {"CV1", "CV1", "JU3$-9", "XX"}, 2},
        {"division by zero", {"CV0", "CV5", "VR1", "OX4", "XX"}, 3},
        {"GOSUB to a missing SUB", {"GS4", "XX"}, 0},
        {"recursion", {"GS1", "XX", "SS1", "GS1", "SE"}, 3},
        {"ENDSUB without GOSUB", {"SE", "XX"}, 0},
        {"variable the model lacks", {"CV1", "VR101", "AM", "XX"}, 2},
        {"not a compiled line", {"CV1", "hello world", "XX"}, 1},
        {"binary", {std::string("\x01\xff\x80&$", 5), "XX"}, 0},
        {"4096 characters", {std::string(4096, 'J'), "XX"}, 0},
        {"unknown operator", {"CV1", "CV2", "VR1", "OX11", "XX"}, 3},
    };
    for (const Case& c : cases) {
        ProgramRunner runner;
        ASSERT_TRUE(runner.loadLines(c.slots)) << c.name << ": " << runner.error();
        ASSERT_EQ(runner.ask("SR=1"), "OK");
        ASSERT_TRUE(runner.runUntilStopped()) << c.name;
        EXPECT_EQ(runner.ask("SASTAT"), "4") << c.name;
        EXPECT_EQ(runner.number("SPC"), c.slot) << c.name;
        EXPECT_EQ(runner.ask("VER"), "V223") << c.name;
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

} // namespace
