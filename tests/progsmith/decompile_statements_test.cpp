// Statement and structure lines: everything that does not begin with "&".

#include "progsmith/compiler/decompiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace progsmith;

namespace {

std::string decompile(const std::vector<std::string>& lines) {
    return DecompileProgram("QB-450", lines);
}

const std::string kSeparator = ";*************************\r\n";

} // namespace

TEST(DecompileStatements, AssignmentsAndOperationsTakeTheirOperandsFromTheLinesBefore) {
    EXPECT_EQ(decompile({"CV1000", "VR3", "AM"}), "V3=1000\r\n");
    EXPECT_EQ(decompile({"CV5", "VR2", "VR1", "OX1"}), "V1=V2+5\r\n");
    EXPECT_EQ(decompile({"CV0", "VR2", "VR1", "OX10"}), "V1=~V2\r\n");
    EXPECT_EQ(decompile({"CV-7", "CV3", "VR9", "OX7"}), "V9=3<<-7\r\n");
    EXPECT_EQ(decompile({"CV1", "VR2", "VR1", "OX11"}), "V1=V2?1\r\n");
}

TEST(DecompileStatements, BlocksIgnoreTheirJumpDistances) {
    EXPECT_EQ(decompile({"VR1", "CV10", "JI4$2", "JR3", "CV1", "VR2", "AM", "JO3", "EI0"}),
              "IF V1 >= 10\r\nV2=1\r\nELSE\r\nENDIF \r\n");
    EXPECT_EQ(decompile({"JR9", "VR1", "CV2", "JE6$2", "JR7"}), "ELSEIF V1 != 2\r\n");
    EXPECT_EQ(decompile({"VR1", "CV10", "JW2$2", "JR5", "JM-5"}), "WHILE V1 < 10\r\nENDWHILE \r\n");
    EXPECT_EQ(decompile({"RP0", "VR1", "CV0", "JU1$-4"}), "REPEAT\r\nLOOPWHILE V1 > 0\r\n");
    EXPECT_EQ(decompile({"VR1", "CV0", "JI7$2", "JI"}), "IF V1 ? 0\r\nIF 0 ? \r\n");
}

TEST(DecompileStatements, ProgramsSubroutinesMarkersAndTr) {
    EXPECT_EQ(decompile({"PS0", "SS12", "GS3", "SE", "XX"}),
              kSeparator + "PRG 0\r\n" + kSeparator + "SUB 12\r\nGOSUB 3\r\nENDSUB \r\nEND\r\n");
    EXPECT_EQ(decompile({"WX0", "WU0", "DD250", "TR5", "TR0", "TR00"}),
              "WAITX\r\nWAITU\r\nDELAY=250\r\nTR=5\r\nTR=00\r\n");
}

TEST(DecompileStatements, OperandLinesJumpsAndUnknownLinesGiveNoText) {
    EXPECT_EQ(decompile({"VR1", "CV5", "JR4", "", "XX1", "RP1", "WX1", "ZZ", "am", " AM"}), "");
    // An upload failure report holds no compiled line at all.
    EXPECT_EQ(decompile({"UPLOAD FAILED!", "No Reply to Command: SA5"}), "");
    EXPECT_EQ(decompile({"UPLOAD FAILED!", "Could not open TCP/IP socket!"}), "");
}

TEST(DecompileStatements, ComparisonAndOperatorDigits) {
    const char* comparisons[] = {"?", ">", "<", "=", ">=", "<=", "!=", "?"};
    for (int digit = 0; digit <= 7; ++digit)
        EXPECT_EQ(DecodeComparison(std::to_string(digit)), comparisons[digit]) << digit;
    const char* operators[] = {"?", "+", "-", "*", "/", "%", ">>", "<<", "&", "|", "~", "?"};
    for (int digits = 0; digits <= 11; ++digits)
        EXPECT_EQ(DecodeOperator(std::to_string(digits)), operators[digits]) << digits;
    for (const char* text : {"", "01", "1$", "11"}) {
        EXPECT_EQ(DecodeComparison(text), "?") << text;
        if (std::string(text) != "11") EXPECT_EQ(DecodeOperator(text), "?") << text;
    }
}
