// Damaged compiled files: whatever is in the file, the decompiler finishes, produces only whole
// CR LF lines, and keeps to its rules for what it cannot read.

#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace progsmith;

namespace {

size_t countLines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\r'));
}

} // namespace

TEST(DecompileDamaged, MissingOperandsBeforeTheFirstLineReadAsEmptyLines) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"AM", "OX10"}), "=\r\n=~\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"JI3$2"}), "IF  = \r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&107$15"}), "????????\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&103$5", "&107$3"}), "??X5\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&118$1"}), "ARCP?:?:?\r\n");
}

TEST(DecompileDamaged, SelectorsWithoutAnAxisLetterAreWrittenAsNumbers) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&91$1480", "&8$7", "&15$9", "&119$260"}),
              "LT200=5\r\nSTOP7\r\nECLEAR9\r\nJOG4+\r\n");
    EXPECT_EQ(qb450.DecodeOperand("&16$9"), "SLS9");
    EXPECT_EQ(qb450.DecodeOperand("&12$03"), "SYNSTAT03");
}

TEST(DecompileDamaged, OperandsThatAreNotNumbersReadAsTheirLeadingDigitsAndSaturate) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&84$abc", "&91$abc", "&91$257xyz", "&8$", "&107$x"}),
              "HSPD=abc\r\nLTX=0\r\nLTY=1\r\nSTOPX\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&84$$5", "&$", "&", "&&84$1"}), "HSPD=$5\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&91$99999999999999", "&91$-99999999999999"}),
              "LT255=8388607\r\nLTX=-8388608\r\n");
}

TEST(DecompileDamaged, HugeLinesAndBinaryBytesAreHandledWhole) {
    const std::string digits(100000, '7');
    const Decompiler qb450(findModel("QB-450"));
    // Compared as booleans so that a failure does not print 100,000 characters.
    EXPECT_TRUE(qb450.DecompileProgram({"&84$" + digits}) == "HSPD=" + digits + "\r\n");
    EXPECT_TRUE(qb450.DecompileProgram({"VR" + digits, "AM"}) == "V" + digits + "=\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&" + digits + "$1", std::string(100000, '&')}), "");
    std::string binary;
    for (int byte = 0; byte < 256; ++byte)
        binary.push_back(static_cast<char>(byte));
    EXPECT_EQ(qb450.DecompileProgram({binary, "DD" + binary}), "DELAY=" + binary + "\r\n");
}

TEST(DecompileDamaged, TwentyThousandLinesOfNestedBlocksFinishQuickly) {
    std::vector<std::string> lines;
    for (int i = 0; i < 5000; ++i)
        lines.insert(lines.end(), {"VR1", "CV0", "JI1$2", "JR3"});
    const auto start = std::chrono::steady_clock::now();
    const std::string text = DecompileProgram("QB-450", lines);
    const std::string indented = AddSpacesToProg(text);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(countLines(indented), 5000u);
    EXPECT_EQ(indented.size(), text.size() + 4999u * 5000u / 2u) << "one blank per open IF";
}

// Random mixtures of real and damaged lines for every model. Decompiling is local, so more
// lines never change the text of the earlier ones; the text is whole CR LF lines, at most two
// per compiled line (a separator and its SUB/PRG); the indentation keeps every line.
TEST(DecompileDamaged, RandomCompiledFilesKeepTheDecompilerRules) {
    static const char* const kPieces[] = {
        "AM",   "OX",   "OX1",   "OX10",  "JI3$2", "JE1$2", "JW2$2", "JU4$-9", "JO3",
        "JM-5", "JR4",  "EI0",   "RP0",   "XX",    "SS1",   "SE",    "PS0",    "GS2",
        "DD10", "TR0",  "WX0",   "VR1",   "CV-5",  "CV",    "&",     "&$",     "&107$",
        "&8$",  "&91$", "&118$", "&119$", "&103$", "",      "ZZ",    "&084$1"};
    std::mt19937 random(20240611u);
    for (const ModelInfo* model : {findModel("QB-450"), findModel("QB-420"), findModel("KT-230"),
                                   findModel("QW-320"), findModel("no such model")}) {
        const Decompiler decompiler(model);
        for (int round = 0; round < 40; ++round) {
            std::vector<std::string> lines;
            const int count = static_cast<int>(random() % 60);
            for (int i = 0; i < count; ++i) {
                std::string line = kPieces[random() % std::size(kPieces)];
                if (random() % 3 == 0) line = "&" + std::to_string(random() % 260) + "$";
                if (random() % 2 == 0) line += std::to_string(int(random() % 140000) - 70000);
                if (random() % 17 == 0) line.push_back(static_cast<char>(random() % 256));
                lines.push_back(line);
            }
            std::string previous;
            for (size_t n = 0; n <= lines.size(); ++n) {
                const std::string text =
                    decompiler.DecompileProgram({lines.begin(), lines.begin() + n});
                ASSERT_EQ(text.compare(0, previous.size(), previous), 0);
                ASSERT_LE(countLines(text), 2 * n);
                ASSERT_TRUE(text.empty() || text.ends_with("\r\n"));
                previous = text;
            }
            if (std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
                    return line.find_first_of("\r\n") != std::string::npos;
                }))
                EXPECT_EQ(countLines(AddSpacesToProg(previous)), countLines(previous));
        }
    }
}
