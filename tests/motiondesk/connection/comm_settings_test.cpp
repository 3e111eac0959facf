#include "connection_harness.h"
#include "motiondesk/connection/comm_settings.h"

#include <gtest/gtest.h>

namespace {

using connection::CommSettings;

TEST(CommSettingsFile, WritesThreeCrLfLines) {
    connection_testing::ConnectionHarness world;
    ASSERT_TRUE(
        connection::writeCommSettings(world.path("commsetup.ini"), {"COM3", "19200", "01"}));
    EXPECT_EQ(world.readFile("commsetup.ini"), "COM3\r\n19200\r\n01\r\n");
}

TEST(CommSettingsFile, MissingFileGivesNothing) {
    connection_testing::ConnectionHarness world;
    EXPECT_FALSE(connection::readCommSettings(world.path("commsetup.ini")).has_value());
}

TEST(CommSettingsFile, DamagedFilesGiveTheirTextsAndEmptyForWhatIsMissing) {
    struct Case {
        std::string bytes;
        std::string port, baud, id;
    };
    const Case cases[] = {
        {"COM12\r\n115200\r\n07\r\n", "COM12", "115200", "07"},
        {"COM2\n38400\n03", "COM2", "38400", "03"}, // bare LF, no final line end
        {"COM4\r\n", "COM4", "", ""},               // short
        {"", "", "", ""},                           // empty
        {"COM5\r\n9600\r\n02\r\nextra\r\nmore\r\n", "COM5", "9600", "02"},
        {"\r\n\r\n09\r\n", "", "", "09"}, // empty lines stay empty
        {std::string("\x01\xff\x00z\r\n\x80\r\n", 9), std::string("\x01\xff\x00z", 4), "\x80",
         ""}, // binary kept byte for byte
    };
    for (const Case& c : cases) {
        connection_testing::ConnectionHarness world;
        world.writeFile("commsetup.ini", c.bytes);
        const auto settings = connection::readCommSettings(world.path("commsetup.ini"));
        ASSERT_TRUE(settings.has_value());
        EXPECT_EQ(settings->port, c.port);
        EXPECT_EQ(settings->baud, c.baud);
        EXPECT_EQ(settings->deviceId, c.id);
    }
}

TEST(CommSettingsFile, PortNumberComesFromTheLastOneOrTwoCharacters) {
    const std::pair<std::string, int> cases[] = {
        {"COM1", 1}, {"COM7", 7}, {"COM12", 12}, {"COM15", 15}, {"COM10", 10},
        {"", 0},     {"COMX", 0}, {"7", 7},      {"ab", 0},     {"COM-1", 0},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(connection::portNumberFromText(text), number) << text;
}

} // namespace
