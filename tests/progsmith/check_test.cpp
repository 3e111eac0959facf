#include "compile_helpers.h"
#include "progsmith/compiler/clean.h"
#include "progsmith/compiler/syntax_check.h"

#include <gtest/gtest.h>

using namespace progsmith;
using namespace progsmith::testing;

namespace {

std::string checkStatement(const std::string& line, const char* model = "KT-210") {
    const TokenTable table = Tokenise(Clean(line));
    if (table.empty()) return "(no row)";
    return CheckProg(table[0], findModel(model));
}

} // namespace

TEST(StatementCheck, EveryMessageOfTheStatementRules) {
    struct Row {
        const char* statement;
        const char* model;
        const char* verdict;
    };
    const Row rows[] = {
        // outputs
        {"DO = 5", "KT-210", "OK"},
        {"EO3 = V100", "KT-210", "OK"},
        {"DO12 = 1", "KT-210", "Error!"},
        {"DOX = 1", "KT-210", "Error:Bit Error!"},
        {"DO9=1", "KT-210", "Error:Bit Error!"},
        {"DO1 = 1 2", "KT-210", "Error:Token Error!"},
        {"DO1 1 1", "KT-210", "Error =!"},
        {"DO1 = A", "KT-210", "Error not number or Var!"},
        {"DO1 = V0", "KT-210", "Var Range Error!"},
        {"DO1 = V0", "QB-450", "OK"},
        // position and encoder registers
        {"PX = -500", "KT-210", "OK"},
        {"EY = V3", "QB-450", "OK"},
        {"PX = 5 6", "KT-210", "Error Token!"},
        {"PX 5 6", "KT-210", "Error =!"},
        {"PX = 5X", "KT-210", "Error not number or Var!"},
        // parameters with a number or a variable
        {"HSPD 1000", "KT-210", "Missing ="},
        {"HSPD = 1000 2", "KT-210", "Token Error!"},
        {"HSPD = ABC", "KT-210", "Error not number or Var!"},
        {"HSPD = 5X", "KT-210", "Error not number or Var!"},
        {"HSPD = 99999999999", "KT-210", "Error not number or Var!"},
        {"HSPD = V101", "KT-210", "Var Range Error!"},
        {"HSPDX = 500", "QB-450", "OK"},
        {"TOC = V5", "KT-210", "OK"},
        {"TOCX = 5", "KT-210", "Unknown Error!"},
        // parameters with a number only
        {"DELAY = V1", "KT-210", "Error not number!"},
        {"DELAY 5", "KT-210", "Missing ="},
        {"SR0 = 1 2", "KT-210", "Token Error!"},
        {"KPAR1 = 5", "KT-230", "OK"},
        {"KPAR1 = V1", "KT-230", "Error not number!"},
        // one-word commands
        {"STOP X", "KT-210", "Token Error!"},
        {"SYNONX 1", "KT-210", "Token Error!"},
        {"ECLEAR", "KT-210", "Unknown Error!"},
        // homing and jog
        {"HOMEX", "KT-210", "Token Error!"},
        {"HOMEX A", "KT-210", "Error!"},
        {"HOMEX + 5", "KT-210", "Token Error!"},
        // A line that begins with Z is spaced like an axis move: the direction keeps its axis.
        {"ZHOMEY+", "KT-210", "OK"},
        {"ZHOME Y-", "QB-450", "OK"},
        {"JOGX X+", "KT-210", "Token Error!"},
        {"JOGX X-", "KT-210", "Error!"},
        {"JOGX", "KT-210", "Token Error!"},
        // arcs and circles
        {"ARCP1:V2:-3", "QB-450", "OK"},
        {"ARCP1:V200:3", "QB-450", "Var Range Error!"},
        {"CIRN1:A", "QB-450", "Error not number or Var!"},
        // subroutines, programs and markers
        {"GOSUB", "KT-210", "Error GOSUB!"},
        {"GOSUB A", "KT-210", "Error SUB Number!"},
        {"PRG", "KT-210", "Error PRG!"},
        {"PRG X", "KT-210", "Error PRG Number!"},
        {"SUB", "KT-210", "Error SUB!"},
        {"SUB 1X", "KT-210", "Error SUB Number!"},
        {"ENDSUB 1", "KT-210", "Error ENDSUB!"},
        {"ELSE 1", "KT-210", "Error!"},
        {"END 5", "KT-210", "Error!"},
        // assignments
        {"V1 5", "KT-210", "= Error!"},
        {"V1 = 1 2", "KT-210", "Error!"},
        {"V0 = 1", "KT-210", "Var Range Error!"},
        {"V0 = 1", "QB-450", "OK"},
        {"V50 = 1", "KT-220", "OK"},
        {"V50 = 1", "QW-320", "Var Range Error!"},
        {"V1 = 1", "QB-999", "Var Range Error!"},
        // coordinated moves, conditions, axis moves and everything else
        {"I1:2:3", "QB-450", "Error with :"},
        {"I1:2:3:4", "QB-450", "OK"},
        {"INC", "KT-210", "OK"},
        {"IF V1 > 0", "KT-210", "OK"},
        {"WHILE", "KT-210", "OK"},
        {"X1000 Y-500", "QB-450", "OK"},
        {"QQ", "KT-210", "Unknown Error!"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(checkStatement(row.statement, row.model), row.verdict)
            << row.statement << " on " << row.model;
}

TEST(ProgramCheck, MissingEndNamesLineZero) {
    EXPECT_EQ(outcomeText(compile({"V1 = 1"})), "Missing END! @ 0");
    EXPECT_EQ(outcomeText(compile({})), "Missing END! @ 0");
}

TEST(ProgramCheck, StatementErrorsComeBeforeTheProgramPasses) {
    EXPECT_EQ(outcomeText(compile({"V1 = 1", "QQ"})), "Unknown Error! @ 2");
}

TEST(ProgramCheck, SubroutinesAfterEndOpenAndCloseInTurn) {
    EXPECT_EQ(outcomeText(compile({"END", "SUB 1", "SUB 2", "ENDSUB"})), "Extra SUB! @ 3");
    EXPECT_EQ(outcomeText(compile({"END", "SUB 1", "ENDSUB", "ENDSUB"})), "Extra ENDSUB! @ 4");
    // Before END, and a subroutine left open at the end, are not this pass's concern.
    EXPECT_EQ(outcomeText(compile({"ENDSUB", "END", "SUB 1", "V1 = 1"})), "SE XX SS1 CV1 VR1 AM");
}

TEST(ProgramCheck, DuplicatesAreReportedAtTheLaterRowSubroutinesFirst) {
    EXPECT_EQ(outcomeText(compile({"PRG 1", "PRG 1", "END"})), "Duplicate PRG! @ 2");
    EXPECT_EQ(outcomeText(compile({"PRG 1", "PRG 1", "END", "SUB 2", "ENDSUB", "SUB 2", "ENDSUB"})),
              "Duplicate SUB! @ 6");
    // The first row with a twin decides, even when another pair closes earlier.
    EXPECT_EQ(outcomeText(compile({"END", "SUB 1", "ENDSUB", "SUB 2", "ENDSUB", "SUB 2", "ENDSUB",
                                   "SUB 01", "ENDSUB"})),
              "Duplicate SUB! @ 8");
}
