#include "common/numbers.h"

#include <gtest/gtest.h>

using namespace common;

TEST(WholeNumber, AcceptsDecimalTextWithBlanksAndSign) {
    EXPECT_EQ(toWholeNumber("1000"), 1000);
    EXPECT_EQ(toWholeNumber("  -25 "), -25);
    EXPECT_EQ(toWholeNumber("+7"), 7);
    EXPECT_EQ(toWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(toWholeNumber("-2147483648"), INT32_MIN);
}

TEST(WholeNumber, HalvesGoToTheEvenNeighbour) {
    struct Case { const char* text; int32_t expected; };
    const Case cases[] = {{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"-3.5", -4},
                          {"2.4", 2}, {"2.51", 3}, {"0.5", 0}, {"1.5", 2}, {"7.", 7}, {".6", 1}};
    for (const auto& c : cases) EXPECT_EQ(toWholeNumber(c.text), c.expected) << c.text;
}

TEST(WholeNumber, RejectsWhatIsNotANumber) {
    for (const char* text : {"", " ", "abc", "12a", "1 2", "-", ".", "2147483648", "1e5", "\x01"})
        EXPECT_FALSE(toWholeNumber(text).has_value()) << text;
    EXPECT_FALSE(toWholeNumber16("40000").has_value());
    EXPECT_EQ(toWholeNumber16("-32768"), -32768);
}

TEST(WholeNumber, LeadingIntegerTakesSignAndDigitsOnly) {
    EXPECT_EQ(leadingInteger("-1279abc"), -1279);
    EXPECT_EQ(leadingInteger("abc"), 0);
    EXPECT_EQ(leadingInteger("99999999999"), INT32_MAX);
    EXPECT_EQ(leadingInteger("-99999999999"), INT32_MIN);
}

TEST(WholeNumber, RoundHalfEvenDivides) {
    EXPECT_EQ(roundHalfEven(640, 256), 2);  // 2.5
    EXPECT_EQ(roundHalfEven(896, 256), 4);  // 3.5
    EXPECT_EQ(roundHalfEven(-640, 256), -2);
    EXPECT_EQ(roundHalfEven(769, 256), 3);
    EXPECT_EQ(roundHalfEven(-1279, 256), -5);
}
