// Reply decoding that the window tests do not reach: odd version replies and number formats.

#include "controller/status_decoding.h"

#include <gtest/gtest.h>

namespace controller {
namespace {

TEST(StatusDecoding, FirmwareVersionIsTheThreeCharactersAfterTheFirst) {
    EXPECT_EQ(firmwareVersionFromReply("V231"), 231);
    EXPECT_EQ(firmwareVersionFromReply("V2215"), 221);
    EXPECT_EQ(firmwareVersionFromReply("V22"), 22);
    EXPECT_EQ(firmwareVersionFromReply("V"), 0);
    EXPECT_EQ(firmwareVersionFromReply(""), 0);
    EXPECT_EQ(firmwareVersionFromReply("?VER"), 0);
}

TEST(StatusDecoding, NumericRepliesAreReformattedOrRefused) {
    EXPECT_EQ(replyDecimalText("+0042"), "42");
    EXPECT_EQ(replyDecimalText("-7"), "-7");
    EXPECT_EQ(replyDecimalText(" 12 "), "12");
    EXPECT_EQ(replyDecimalText("2147483648"), std::nullopt);
    EXPECT_EQ(replyDecimalText("?PX"), std::nullopt);
    EXPECT_EQ(replyDecimalText(""), std::nullopt);
    EXPECT_EQ(replyDecimalText(std::string("1\0"
                                           "2",
                                           3)),
              std::nullopt);
}

} // namespace
} // namespace controller
