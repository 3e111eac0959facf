#include "compile_helpers.h"
#include "compile_invariants.h"

#include <gtest/gtest.h>

using namespace progsmith;
using namespace progsmith::testing;

namespace {

struct Case {
    const char* model;
    std::vector<std::string> program; // END is appended
    const char* expected;             // lines joined by blanks (then XX), or "message @ line"
};

void expectCases(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        std::string text;
        for (const auto& line : c.program)
            text += line + "\r\n";
        text += "END\r\n";
        const auto outcome = compileProgram(text, findModel(c.model));
        std::string expected = c.expected;
        if (!outcome.error && expected.find('@') == std::string::npos)
            expected += expected.empty() ? "XX" : " XX";
        EXPECT_EQ(outcomeText(outcome), expected) << c.program.front() << " on " << c.model;
    }
}

} // namespace

TEST(Assembler, AssignmentsNegationAndOperations) {
    expectCases({
        {"KT-210", {"V1 = 5"}, "CV5 VR1 AM"},
        {"KT-210", {"V1 = 007"}, "CV7 VR1 AM"},
        {"KT-210", {"V1 = -12"}, "CV-12 VR1 AM"},
        {"KT-210", {"V1 = V0"}, "VR0 VR1 AM"},
        {"KT-210", {"V3 = ~V4"}, "CV0 VR4 VR3 OX10"},
        {"KT-210", {"V1 = V2 + 3"}, "CV3 VR2 VR1 OX1"},
        {"KT-210", {"V1 = V2 - 3"}, "CV3 VR2 VR1 OX2"},
        {"KT-210", {"V1 = V2 * 3"}, "CV3 VR2 VR1 OX3"},
        {"KT-210", {"V1 = V2 / 3"}, "CV3 VR2 VR1 OX4"},
        {"KT-210", {"V1 = V2 % 3"}, "CV3 VR2 VR1 OX5"},
        {"KT-210", {"V1 = V2 >> 3"}, "CV3 VR2 VR1 OX6"},
        {"KT-210", {"V1 = V2 << 3"}, "CV3 VR2 VR1 OX7"},
        {"KT-210", {"V1 = V2 & 3"}, "CV3 VR2 VR1 OX8"},
        {"KT-210", {"V1 = V2 | 3"}, "CV3 VR2 VR1 OX9"},
        {"KT-210", {"V1 = V2 ~ V3"}, "VR3 VR2 VR1 OX10"},
        {"KT-210", {"V1 = V2 ? 3"}, "Unknown Operation! @ 1"},
        // Operands are converted before the operator is looked at, the right one first.
        {"KT-210", {"V1 = QQ ? BAR"}, "Operation Argument Error! @ 1"},
        {"KT-210", {"V1 = V2 + 5X"}, "Operation Argument Error! @ 1"},
        {"KT-210", {"V1 = QQ"}, "Assignment Error! @ 1"},
        {"KT-210", {"V1 = ~QQ"}, "Assignment Error! @ 1"},
        {"KT-210", {"V1 = 99999999999"}, "Assignment Error! @ 1"},
    });
}

// Every read form of every model is covered by the instruction coverage test; these are the
// arguments and the reads that fail.
TEST(Assembler, OperandsReadDeviceQuantities) {
    expectCases({
        {"KT-210", {"V1 = DO3"}, "&33$3 VR1 AM"},
        {"KT-210", {"V1 = DI12"}, "&24$12 VR1 AM"},
        {"QB-450", {"V1 = MSTY"}, "&146$1 VR1 AM"},
        {"QB-450", {"V1 = HSPDY"}, "&25$0 VR1 AM"},
        {"QB-450", {"V1 = SLSZ"}, "&16$2 VR1 AM"},
        {"QB-450", {"V1 = LTPU"}, "&94$3 VR1 AM"},
        {"QB-430", {"V1 = MIOZ"}, "&253$2 VR1 AM"},
        // A quantity the model cannot read is an instruction it does not have.
        {"KT-210", {"V1 = MSTY"}, "Unknown Command! @ 1"},
        {"KT-210", {"V1 = SLSY"}, "Unknown Command! @ 1"},
        {"KT-220", {"V1 = PSX"}, "Unknown Command! @ 1"},
        {"KT-210", {"V1 = DO9"}, "Assignment Error! @ 1"},
    });
}

TEST(Assembler, ConditionsAndBlocksJumpTheRealDistance) {
    expectCases({
        {"KT-210", {"WHILE V1 < 10", "V2 = 1", "ENDWHILE"}, "VR1 CV10 JW2$2 JR5 CV1 VR2 AM JM-5"},
        {"KT-210", {"REPEAT", "HSPD = 1000", "LOOPWHILE V1 > 0"}, "RP0 &84$1000 VR1 CV0 JU1$-4"},
        {"KT-210",
         {"IF V1 = 1", "HSPD = 1", "ELSE", "HSPD = 2", "ENDIF"},
         "VR1 CV1 JI3$2 JR3 &84$1 JO3 &84$2 EI0"},
        {"KT-210",
         {"IF V1 = 1", "HSPD = 1", "ELSEIF V1 = 2", "HSPD = 2", "ELSE", "HSPD = 3", "ENDIF"},
         "VR1 CV1 JI3$2 JR3 &84$1 JR9 VR1 CV2 JE3$2 JR3 &84$2 JO3 &84$3 EI0"},
        {"KT-210",
         {"IF V1 > 0", "IF V2 > 0", "HSPD = 1", "ENDIF", "ENDIF"},
         "VR1 CV0 JI1$2 JR8 VR2 CV0 JI1$2 JR3 &84$1 EI0 EI0"},
        {"KT-210",
         {"WHILE V1 > 0", "WHILE V2 > 0", "ENDWHILE", "ENDWHILE"},
         "VR1 CV0 JW1$2 JR7 VR2 CV0 JW1$2 JR2 JM-2 JM-7"},
        {"KT-210",
         {"REPEAT", "REPEAT", "LOOPWHILE V1 > 0", "LOOPWHILE V2 > 0"},
         "RP0 RP0 VR1 CV0 JU1$-3 VR2 CV0 JU1$-7"},
        {"KT-210",
         {"IF V1 >= PX", "ELSEIF DI1 <= 2", "ENDIF", "WHILE V1 != 0", "ENDWHILE"},
         "VR1 &176$0 JI4$2 JR2 JR6 &24$1 CV2 JE5$2 JR2 EI0 VR1 CV0 JW6$2 JR2 JM-2"},
        // Statements whose size varies: the distance counts their real lines.
        {"QB-450",
         {"WHILE V1 < 3", "X100 Y200 Z300", "ENDWHILE"},
         "VR1 CV3 JW2$2 JR6 &103$100 &104$200 &105$300 &107$7 JM-6"},
        {"QB-450",
         {"IF V1 = 0", "ARCP1:2:3", "ENDIF"},
         "VR1 CV0 JI3$2 JR6 &112$1 &113$2 &116$3 &118$1 EI0"},
        {"QB-450",
         {"IF V1 = 0", "CIRN1:V2", "I1:2:3:4", "ENDIF"},
         "VR1 CV0 JI3$2 JR10 &112$1 &115$2 &130$0 &103$1 &104$2 &105$3 &106$4 &107$15 EI0"},
        // Blocks without an opener compile: nothing looks back from ENDIF or ELSE.
        {"KT-210", {"ENDIF"}, "EI0"},
        {"KT-210", {"ELSE", "ENDIF"}, "JO2 EI0"},
        {"KT-210",
         {"IF V1 = 1", "ELSEIF V1 = 2", "ELSE", "ENDIF"},
         "VR1 CV1 JI3$2 JR2 JR7 VR1 CV2 JE3$2 JR2 JO2 EI0"},
        // Tokens after a condition are ignored.
        {"KT-210", {"IF V1 = 1 X", "ENDIF"}, "VR1 CV1 JI3$2 JR2 EI0"},
    });
}

TEST(Assembler, BlockErrors) {
    expectCases({
        {"KT-210", {"IF V1 ? 3", "ENDIF"}, "Assignment Error! @ 1"},
        // A condition's operands are checked before its partner is looked for.
        {"KT-210", {"IF QQ > 1"}, "Assignment Error! @ 1"},
        {"KT-210", {"WHILE V1"}, "Assignment Error! @ 1"},
        {"KT-210", {"LOOPWHILE V1 > 0"}, "Mismatch LOOPWHILE! @ 1"},
        {"KT-210", {"PRG 1", "LOOPWHILE V1 > 0"}, "Unexpected PRG! @ 2"},
        {"KT-210", {"ENDWHILE"}, "Mismatch WHILE! @ 1"},
        {"KT-210", {"PRG 1", "ENDWHILE"}, "Missing ENDWHILE @ 2"},
        {"KT-210", {"WHILE V1 < 10", "V1 = 1"}, "Missing ENDWHILE @ 1"},
        {"KT-210", {"IF V1 = 1"}, "Missing ENDIF @ 1"},
        {"KT-210", {"IF V1 = 1", "SUB 3", "ENDIF"}, "Missing ENDIF @ 1"},
        {"KT-210", {"ELSE", "ELSE", "ENDIF"}, "Mismatch IF! @ 1"},
        {"KT-210", {"IF V1 = 1", "ELSE", "ELSEIF V1 = 2", "ENDIF"}, "Mismatch IF! @ 2"},
        {"KT-210", {"ELSEIF V1 = 2"}, "Missing ENDIF @ 1"},
    });
    // Loop scans that meet the program's end or a subroutine.
    EXPECT_EQ(outcomeText(compile({"END", "LOOPWHILE V1 > 0"})), "Unexpected END @ 2");
    EXPECT_EQ(outcomeText(compile({"END", "SUB 1", "ENDSUB", "LOOPWHILE V1 > 0"})),
              "Unexpected ENDSUB! @ 4");
    EXPECT_EQ(outcomeText(compile({"END", "SUB 1", "LOOPWHILE V1 > 0", "ENDSUB"})),
              "Unexpected SUB! @ 3");
    EXPECT_EQ(outcomeText(compile({"END", "WHILE V1 > 0"})), "Missing ENDWHILE @ 2");
}

TEST(Assembler, SubroutinesProgramsAndMarkers) {
    EXPECT_EQ(outcomeText(compile({"PRG 1", "GOSUB 02", "WAITX", "WAITY", "WAITZ", "WAITU",
                                   "DELAY = 100", "TR = 5", "END", "SUB 2", "ENDSUB"})),
              "PS1 GS2 WX0 WY0 WZ0 WU0 DD100 TR5 XX SS2 SE");
}

TEST(Assembler, PackedOperands) {
    expectCases({
        {"QB-450", {"LTY = 3"}, "&91$769"},
        {"KT-210", {"LTX = 3"}, "&140$3"},
        {"QB-450", {"STOP"}, "&8$255"},
        {"QB-450", {"STOPZ"}, "&8$2"},
        {"KT-210", {"STOP"}, "&172$255"},
        {"KT-210", {"STOPX"}, "&172$0"},
        {"QB-450", {"ABORTU"}, "&0$3"},
        {"QB-450", {"ECLEARY"}, "&15$1"},
        {"KT-210", {"ECLEARX"}, "&15$0"},
        {"QB-450", {"JOGY +"}, "&119$257"},
        {"QB-450", {"JOGY -"}, "&119$1"},
        {"KT-210", {"JOGX +"}, "&119$0"},
        {"KT-210", {"JOGX -"}, "&123$0"},
        {"QB-450", {"SR0 = 1"}, "&58$256"},
        {"KT-210", {"SR255 = 0"}, "&14$255"},
        {"KT-210", {"DO3 = 1"}, "&42$259"},
        {"KT-210", {"DO3 = V5"}, "&51$1283"},
        {"QB-450", {"EO8 = 0"}, "&63$8"},
        {"KT-210", {"DO = V5"}, "&50$5"},
        {"QB-450", {"SYNONY"}, "&134$1"},
        {"KT-210", {"SYNOFFX"}, "&231$0"},
        {"QB-420", {"SLY = 1"}, "&251$258"},
        {"QB-450", {"SLY = 1"}, "&13$257"},
        {"QB-450", {"SYNPOSY = -5"}, "&252$-1279"},
        {"KT-210", {"SYNPOSX = -5"}, "&236$-5"},
        {"QB-450", {"SSPDMZ = V7"}, "&132$1794"},
        {"QB-450", {"JOYHSU = 2"}, "&6$515"},
        {"KT-210", {"JOYENA = 1"}, "&213$1"},
        {"QB-450", {"SCVX = 2147483647"}, "Error! @ 1"},
        {"KT-210", {"SCVX = 2147483647"}, "&166$2147483647"},
    });
}

TEST(Assembler, MovesAndArcs) {
    expectCases({
        {"KT-210", {"X1000"}, "&179$1000"},
        {"KT-210", {"XV5"}, "&180$5"},
        {"KT-210", {"X -500"}, "&179$-500"},
        {"QB-450", {"X1000"}, "&103$1000 &107$1"},
        {"QB-450", {"X1000 Y-500"}, "&103$1000 &104$-500 &107$3"},
        {"QB-450", {"Y100 XV2 UV3"}, "&104$100 &108$2 &111$3 &107$11"},
        {"QB-420", {"Y1"}, "&104$1 &107$2"},
        {"QB-450", {"I1:V2:3:4"}, "&103$1 &109$2 &105$3 &106$4 &107$15"},
        {"QB-450", {"ARCN V1:-2:V3"}, "&114$1 &113$-2 &117$3 &118$0"},
        {"QB-440", {"CIRP 5:6"}, "&112$5 &113$6 &130$1"},
        {"KT-210", {"Y100"}, "Error! @ 1"},
        {"QB-420", {"X1 Z2"}, "Error! @ 1"},
        {"QB-450", {"X1 X2"}, "Error! @ 1"},
        {"QB-450", {"X1A"}, "Error! @ 1"},
        {"QB-450", {"I1:A:3:4"}, "Error! @ 1"},
        {"QB-450", {"ARCP1:2"}, "Token Error! @ 1"},
        {"QB-450", {"CIRP1:2:3"}, "Token Error! @ 1"},
        // Instructions the model has no code for.
        {"KT-210", {"ARCP1:2:3"}, "Unknown Command! @ 1"},
        {"QB-420", {"I1:2:3:4"}, "Unknown Command! @ 1"},
        {"KT-210", {"I1:2:3:4"}, "Unknown Command! @ 1"},
    });
}

TEST(Assembler, UnknownCommands) {
    expectCases({
        {"KT-210", {"STOPY"}, "Unknown Command! @ 1"},
        {"KT-210", {"SYNON"}, "Unknown Command! @ 1"},
        {"KT-210", {"LTQ = 1"}, "Unknown Command! @ 1"},
        {"KT-210", {"LTY = 1"}, "Unknown Command! @ 1"},
        {"KT-210", {"SR=1"}, "Unknown Command! @ 1"},
        {"KT-210", {"SR256 = 1"}, "Unknown Command! @ 1"},
        {"KT-210", {"HSPDX = 5"}, "Unknown Command! @ 1"},
        {"KT-210", {"TOC = V5"}, "Unknown Command! @ 1"},
        {"KT-210", {"TPX = 5"}, "Unknown Command! @ 1"},
        {"KT-210", {"DRVXX = 5"}, "Unknown Command! @ 1"},
        {"KT-210", {"JOGY +"}, "Unknown Command! @ 1"},
        {"QB-450", {"HLHOME X-"}, "Unknown Command! @ 1"},
        {"QB-450", {"HOMEX X-"}, "Unknown Command! @ 1"},
        {"QB-450", {"HOME +"}, "Unknown Command! @ 1"},
        {"QW-310", {"SR1 = 1"}, "Unknown Command! @ 1"},
        {"QB-440", {"JOYENA = 1"}, "Unknown Command! @ 1"},
        {"QB-999", {"HSPD = 5"}, "Unknown Command! @ 1"},
        {"QB-999", {"STOP"}, "Unknown Command! @ 1"},
        {"QB-999", {"X100"}, "Unknown Command! @ 1"},
        {"QB-999", {"X100 Y-5"}, "Unknown Command! @ 1"},
        {"QB-999", {"UV3"}, "Unknown Command! @ 1"},
        {"QB-999", {"X1 X2"}, "Error! @ 1"},
        // Only lines with an instruction code are checked; markers compile for any model.
        {"QB-999", {"PRG 1", "DELAY = 5"}, "PS1 DD5"},
    });
}

TEST(Assembler, ErrorsNameTheSourceLineCountingDroppedLines) {
    EXPECT_EQ(outcomeText(compile({"' header", "", "V1 = 1", "; note", "", "", "STOPY", "END"})),
              "Unknown Command! @ 7");
}

// Blocks nested thousands deep, with ELSEIF and ELSE at every IF level: every jump lands on a
// line of its partner's kind, and the loops pair with their own partners: a WHILE's exit jump
// lands just after the ENDWHILE that jumps back to it, and a LOOPWHILE goes back over as many
// REPEATs as LOOPWHILEs.
TEST(Assembler, DeeplyNestedBlocksJumpToTheirOwnPartners) {
    constexpr int kDepth = 3000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += i % 3 == 0 ? "IF V1 > 0\r\n" : i % 3 == 1 ? "WHILE V2 < 3\r\n" : "REPEAT\r\n";
    text += "V4 = 1\r\n";
    for (int i = kDepth; i-- > 0;)
        text += i % 3 == 0   ? "ELSEIF V5 = 2\r\nV6 = 1\r\nELSE\r\nV7 = 1\r\nENDIF\r\n"
                : i % 3 == 1 ? "ENDWHILE\r\n"
                             : "LOOPWHILE V3 = 1\r\n";
    text += "END\r\n";
    const auto outcome = compileProgram(text, findModel("KT-210"));
    ASSERT_FALSE(outcome.error) << outcome.error->message;
    EXPECT_EQ(invariantViolation(outcome, 5 * kDepth), "");

    const auto& lines = outcome.lines;
    const auto distance = [&](size_t i) {
        return std::stol(lines[i].substr(lines[i].find_first_of("-0123456789", 2)));
    };
    int loopsChecked = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with("JM")) {
            const size_t jw = i + distance(i);
            ASSERT_TRUE(lines[jw].starts_with("JW")) << i;
            ASSERT_TRUE(lines[jw + 1].starts_with("JR")) << jw;
            EXPECT_EQ(jw + 1 + distance(jw + 1), i + 1) << "WHILE at line " << jw;
            ++loopsChecked;
        } else if (lines[i].starts_with("JU")) {
            const size_t repeat = i + std::stol(lines[i].substr(lines[i].find('$') + 1));
            ASSERT_EQ(lines[repeat], "RP0") << i;
            const auto between = [&](const char* prefix) {
                return std::count_if(lines.begin() + long(repeat) + 1, lines.begin() + long(i),
                                     [&](const std::string& l) { return l.starts_with(prefix); });
            };
            EXPECT_EQ(between("RP0"), between("JU")) << "LOOPWHILE at line " << i;
            ++loopsChecked;
        }
    }
    EXPECT_EQ(loopsChecked, 2 * kDepth / 3);
}
