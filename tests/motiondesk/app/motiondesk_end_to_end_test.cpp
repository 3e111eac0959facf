#include "program_run.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using app_testing::ProgramFolder;
using testing_support::SimProcess;

QStringList simulatorArguments(const QString& id, const QString& baud) {
    return {"--pty", "{dir}/COM1", "--usb", "{dir}/usb", "--id",
            id,      "--baud",     baud,    "--log",     "{dir}/commands.log"};
}

// A Motiondesk killed while saving its settings or a job file left a temporary beside it; the
// next start removes it.
TEST(MotiondeskEndToEnd, LeftoversOfAKilledSaveAreRemovedAtStart) {
    SimProcess sim(simulatorArguments("01", "9600"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));
    const QStringList leftovers = {"commsetup.ini.tmp4242", "Program.prg.tmp77",
                                   "proglift_setup.txt.tmp9"};
    for (const QString& name : leftovers) {
        QFile file(folder.exe(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto result = folder.run({"wait CommType", "click CommType/Close"});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    for (const QString& name : leftovers)
        EXPECT_FALSE(QFile::exists(folder.exe(name))) << name.toStdString();
}

TEST(MotiondeskEndToEnd, Rs485ConnectsShowsTheControllerAndMovesTheAxis) {
    SimProcess sim(simulatorArguments("01", "9600"));
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
        "waittext frmMain/Pos 0 30000",
        "print frmMain/ID",
        "print frmMain/Version",
        "print frmMain/SN",
        "click frmMain/Command13",
        "waitchange frmMain/Pos 30000",
        "click frmMain/Command15",
        "close frmMain",
        "waitgone frmMain",
        "click CommType/Close",
    });

    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains("frmMain/ID=01")) << result.output.join('|').toStdString();
    EXPECT_TRUE(result.output.contains("frmMain/Version=V223"));
    EXPECT_TRUE(result.output.contains("frmMain/SN=KTR01"));
    EXPECT_EQ(folder.readExeFile("commsetup.ini"), "COM1\r\n9600\r\n01\r\n");
    const QStringList commands = SimProcess::readLog(sim.path("commands.log"));
    ASSERT_GE(commands.size(), 2);
    EXPECT_EQ(commands.mid(0, 2), (QStringList{"pty 01 DN", "pty 01 VER"}));
    EXPECT_TRUE(commands.contains("pty 01 J+"));
    EXPECT_TRUE(commands.contains("pty 01 STOP"));
}

TEST(MotiondeskEndToEnd, UsbConnectsThroughTheDeviceList) {
    SimProcess sim(simulatorArguments("01", "9600"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));

    const auto result = folder.run({
        "wait CommType",
        "click Command1",
        "wait frmSelect 30000",
        "print frmSelect/DeviceList",
        "select frmSelect/DeviceList 0",
        "click frmSelect/cmdOK",
        "wait frmMain 30000",
        "waittext frmMain/Pos 0 30000",
        "print frmMain/SN",
        "close frmMain",
        "waitgone frmMain",
        "click CommType/Close",
    });

    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.output.contains("frmSelect/DeviceList=KTR01 , Index=0"))
        << result.output.join('|').toStdString();
    EXPECT_TRUE(result.output.contains("frmMain/SN=KTR01"));
    EXPECT_TRUE(QRegularExpression("^0,-?[0-9]+\r\n$")
                    .match(QString::fromLatin1(folder.readExeFile("USBHandle.ini")))
                    .hasMatch());
    const QStringList commands = SimProcess::readLog(sim.path("commands.log"));
    ASSERT_FALSE(commands.isEmpty());
    EXPECT_EQ(commands.first(), "usb 01 VER") << "USB skips the serial model check";
}

TEST(MotiondeskEndToEnd, AUsbControllerThatVanishesEndsTheProgramAfterOneMessage) {
    QStringList arguments = simulatorArguments("01", "9600");
    arguments << "--fault"
              << "disconnect:40";
    SimProcess sim(arguments);
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));

    const auto result = folder.run({
        "wait CommType",
        "click Command1",
        "wait frmSelect 30000",
        "select frmSelect/DeviceList 0",
        "click frmSelect/cmdOK",
        "answer 30000",
        // The program ends when the message is acknowledged; this wait never completes.
        "wait NoSuchWindow 30000",
    });

    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output, QStringList{"message=Error communication.  Closing application..."});
}

TEST(MotiondeskEndToEnd, SearchFindsTheControllerAtItsOwnRateAndId) {
    SimProcess sim(simulatorArguments("03", "38400"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    ProgramFolder folder;
    ASSERT_TRUE(folder.prepare(sim));

    const auto result = folder.run({
        "wait CommType",
        "click SearchQW",
        "answer 90000",
        "print combo",
        "print baudCom",
        "print DeviceIDCombo",
        "click CommType/Close",
    });

    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output, (QStringList{"message=KT-210 Found on Port:1 Baud:38400 ID:03",
                                          "combo=COM1", "baudCom=38400", "DeviceIDCombo=03"}));
    EXPECT_EQ(SimProcess::readLog(sim.path("commands.log")), QStringList{"pty 03 DN"})
        << "only the frame at its own rate and ID reaches the controller";
}

} // namespace
