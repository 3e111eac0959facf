// Damaged compiled files: whatever is in the file, the decompiler finishes, produces only whole
// CR LF lines, and keeps to its rules for what it cannot read.

#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace progsmith;

namespace {

const char* const kModels[] = {"QB-450", "QB-440", "QB-430", "QB-420",       "QB-410",
                               "KT-210", "KT-220", "KT-230", "QW-310",       "QW-320",
                               "QW-330", "QW-340", "QW-350", "no such model"};

size_t countLines(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

} // namespace

TEST(DecompileDamaged, StatementsAtTheStartReadMissingOperandsAsEmptyLines) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"AM"}), "=\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"VR1", "AM"}), "V1=\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"OX1"}), "=+\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"OX10"}), "=~\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"JI3$2"}), "IF  = \r\n");
    EXPECT_EQ(qb450.DecompileProgram({"CV1", "JU1$-4"}), "LOOPWHILE  > 1\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&107$15"}), "????????\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&103$5", "&107$3"}), "??X5\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&118$1"}), "ARCP?:?:?\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&130$0"}), "CIRN?:?\r\n");
}

TEST(DecompileDamaged, SelectorsWithoutAnAxisLetterAreWrittenAsNumbers) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&91$1480"}), "LT200=5\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&8$7"}), "STOP7\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&0$4"}), "ABORT4\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&15$9"}), "ECLEAR9\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&134$255"}), "SYNON255\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&119$260"}), "JOG4+\r\n");
    EXPECT_EQ(qb450.DecodeOperand("&16$9"), "SLS9");
    EXPECT_EQ(qb450.DecodeOperand("&16$"), "SLS");
    EXPECT_EQ(qb450.DecodeOperand("&12$03"), "SYNSTAT03");
    const Decompiler qb420(findModel("QB-420"));
    EXPECT_EQ(qb420.DecompileProgram({"&251$771"}), "SL3=3\r\n");
}

TEST(DecompileDamaged, OperandsThatAreNotNumbersReadAsTheirLeadingDigits) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&84$abc"}), "HSPD=abc\r\n") << "copied as it stands";
    EXPECT_EQ(qb450.DecompileProgram({"&91$abc"}), "LTX=0\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&91$257xyz"}), "LTY=1\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&8$"}), "STOPX\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&107$x"}), "");
    EXPECT_EQ(qb450.DecompileProgram({"&118$-"}), "ARCN?:?:?\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&84$$5", "&$", "&", "&&84$1"}), "HSPD=$5\r\n");
}

TEST(DecompileDamaged, OperandsBeyond32BitsSaturate) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&91$99999999999999"}), "LT255=8388607\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&91$-99999999999999"}), "LTX=-8388608\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&252$-2147483648"}), "SYNPOSX=-8388608\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&6$2147483647"}), "JOYHS255=8388608\r\n");
}

TEST(DecompileDamaged, HugeLinesAndBinaryBytesAreHandledWhole) {
    const std::string digits(100000, '7');
    const Decompiler qb450(findModel("QB-450"));
    // Compared as booleans so that a failure does not print 100,000 characters.
    EXPECT_TRUE(qb450.DecompileProgram({"&84$" + digits}) == "HSPD=" + digits + "\r\n");
    EXPECT_TRUE(qb450.DecompileProgram({"VR" + digits, "AM"}) == "V" + digits + "=\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&" + digits + "$1"}), "");
    EXPECT_EQ(qb450.DecompileProgram({std::string(100000, '&')}), "");

    std::string binary;
    for (int byte = 0; byte < 256; ++byte)
        binary.push_back(static_cast<char>(byte));
    EXPECT_EQ(qb450.DecompileProgram({binary, "DD" + binary, "&84$" + binary}),
              "DELAY=" + binary + "\r\nHSPD=" + binary + "\r\n");
}

TEST(DecompileDamaged, TwentyThousandNestedBlocksFinishQuickly) {
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i) {
        for (const char* line : {"VR1", "CV0", "JI1$2", "JR3"})
            lines.push_back(line);
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string text = DecompileProgram("QB-450", lines);
    const std::string indented = AddSpacesToProg(text);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(countLines(text), 5000u);
    EXPECT_EQ(countLines(indented), 5000u);
    EXPECT_EQ(indented.size(), text.size() + 4999u * 5000u / 2u) << "one blank per open IF";
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

// Random mixtures of real compiled lines and damaged ones, for every model. Whatever the lines,
// the text is whole CR LF lines, at most two per compiled line (a separator and its SUB/PRG);
// decompiling is local, so more lines never change the text of the earlier ones; and the
// indentation keeps every line.
TEST(DecompileDamaged, RandomCompiledFilesKeepTheDecompilerRules) {
    static const char* const kPieces[] = {
        "AM",   "OX",   "OX1",   "OX10",  "OX99",  "JI3$2", "JE1$2", "JW2$2", "JU4$-9", "JO3",
        "JM-5", "JR4",  "EI0",   "RP0",   "XX",    "SS",    "SS1",   "SE",    "PS0",    "GS2",
        "DD10", "TR0",  "TR1",   "WX0",   "WU0",   "VR1",   "VR",    "CV-5",  "CV",     "&",
        "&$",   "&84$", "&107$", "&118$", "&130$", "&119$", "&8$",   "&91$",  "&251$",  "&13$",
        "&0$",  "&62$", "&103$", "&112$", "&114$", "",      "ZZ",    "&084$1"};
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> number(-70000, 70000);
    std::uniform_int_distribution<int> code(0, 260);
    std::uniform_int_distribution<int> length(0, 60);
    for (const char* model : kModels) {
        const Decompiler decompiler(findModel(model));
        for (int round = 0; round < 40; ++round) {
            std::vector<std::string> lines;
            const int count = length(random);
            for (int i = 0; i < count; ++i) {
                std::string line = kPieces[piece(random)];
                if (random() % 3 == 0) line = "&" + std::to_string(code(random)) + "$";
                if (random() % 2 == 0) line += std::to_string(number(random));
                if (random() % 17 == 0) line.push_back(static_cast<char>(random() % 256));
                lines.push_back(line);
            }
            std::string previous;
            for (size_t n = 0; n <= lines.size(); ++n) {
                const std::vector<std::string> head(lines.begin(), lines.begin() + n);
                const std::string text = decompiler.DecompileProgram(head);
                ASSERT_EQ(text.compare(0, previous.size(), previous), 0) << model;
                ASSERT_LE(countLines(text), 2 * n) << model;
                ASSERT_TRUE(text.empty() || text.ends_with("\r\n")) << model;
                previous = text;
            }
            const bool anyLineBreakInside =
                std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
                    return line.find_first_of("\r\n") != std::string::npos;
                });
            if (!anyLineBreakInside)
                EXPECT_EQ(countLines(AddSpacesToProg(previous)), countLines(previous)) << model;
        }
    }
}
