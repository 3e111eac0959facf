// The serial-port control on a real pseudo-terminal: port mapping, settings, the bytes on the
// wire, characters left in the port, silence and a port that goes away.

#include "link/serial_port_link.h"
#include "pseudo_terminal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace {

using testing::HasSubstr;
using transport::ReadResult;
using transport::SerialPortLink;
using transport_testing::PseudoTerminal;

constexpr int Port = 3;

class SerialPortLinkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { transport_testing::ensureApplication(); }
    void SetUp() override { ASSERT_TRUE(line.ready()); }

    PseudoTerminal line{Port};
    SerialPortLink link{line.exeFolder()};
};

TEST(SerialPortPath, PrefersLinkInExeFolderElseSystemPort) {
    PseudoTerminal line(Port);
    ASSERT_TRUE(line.ready());

    EXPECT_EQ(transport::serialPortPath(Port, line.exeFolder()), line.linkPath());
    EXPECT_EQ(transport::serialPortPath(1, line.exeFolder()), "/dev/ttyS0");
    EXPECT_EQ(transport::serialPortPath(12, line.exeFolder()), "/dev/ttyS11");
    EXPECT_EQ(transport::serialPortPath(0, line.exeFolder()), "");
}

TEST_F(SerialPortLinkTest, WritesBytesAndLeavesUnreadCharactersInPort) {
    ASSERT_TRUE(link.open({Port, 9600})) << link.errorText();
    EXPECT_EQ(link.devicePath(), line.linkPath());

    ASSERT_TRUE(link.write("@01PX\r"));
    EXPECT_EQ(line.receiveLine(), "@01PX\r");

    line.send("7\r8");
    std::string received;
    for (int i = 0; i < 3; ++i) {
        const ReadResult read = link.readChar(1000);
        ASSERT_EQ(read.status, ReadResult::Char);
        received.push_back(read.ch);
    }
    EXPECT_EQ(received, "7\r8");
    EXPECT_EQ(link.readChar(20).status, ReadResult::Silence);
}

TEST_F(SerialPortLinkTest, SilenceLastsTheGivenTime) {
    ASSERT_TRUE(link.open({Port, 9600}));
    QElapsedTimer timer;
    timer.start();

    EXPECT_EQ(link.readChar(80).status, ReadResult::Silence);
    EXPECT_GE(timer.elapsed(), 75);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(SerialPortLinkTest, MissingPortFailsOpenNamingThePath) {
    EXPECT_FALSE(link.open({250, 9600}));
    EXPECT_THAT(link.errorText(), HasSubstr("/dev/ttyS249"));
}

TEST_F(SerialPortLinkTest, ReopenUsesTheEarlierPortAndSettings) {
    EXPECT_FALSE(link.reopen());
    ASSERT_TRUE(link.open({Port, 19200}));
    link.close();
    EXPECT_FALSE(link.write("X"));

    ASSERT_TRUE(link.reopen());
    ASSERT_TRUE(link.write("@01VER\r"));
    EXPECT_EQ(line.receiveLine(), "@01VER\r");
}

TEST_F(SerialPortLinkTest, VanishedPortIsAnErrorNotAWait) {
    ASSERT_TRUE(link.open({Port, 9600}));
    line.hangUp();
    QElapsedTimer timer;
    timer.start();

    EXPECT_EQ(link.readChar(3000).status, ReadResult::Error);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_THAT(link.errorText(),
                HasSubstr("COM3 (" + line.deviceName() +
                          ") is gone: the adapter was unplugged or switched off."));
}

} // namespace
