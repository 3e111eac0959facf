#include "progsmith/compiler/clean.h"
#include "progsmith/compiler/tokeniser.h"

#include <gtest/gtest.h>

using namespace progsmith;
using Lines = std::vector<std::string>;

namespace {

// What Clean makes of one source line: the statement, or "" when the line is dropped.
std::string statementOf(const std::string& line) {
    const Lines clean = Clean(line);
    if (clean.empty()) return "";
    return clean[0].substr(clean[0].find(' ', clean[0].find(' ') + 1) + 1);
}

} // namespace

TEST(CleanUp, WorkedResults) {
    struct Row {
        const char* input;
        const char* statement;
    };
    const Row rows[] = {
        {"  hspd=1000   ; set speed", "HSPD = 1000 "},
        {"V1=V2+5", "V1 = V2 + 5"},
        {"if v1>=10", "IF V1 >= 10"},
        {"if v1!=0", "IF V1 != 0"},
        {"X 1000 Y - 500", "X1000 Y-500"},
        {"x1000y-500", "X1000 Y-500"},
        // Two passes: the second puts the blank after "=" that "DO=" kept from the first.
        {"DO=5", "DO = 5"},
        {"TOC=5", "TOC = 5"},
        {"ACC=100", "ACC = 100"},
        {"' comment only", ""},
        {"; comment only", ""},
        {"   ", ""},
        {"V1 = 5 ' note", "V1 = 5 "},
        {"ENDIF", "ENDIF "},
        {"OFF", "OFF"},
        {"5-3", "5 - 3"},
        {"V1=-5", "V1 = -5"},
        {"HSPD=-5", "HSPD = -5"},
        {"V1 = V2 - 3", "V1 = V2 - 3"},
        {"V1 = PX - 5", "V1 = PX-5"},
        {"V2=V1<<2", "V2 = V1 << 2"},
        {"V2=V1>>2", "V2 = V1 >> 2"},
        {"V1=V2&V3", "V1 = V2 & V3"},
        {"V3=~V4", "V3 = ~V4"},
        {"WHILE V1<10", "WHILE V1 < 10"},
        {"elseif v1=2", "ELSEIF V1 = 2"},
        {"JOGX+", "JOGX + "},
        {"HOMEX-", "HOMEX -"},
        {"homey+", "HOMEY + "},
        {"LHOMEX-", "LHOMEX -"},
        {"HLHOMEY-", "HLHOMEY -"},
        {"I 100 : 200 : 300 : 400", "I100:200:300:400"},
        {"ARCP 10 : 20 : V3", "ARCP10:20:V3"},
        // Mixed-case keywords meet the letter rules before they are upper case.
        {"If ACC = 5", "IF ACC =5"},
        // Only the blank separates tokens; a tab stays inside its token.
        {"V1\t=5", "V1\t = 5"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(statementOf(row.input), row.statement) << row.input;
}

TEST(CleanUp, UpperCasesPlainLettersOnly) {
    EXPECT_EQ(statementOf("v1 = \xe9t\xe9"), "V1 = \xe9T\xe9");
}

TEST(CleanUp, NumbersEntriesAndKeepsSourceLineNumbers) {
    EXPECT_EQ(Clean(""), Lines{});
    EXPECT_EQ(Clean("' only\r\n\r\n; comments\r\n"), Lines{});
    EXPECT_EQ(Clean("' head\r\n\r\nV1 = 1\r\n  \r\nEND\r\n"), (Lines{"1 3 V1 = 1", "2 5 END"}));
    EXPECT_EQ(Clean("END"), Lines{"1 1 END"});
}

TEST(CleanUp, HugeLineStaysOneEntry) {
    const std::string line = "V1 = " + std::string(100000, '9');
    const Lines clean = Clean(line);
    ASSERT_EQ(clean.size(), 1u);
    EXPECT_EQ(clean[0].size(), line.size() + 4);
}

TEST(Tokeniser, RowsHoldFieldsTokensAndCount) {
    struct Row {
        const char* entry;
        std::array<const char*, 5> tokens;
        int count;
    };
    const Row rows[] = {
        {"1 4 ENDIF ", {"ENDIF", " ", " ", " ", " "}, 1},
        {"2 5 V1 = V2 + 5", {"V1", "=", "V2", "+", "5"}, 5},
        {"3 6 A B C D E F G", {"A", "B", "C", "D", "E"}, 5},
        {"4 7 HOMEX + ", {"HOMEX", "+", " ", " ", " "}, 2},
        {"5 8 V1  = 5", {"V1", " ", "=", "5", " "}, 3},
    };
    for (const auto& row : rows) {
        const TokenTable table = Tokenise({row.entry});
        ASSERT_EQ(table.size(), 1u);
        EXPECT_EQ(table[0].count, row.count) << row.entry;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(table[0].t(i + 1), row.tokens[i]) << row.entry;
    }
    const TokenTable table = Tokenise({"12 34 END"});
    EXPECT_EQ(table[0].index, "12");
    EXPECT_EQ(table[0].line(), 34);
}

TEST(Tokeniser, EmptyCleanListGivesEmptyTable) {
    EXPECT_TRUE(Tokenise({}).empty());
}
