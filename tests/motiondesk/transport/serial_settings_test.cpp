// Reading the serial-port settings text.

#include "motiondesk/transport/serial_settings.h"

#include <gtest/gtest.h>

namespace {

using transport::parseSerialSettings;
using transport::SerialSettings;

TEST(SerialSettings, ReadsBaudRateAndFraming) {
    const auto settings = parseSerialSettings("115200,N,8,1");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->baudRate, 115200);
    EXPECT_EQ(settings->parity, SerialSettings::Parity::None);
    EXPECT_EQ(settings->dataBits, 8);
    EXPECT_EQ(settings->stopBits, SerialSettings::StopBits::One);
}

TEST(SerialSettings, ReadsOtherFramings) {
    const auto settings = parseSerialSettings("4800,e,7,2");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->parity, SerialSettings::Parity::Even);
    EXPECT_EQ(settings->dataBits, 7);
    EXPECT_EQ(settings->stopBits, SerialSettings::StopBits::Two);
}

TEST(SerialSettings, RefusesTextThatIsNoSetting) {
    for (const char* text : {"", ",N,8,1", "abc,N,8,1", "9600x,N,8,1", "-9600,N,8,1", "0,N,8,1",
                             "1e5,N,8,1", "99999999999,N,8,1", "9600,Q,8,1", "9600,N,9,1",
                             "9600,N,8,3", "9600,N,8", "9600,N,8,1,1"})
        EXPECT_FALSE(parseSerialSettings(text)) << text;
}

} // namespace
