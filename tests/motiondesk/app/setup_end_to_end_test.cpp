// The set-up windows in the real program against the real controller-sim: a new user's way
// through "Setup", "Down", "Store" and "DIO Control".

#include "program_run.h"

#include <gtest/gtest.h>

namespace {

using app_testing::ProgramFolder;
using testing_support::SimProcess;

TEST(SetupEndToEnd, SettingsGoDownAreStoredAndTheDioTableFollows) {
    SimProcess sim({"--pty", "{dir}/COM1", "--usb", "{dir}/usb", "--firmware", "230", "--log",
                    "{dir}/commands.log"});
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));

    const auto result = folder.run({
        "wait CommType",
        "settext combo COM1",
        "settext baudCom 9600",
        "settext DeviceIDCombo 01",
        "click Command25",
        "wait frmMain 30000",
        "waittext frmMain/ProgStatus Idle 30000",
        "waittext frmMain/Stat IDLE 30000",
        "click frmMain/SetupButton",
        "wait Setup 30000",
        "print Setup/Watchdog",
        "print Setup/DeviceIDCombo",
        "print Setup/baudCombo",
        "print Setup/EncoderX1",
        "settext Setup/Watchdog 250",
        "click Setup/DirPolHigh",
        "click Setup/DownloadPar",
        "answer 30000",
        "click Setup/StoreToFlash",
        "answer Yes 30000",
        "answer 30000",
        "click Setup/DIOSetup",
        "wait DIO 30000",
        "print DIO/MoveType3",
        "settext DIO/Hspd10 5000",
        "click DIO/Download",
        "answer 60000",
        "click DIO/CloseButton",
        "waitgone DIO",
        "click Setup/CloseButton",
        "waitgone Setup",
        "close frmMain",
        "waitgone frmMain",
        "click CommType/Close",
    });

    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output,
              (QStringList{"Setup/Watchdog=0", "Setup/DeviceIDCombo=01", "Setup/baudCombo=9600",
                           "Setup/EncoderX1=checked", "message=Settings downloaded!",
                           "message=Changed in this window since it read the controller:\\n"
                           "    Dir: High (was Low)\\n    Time-out Counter: 250 (was 0)\\n\\n"
                           "Are you sure you want to save parameters to flash?",
                           "message=Store to Flash done!", "DIO/MoveType3=NONE",
                           "message=Download Done!"}));
    const QStringList commands = SimProcess::readLog(sim.path("commands.log"));
    for (const char* command :
         {"pty 01 POL=2", "pty 01 TOC=250", "pty 01 STORE", "pty 01 MPA2=5000"})
        EXPECT_TRUE(commands.contains(command)) << command;
}

} // namespace
