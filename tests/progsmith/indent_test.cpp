#include "progsmith/compiler/indent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using progsmith::AddSpacesToProg;

namespace {

std::string linesOf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace

TEST(Indentation, NestedBlocksIndentOneBlankPerLevel) {
    EXPECT_EQ(AddSpacesToProg(linesOf({"WHILE V1 > 0", "IF V2 = 1", "ENDIF ", "ENDWHILE "})),
              linesOf({"WHILE V1 > 0", " IF V2 = 1", " ENDIF ", "ENDWHILE "}));
    EXPECT_EQ(AddSpacesToProg(linesOf({";*************************", "SUB 1", "REPEAT", "V1=5",
                                       "LOOPWHILE V1 > 0", "ENDSUB "})),
              linesOf({";*************************", "SUB 1", " REPEAT", "  V1=5",
                       " LOOPWHILE V1 > 0", "ENDSUB "}));
}

TEST(Indentation, ElseAndElseIfCloseOneBranchAndOpenTheNext) {
    EXPECT_EQ(AddSpacesToProg(linesOf(
                  {"IF V1 = 1", "V2=1", "ELSEIF V1 = 2", "V2=2", "ELSE", "V2=3", "ENDIF "})),
              linesOf({"IF V1 = 1", " V2=1", "ELSEIF V1 = 2", " V2=2", "ELSE", " V2=3", "ENDIF "}));
}

TEST(Indentation, KeywordsArePrefixesAfterLeadingBlanksAndCaseSensitive) {
    // "IFX" opens a block because only the keyword's length is compared; "if" does not.
    EXPECT_EQ(AddSpacesToProg(linesOf({"  IF V1 = 1", "if V1 = 1", "IFX", "x"})),
              linesOf({"  IF V1 = 1", " if V1 = 1", " IFX", "  x"}));
}

TEST(Indentation, UnbalancedClosersNeverIndentNegatively) {
    EXPECT_EQ(AddSpacesToProg(linesOf(
                  {"ENDIF ", "ENDIF ", "IF V1 = 1", "V1=2", "ENDIF ", "WHILE V1 > 0", "V1=3"})),
              linesOf({"ENDIF ", "ENDIF ", "IF V1 = 1", "V1=2", "ENDIF ", "WHILE V1 > 0", "V1=3"}));
}

TEST(Indentation, LineEndsBecomeCrLfAndTextAfterTheLastCrIsDropped) {
    EXPECT_EQ(AddSpacesToProg("IF V1 = 1\rV1=2\n\r\r\nENDIF \r\nno line end"),
              linesOf({"IF V1 = 1", " V1=2", " ", "ENDIF "}));
    EXPECT_EQ(AddSpacesToProg(""), "");
    EXPECT_EQ(AddSpacesToProg("\n\n"), "");
}
