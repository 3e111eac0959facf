#include "common/bits.h"

#include <gtest/gtest.h>

using namespace common;

TEST(BitHelpers, AndOrWorkOnTheLow24Bits) {
    EXPECT_EQ(BitAnd24(0xF0F0F0, 0xFF00FF), 0xF000F0);
    EXPECT_EQ(BitOr24(0x000F00, 0x0000F0), 0x000FF0);
    EXPECT_EQ(BitAnd24(0x1FFFFFF, 0x1000001), 1) << "bit 24 and up are outside the helpers";
    EXPECT_EQ(BitOr24(0, 0), 0);
}

TEST(BitHelpers, ShiftsMultiplyAndDivideByPowersOfTwo) {
    EXPECT_EQ(ShiftLeft(3, 8), 768);
    EXPECT_EQ(ShiftLeft(-5, 8), -1280);
    EXPECT_FALSE(ShiftLeft(1 << 24, 8).has_value()) << "overflow is an error";
    EXPECT_EQ(ShiftRight(769, 8), 3);
    EXPECT_EQ(ShiftRight(-1279, 8), -5) << "arithmetic shift";
}

TEST(BitHelpers, PackingIsExactIn32Bits) {
    EXPECT_EQ(packSelector(3, 1), 769);
    EXPECT_EQ(packSelector(-5, 1), -1279);
    EXPECT_FALSE(packSelector(int64_t{1} << 24, 0).has_value());
    const int32_t operand = *packSelector(-5, 1);
    EXPECT_EQ(selectorOf(operand), 1);
    EXPECT_EQ(shiftedValueOf(operand), -5);
    EXPECT_EQ(byteValueOf(769), 3);
}
