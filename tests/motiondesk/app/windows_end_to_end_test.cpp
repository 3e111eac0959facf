// The terminal, variables and multi-thread windows worked in the real program against
// controller-sim: two controllers on one serial line and a broadcast, variables a command
// changes, and a program started, shown running and stopped from the multi-thread window.

#include "program_run.h"

#include <gtest/gtest.h>

namespace {

using app_testing::ProgramFolder;
using testing_support::SimProcess;

const QStringList kConnect = {
    "wait CommType",   "settext combo COM1", "settext DeviceIDCombo 01",
    "click Command25", "wait frmMain 30000", "waittext frmMain/Pos 0 30000"};

TEST(WindowsEndToEnd, TheTerminalAddressesEitherControllerOnTheLineAndBroadcasts) {
    SimProcess sim({"--pty", "{dir}/COM1", "--id", "01,02", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    QStringList script = kConnect;
    script << "click frmMain/ManualTerminal"
           << "wait TerminalForm 30000"
           << "settext TerminalForm/DeviceID 2"
           << "settext TerminalForm/SendText DN"
           << "key TerminalForm/SendText Return"
           << "waittext TerminalForm/Pad KTR02 30000"
           << "settext TerminalForm/DeviceID 0"
           << "settext TerminalForm/SendText HSPD=4321"
           << "key TerminalForm/SendText Return"
           << "waittext TerminalForm/Pad BROADCAST 30000"
           << "settext TerminalForm/DeviceID 1"
           << "settext TerminalForm/SendText HSPD"
           << "key TerminalForm/SendText Return"
           << "waittext TerminalForm/Pad <4321 30000"
           << "settext TerminalForm/DeviceID 2"
           << "settext TerminalForm/SendText HSPD"
           << "key TerminalForm/SendText Return"
           << "waittext TerminalForm/Pad @02HSPD\\n<4321 30000"
           << "print TerminalForm/Pad"
           << "close TerminalForm"
           << "waitgone TerminalForm"
           << "close frmMain"
           << "waitgone frmMain"
           << "click CommType/Close";
    const auto result = folder.run(script);
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    // The broadcast set both controllers' speed, and neither answered it.
    EXPECT_EQ(result.output, QStringList{"TerminalForm/Pad=>@02DN\\n<KTR02\\n>@00HSPD=4321\\n"
                                         "<BROADCAST SENT!\\n>@01HSPD\\n<4321\\n>@02HSPD\\n<4321"});
    const QStringList commands = SimProcess::readLog(sim.path("commands.log"));
    EXPECT_TRUE(commands.contains("pty 02 DN"));
    EXPECT_TRUE(commands.contains("pty 00 HSPD=4321"));
}

TEST(WindowsEndToEnd, TheVariablesShowWhatTheControllerHoldsAndWhatACommandSets) {
    SimProcess sim({"--pty", "{dir}/COM1", "--state", "V5=77", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    QStringList script = kConnect;
    script << "click frmMain/Command22"
           << "wait VariableForm 30000"
           << "waittext VariableForm/V0_4 77 30000"
           << "settext VariableForm/CommandText V6=12"
           << "key VariableForm/CommandText Return"
           << "waittext VariableForm/V0_5 12 30000"
           << "print VariableForm/V0_4"
           << "print VariableForm/V0_5"
           << "close VariableForm"
           << "waitgone VariableForm"
           << "close frmMain"
           << "waitgone frmMain"
           << "click CommType/Close";
    const auto result = folder.run(script);
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output, (QStringList{"VariableForm/V0_4=77", "VariableForm/V0_5=12"}));
    EXPECT_TRUE(SimProcess::readLog(sim.path("commands.log")).contains("pty 01 V6=12"));
}

TEST(WindowsEndToEnd, TheMultiThreadWindowRunsAndStopsADownloadedProgram) {
    SimProcess sim({"--pty", "{dir}/COM1", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    QStringList script = kConnect;
    script << "settext frmMain/OrgProgram PRG 0\\nREPEAT\\nV1 = V1 + 1\\nDELAY=10\\n"
              "LOOPWHILE V1 > 0\\nEND"
           << "click frmMain/CompileAll"
           << "answer 60000"
           << "click frmMain/DownloadSAP"
           << "answer 60000"
           << "click frmMain/Command23"
           << "wait MultiThread 30000"
           << "click MultiThread/RunProg"
           << "waittext MultiThread/ProgStatus_0 Running 30000"
           << "click MultiThread/StopProg"
           << "waittext MultiThread/ProgStatus_0 Idle 30000"
           << "print MultiThread/ProgStatus_0"
           << "print MultiThread/ProgStatus_1"
           << "close MultiThread"
           << "waitgone MultiThread"
           << "close frmMain"
           << "waitgone frmMain"
           << "click CommType/Close";
    const auto result = folder.run(script);
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output,
              (QStringList{"message=Done!", "message=Done!", "MultiThread/ProgStatus_0=Idle",
                           "MultiThread/ProgStatus_1=Idle"}));
    const QStringList commands = SimProcess::readLog(sim.path("commands.log"));
    const qsizetype stop = commands.indexOf("pty 01 SR0=0");
    ASSERT_GT(stop, commands.indexOf("pty 01 SR0=1"));
    EXPECT_EQ(commands.value(stop + 1), "pty 01 ABORT");
}

} // namespace
