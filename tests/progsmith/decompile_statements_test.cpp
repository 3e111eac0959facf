// Statement and structure lines: everything that does not begin with "&".

#include "progsmith/compiler/decompiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace progsmith;

namespace {

std::string decompile(const std::vector<std::string>& lines, const char* model = "QB-450") {
    return DecompileProgram(model, lines);
}

const std::string kSeparator = ";*************************\r\n";

} // namespace

TEST(DecompileStatements, AssignmentsAndOperationsTakeTheirOperandsFromTheLinesBefore) {
    EXPECT_EQ(decompile({"CV1000", "VR3", "AM"}), "V3=1000\r\n");
    EXPECT_EQ(decompile({"CV5", "VR2", "VR1", "OX1"}), "V1=V2+5\r\n");
    EXPECT_EQ(decompile({"CV0", "VR2", "VR1", "OX10"}), "V1=~V2\r\n");
    EXPECT_EQ(decompile({"CV-7", "CV3", "VR9", "OX7"}), "V9=3<<-7\r\n");
    EXPECT_EQ(decompile({"CV1", "VR2", "VR1", "OX11"}), "V1=V2?1\r\n");
    EXPECT_EQ(decompile({"CV1", "VR2", "VR1", "OX"}), "V1=V2?1\r\n");
}

TEST(DecompileStatements, ConditionsAndLoopsIgnoreTheirJumpDistances) {
    EXPECT_EQ(decompile({"VR1", "CV10", "JI4$2", "JR3", "CV1", "VR2", "AM", "JO3", "CV2", "VR2",
                         "AM", "EI0"}),
              "IF V1 >= 10\r\nV2=1\r\nELSE\r\nV2=2\r\nENDIF \r\n");
    EXPECT_EQ(decompile({"JR9", "VR1", "CV2", "JE6$2", "JR7"}), "ELSEIF V1 != 2\r\n");
    EXPECT_EQ(decompile({"VR1", "CV10", "JW2$2", "JR5", "JM-5"}), "WHILE V1 < 10\r\nENDWHILE \r\n");
    EXPECT_EQ(decompile({"RP0", "VR1", "CV0", "JU1$-4"}), "REPEAT\r\nLOOPWHILE V1 > 0\r\n");
    EXPECT_EQ(decompile({"VR1", "CV0", "JI3"}), "IF V1 = 0\r\n");
    EXPECT_EQ(decompile({"VR1", "CV0", "JI7$2"}), "IF V1 ? 0\r\n");
    EXPECT_EQ(decompile({"VR1", "CV0", "JI"}), "IF V1 ? 0\r\n");
}

TEST(DecompileStatements, ProgramsAndSubroutinesArePrecededByTheSeparatorLine) {
    EXPECT_EQ(decompile({"PS0", "XX"}), kSeparator + "PRG 0\r\nEND\r\n");
    EXPECT_EQ(decompile({"SS12", "GS3", "SE"}), kSeparator + "SUB 12\r\nGOSUB 3\r\nENDSUB \r\n");
}

TEST(DecompileStatements, MarkersDelaysAndTr) {
    EXPECT_EQ(decompile({"WX0", "WY0", "WZ0", "WU0", "DD250", "TR5"}),
              "WAITX\r\nWAITY\r\nWAITZ\r\nWAITU\r\nDELAY=250\r\nTR=5\r\n");
    EXPECT_EQ(decompile({"TR0"}), "") << "TR=0 stands for no text";
    EXPECT_EQ(decompile({"TR00", "TR0x"}), "TR=00\r\nTR=0x\r\n");
}

TEST(DecompileStatements, OperandLinesJumpsAndUnknownLinesGiveNoText) {
    EXPECT_EQ(decompile({"VR1", "CV5", "JR4", "", "XX1", "RP1", "WX1", "ZZ", "x", "am", " AM"}),
              "");
}

TEST(DecompileStatements, ComparisonAndOperatorDigits) {
    const char* comparisons[] = {"?", ">", "<", "=", ">=", "<=", "!=", "?", "?", "?"};
    for (int digit = 0; digit <= 9; ++digit)
        EXPECT_EQ(DecodeComparison(std::to_string(digit)), comparisons[digit]) << digit;
    EXPECT_EQ(DecodeComparison(""), "?");
    EXPECT_EQ(DecodeComparison("11"), "?");

    const char* operators[] = {"?", "+", "-", "*", "/", "%", ">>", "<<", "&", "|", "~", "?"};
    for (int digits = 0; digits <= 11; ++digits)
        EXPECT_EQ(DecodeOperator(std::to_string(digits)), operators[digits]) << digits;
    EXPECT_EQ(DecodeOperator(""), "?");
    EXPECT_EQ(DecodeOperator("01"), "?");
    EXPECT_EQ(DecodeOperator("1$"), "?");
}

TEST(DecompileStatements, AnUploadFailureReportGivesAnEmptyProgram) {
    EXPECT_EQ(decompile({"UPLOAD FAILED!", "No Reply to Command: SA5"}, "KT-210"), "");
    EXPECT_EQ(decompile({"UPLOAD FAILED!", "Communication Error! Timeout"}, "KT-210"), "");
    EXPECT_EQ(decompile({"UPLOAD FAILED!", "Could not open TCP/IP socket!"}, "KT-210"), "");
}
