// A program's whole way, as a user goes it: typed into the main window, compiled by the real
// Progsmith, downloaded by the real Proglift into controller-sim over the serial line and over
// USB, run (the poll shows it running and the axis moving), stopped, uploaded back and
// decompiled into the program text; and a compile error that selects its line.

#include "program_run.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using app_testing::ProgramFolder;
using testing_support::SimProcess;

// Moves the axis back and forth, counting the trips in V1.
const QString kProgram = "PRG 0\\nV1 = 0\\nREPEAT\\nV1 = V1 + 1\\nX3000\\nWAITX\\nX0\\nWAITX\\n"
                         "LOOPWHILE V1 < 1000\\nEND";

QStringList runAndUpload(const QStringList& connect) {
    QStringList script = connect;
    script << "waittext frmMain/Pos 0 30000"
           << "settext frmMain/OrgProgram " + kProgram << "click frmMain/CompileAll"
           << "answer 60000"
           << "print frmMain/CompiledTotal"
           << "click frmMain/DownloadSAP"
           << "answer 60000"
           << "click frmMain/RunProg"
           << "waittext frmMain/ProgStatus Running 30000"
           << "waitchange frmMain/Pos 30000"
           << "print frmMain/ProgStatus"
           << "click frmMain/StopProg"
           << "waittext frmMain/ProgStatus Idle 30000"
           << "click frmMain/NewProg"
           << "click frmMain/UploadSAP"
           << "answer 60000"
           << "print frmMain/OrgProgram"
           << "close frmMain"
           << "waitgone frmMain"
           << "click CommType/Close";
    return script;
}

void expectTheProgramsWay(const app_testing::ProgramResult& result, const QStringList& commands,
                          const QString& link) {
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString()
                                  << result.output.join('|').toStdString();
    EXPECT_EQ(
        result.output.mid(0, 3),
        (QStringList{"message=Done!", "frmMain/CompiledTotal=Total Lines: 17", "message=Done!"}))
        << result.output.join('|').toStdString();
    EXPECT_TRUE(result.output.contains("frmMain/ProgStatus=Running"));
    EXPECT_TRUE(result.output.contains("message=Done!"));
    // The decompiled program, a separator line before PRG, indented by its blocks.
    EXPECT_TRUE(result.output.contains(
        "frmMain/OrgProgram=;*************************\\nPRG 0\\nV1=0\\nREPEAT\\n V1=V1+1\\n"
        " X3000\\n WAITX\\n X0\\n WAITX\\nLOOPWHILE V1 < 1000\\nEND\\n"))
        << result.output.join('|').toStdString();
    EXPECT_TRUE(commands.contains(link + " 01 SA0=PS0"));
    EXPECT_TRUE(commands.contains(link + " 01 SR=1"));
    const qsizetype stop = commands.indexOf(link + " 01 SR=0", commands.indexOf(link + " 01 SR=1"));
    EXPECT_GT(stop, 0) << "the program was stopped";
}

TEST(ProgramEndToEnd, OverTheSerialLineAProgramIsCompiledDownloadedRunAndUploaded) {
    SimProcess sim({"--pty", "{dir}/COM1", "--usb", "{dir}/usb", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    const auto result = folder.run(runAndUpload(
        {"wait CommType", "settext combo COM1", "click Command25", "wait frmMain 30000"}));
    expectTheProgramsWay(result, SimProcess::readLog(sim.path("commands.log")), "pty");
    EXPECT_EQ(folder.readExeFile("proglift_setup.txt"),
              "LIN:1785\r\nCOM:SERIAL\r\nDEV:01\r\nPOR:1\r\nBAU:9600\r\nOPE:UPLOAD\r\n"
              "FIL:CompileOut.txt\r\nMOD:KT-210\r\n");
}

TEST(ProgramEndToEnd, OverUsbAProgramIsCompiledDownloadedRunAndUploaded) {
    SimProcess sim({"--pty", "{dir}/COM1", "--usb", "{dir}/usb", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    const auto result = folder.run(runAndUpload(
        {"wait CommType", "click Command1", "wait frmSelect 30000", "select frmSelect/DeviceList 0",
         "click frmSelect/cmdOK", "wait frmMain 30000"}));
    expectTheProgramsWay(result, SimProcess::readLog(sim.path("commands.log")), "usb");
    EXPECT_NE(folder.readExeFile("proglift_setup.txt").indexOf("COM:USB\r\n"), -1);
}

// A running program as the user watches it: its state and line in the main window, the axis it
// moves, the variable it counts in the variables window; "Pause" holds it, "Cont" and "Stop" act.
TEST(ProgramEndToEnd, ARunningProgramIsWatchedPausedContinuedAndStopped) {
    SimProcess sim({"--pty", "{dir}/COM1", "--log", "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    const auto result = folder.run({
        "wait CommType",
        "click Command25",
        "wait frmMain 30000",
        "waittext frmMain/Pos 0 30000",
        "settext frmMain/OrgProgram PRG 0\\nV1 = 0\\nX2000\\nREPEAT\\nV1 = V1 + 1\\nDELAY=20\\n"
        "LOOPWHILE V1 < 1000000\\nEND",
        "click frmMain/CompileAll",
        "answer 60000",
        "click frmMain/DownloadSAP",
        "answer 60000",
        "click frmMain/RunProg",
        "waittext frmMain/ProgStatus Running 30000",
        "waitchange frmMain/Pos 30000",
        "print frmMain/ProgIndex",
        "click frmMain/PauseProg",
        "waittext frmMain/ProgStatus Paused 30000",
        "click frmMain/ContProg",
        "waittext frmMain/ProgStatus Running 30000",
        "click frmMain/Command22",
        "wait VariableForm 30000",
        "waitchange VariableForm/V0_0 30000",
        "waitchange VariableForm/V0_0 30000",
        "close VariableForm",
        "waitgone VariableForm",
        "click frmMain/StopProg",
        "waittext frmMain/ProgStatus Idle 30000",
        "print frmMain/ProgStatus",
        "close frmMain",
        "waitgone frmMain",
        "click CommType/Close",
    });
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString()
                                  << result.output.join('|').toStdString();
    ASSERT_EQ(result.output.size(), 4);
    EXPECT_EQ(result.output.mid(0, 2), (QStringList{"message=Done!", "message=Done!"}));
    // The line the program is at (or waits in): one of its compiled lines after the first.
    EXPECT_TRUE(
        QRegularExpression("^frmMain/ProgIndex=([1-9][0-9]?)$").match(result.output[2]).hasMatch())
        << result.output[2].toStdString();
    EXPECT_EQ(result.output[3], "frmMain/ProgStatus=Idle");
    const QStringList commands = SimProcess::readLog(sim.path("commands.log"));
    const qsizetype run = commands.indexOf("pty 01 SR=1");
    const qsizetype pause = commands.indexOf("pty 01 SR=2", run);
    const qsizetype resume = commands.indexOf("pty 01 SR=3", pause);
    EXPECT_LT(run, pause);
    EXPECT_LT(pause, resume);
    EXPECT_GT(commands.indexOf("pty 01 SR=0", resume), resume);
    EXPECT_GT(commands.indexOf("pty 01 V1", resume), resume) << "the variables window refreshed";
}

TEST(ProgramEndToEnd, ACompileErrorSelectsTheLineAtFault) {
    SimProcess sim({"--pty", "{dir}/COM1", "--usb", "{dir}/usb"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    const auto result = folder.run({
        "wait CommType",
        "click Command25",
        "wait frmMain 30000",
        "settext frmMain/OrgProgram HSPD = 5\\nV1 = 2\\nSTOPY\\nEND",
        "click frmMain/CompileAll",
        "answer 60000",
        "selection frmMain/OrgProgram",
        "close frmMain",
        "waitgone frmMain",
        "click CommType/Close",
    });
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output,
              (QStringList{"message=Failed Compile!\\r\\nUnknown Command!\\r\\nLine: "
                           "3\\r\\n",
                           "frmMain/OrgProgram.selection=STOPY"}));
}

} // namespace
