// The baud rate text of the connection state, turned into the settings a port opens with.

#include "link/serial_settings.h"

#include <gtest/gtest.h>

namespace {

using transport::SerialSettings;
using transport::serialSettingsFor;

TEST(SerialSettings, BaudRateTextGivesThePortsSettings) {
    EXPECT_EQ(serialSettingsFor(3, "115200"), (SerialSettings{3, 115200}));
    EXPECT_EQ(serialSettingsFor(1, " 9600 "), (SerialSettings{1, 9600}));
    EXPECT_EQ((SerialSettings{1, 38400}).text(), "38400,N,8,1");
}

TEST(SerialSettings, RefusesTextThatIsNoBaudRate) {
    for (const char* text : {"", " ", "abc", "9600x", "-9600", "0", "1e5", "99999999999", "96 00"})
        EXPECT_FALSE(serialSettingsFor(1, text)) << text;
    EXPECT_EQ(transport::invalidSettingsText("fast"), "Invalid port settings \"fast,N,8,1\".");
}

} // namespace
