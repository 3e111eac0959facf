#include "proglift/loader/controller_models.h"

#include <gtest/gtest.h>

using namespace proglift;

TEST(ControllerModels, TwoModelsHaveLongPagesAndUnknownModelsHaveNone) {
    EXPECT_EQ(PageSize("QW-310"), 170);
    EXPECT_EQ(PageSize("QB-440"), 170);
    for (const char* model : {"QB-450", "QB-430", "QB-420", "QB-410", "KT-210", "KT-220", "KT-230",
                              "QW-320", "QW-330", "QW-340", "QW-350"})
        EXPECT_EQ(PageSize(model), 85) << model;
    EXPECT_FALSE(PageSize("kt-210").has_value());
    EXPECT_FALSE(PageSize("").has_value());
}

TEST(LastPageLine, ProgramIsFollowedByTheRestOfItsPage) {
    struct Case {
        int32_t totalLine, lineLimit, pageSize, expected;
    };
    const Case cases[] = {
        {100, 1785, 85, 169},
        {85, 1785, 85, 84},
        {86, 1785, 85, 169},
        {0, 1785, 85, -1},
        {1, 1785, 85, 84},
        {1785, 1785, 85, 1784},
        {1700, 1785, 170, 1699},
        {171, 1785, 170, 339},
        // No page end within the first ten pages of 170 lines: up to the last slot.
        {1701, 1785, 170, 1784},
        {1785, 1785, 170, 1784},
        // A page that reaches past the controller's last slot stops at that slot.
        {100, 130, 85, 129},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LastPageLine(c.totalLine, c.lineLimit, c.pageSize), c.expected)
            << c.totalLine << " lines, limit " << c.lineLimit << ", pages of " << c.pageSize;
    }
}
