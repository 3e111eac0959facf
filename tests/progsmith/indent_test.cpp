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

TEST(Indentation, EachOpenBlockIndentsOneBlank) {
    EXPECT_EQ(AddSpacesToProg(linesOf({"WHILE V1 > 0", "IF V2 = 1", "ENDIF ", "ENDWHILE "})),
              linesOf({"WHILE V1 > 0", " IF V2 = 1", " ENDIF ", "ENDWHILE "}));
    EXPECT_EQ(AddSpacesToProg(linesOf({"SUB 1", "REPEAT", "IF V1 = 1", "ELSEIF V1 = 2", "V2=2",
                                       "ELSE", "ENDIF ", "LOOPWHILE V1 > 0", "ENDSUB "})),
              linesOf({"SUB 1", " REPEAT", "  IF V1 = 1", "  ELSEIF V1 = 2", "   V2=2", "  ELSE",
                       "  ENDIF ", " LOOPWHILE V1 > 0", "ENDSUB "}));
}

TEST(Indentation, KeywordsArePrefixesAfterLeadingBlanksAndCaseSensitive) {
    EXPECT_EQ(AddSpacesToProg(linesOf({"  IF V1 = 1", "if V1 = 1", "IFX", "x"})),
              linesOf({"  IF V1 = 1", " if V1 = 1", " IFX", "  x"}));
}

TEST(Indentation, UnbalancedClosersNeverIndentNegatively) {
    EXPECT_EQ(AddSpacesToProg(linesOf({"ENDIF ", "ENDIF ", "IF V1 = 1", "V1=2"})),
              linesOf({"ENDIF ", "ENDIF ", "IF V1 = 1", "V1=2"}));
}

TEST(Indentation, LineEndsBecomeCrLfAndTextAfterTheLastCrIsDropped) {
    EXPECT_EQ(AddSpacesToProg("IF V1 = 1\rV1=2\n\r\r\nENDIF \r\nno line end"),
              linesOf({"IF V1 = 1", " V1=2", " ", "ENDIF "}));
    EXPECT_EQ(AddSpacesToProg("\n\n"), "");
}
