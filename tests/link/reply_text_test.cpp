// Turning received bytes into reply text.

#include "link/command_transport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CleanReply, DropsHashAndTwoCharacterId) {
    struct Case {
        const char* raw;
        const char* cleaned;
    };
    const Case cases[] = {
        {"#01123", "123"}, {"#", ""}, {"#01", ""},      {"#0", ""},
        {"123", "123"},    {"", ""},  {"1#01", "1#01"}, {"#AB#01X", "#01X"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(transport::CleanReply(c.raw), c.cleaned) << c.raw;
}

TEST(BytesToText, StopsAtFirstZero) {
    const uint8_t bytes[] = {'K', 'T', 'R', '0', '1', 0, 'X'};
    EXPECT_EQ(transport::BytesToText(bytes, sizeof bytes), "KTR01");
}

TEST(BytesToText, StopsAtBufferEndWithoutZero) {
    const uint8_t bytes[] = {'A', 0xE9, 'B'};
    EXPECT_EQ(transport::BytesToText(bytes, sizeof bytes), "A\xE9"
                                                           "B");
}

TEST(BytesToText, TakesAtMost256Characters) {
    std::vector<uint8_t> bytes(257, 'z');
    EXPECT_EQ(transport::BytesToText(bytes.data(), bytes.size()), std::string(256, 'z'));
}

} // namespace
