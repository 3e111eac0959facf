// A controller that vanishes under the program (an adapter unplugged; here controller-sim killed
// with its pseudo-terminal): the failure is told once, the port is closed, and the program is
// idle with the message box open and after it.

#include "program_run.h"

#include <gtest/gtest.h>

namespace {

using app_testing::ProgramFolder;
using testing_support::SimProcess;

TEST(LinkLost, AVanishedControllerLeavesTheProgramIdle) {
    SimProcess sim({"--pty", "{dir}/COM1", "--usb", "{dir}/usb", "--id", "01"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    QProcess program;
    folder.start(program, {"wait CommType", "settext combo COM1", "settext baudCom 9600",
                           "settext DeviceIDCombo 01", "click Command25", "wait frmMain 30000",
                           "waittext frmMain/Pos 0 30000", "say polling", "waitbox 30000",
                           "sleep 3000", "answer", "say answered", "sleep 3000", "quit"});
    ASSERT_TRUE(ProgramFolder::waitForLine(program, "polling"));
    sim.process().kill();
    const auto message = ProgramFolder::waitForLine(program, "message=");
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->startsWith("message=Communication Error! COM1 ("))
        << message->toStdString();
    const double withBox = ProgramFolder::coreShareOver(program.processId(), 2500);
    const auto answered = ProgramFolder::waitForLine(program, "answered");
    ASSERT_TRUE(answered);
    const double after = ProgramFolder::coreShareOver(program.processId(), 2500);
    std::printf("share of a core: %.3f with the box open, %.3f after it\n", withBox, after);
    // A port that failed and kept retrying its write used a whole core.
    EXPECT_LT(withBox, 0.05);
    EXPECT_LT(after, 0.05);
    program.waitForFinished(10000);
    const QString rest = QString::fromLocal8Bit(program.readAllStandardOutput());
    EXPECT_FALSE(rest.contains("message=")) << "told more than once: " << rest.toStdString();
}

} // namespace
