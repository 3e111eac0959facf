// Seeded random programs through the whole compile pipeline, for a bounded time: every outcome is
// a known message or a sound program, never a crash or a hang.

#include "compile_invariants.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

using namespace progsmith;
using namespace progsmith::testing;

namespace {

const std::vector<std::string> kWords{"IF",        "ELSEIF",
                                      "ELSE",      "ENDIF",
                                      "WHILE",     "ENDWHILE",
                                      "REPEAT",    "LOOPWHILE",
                                      "END",       "PRG",
                                      "SUB",       "ENDSUB",
                                      "GOSUB",     "V1",
                                      "V2",        "V0",
                                      "V100",      "V99999999999",
                                      "=",         "+",
                                      "-",         ">",
                                      "<",         ">=",
                                      "!=",        "<<",
                                      "~",         "?",
                                      ":",         "5",
                                      "-7",        "007",
                                      "5X",        "2147483648",
                                      "HSPD",      "HSPDY",
                                      "DO",        "DO3",
                                      "EO9",       "DI2",
                                      "AI1",       "PX",
                                      "EU",        "MSTY",
                                      "SLSZ",      "LTX",
                                      "SYNONY",    "SYNPOSU",
                                      "SR3",       "SR",
                                      "SLY",       "JOGY",
                                      "HOMEX",     "ZHOME",
                                      "X+",        "Y-",
                                      "+",         "X100",
                                      "Y-5",       "ZV2",
                                      "U1",        "I1:2:3:4",
                                      "ARCP1:2:3", "CIRN1:V2",
                                      "STOP",      "STOPZ",
                                      "ABORT",     "ECLEARU",
                                      "STORE",     "DELAY",
                                      "TR",        "WAITX",
                                      "KPAR1",     "JOYENA",
                                      "JOYHSY",    "DRVIT",
                                      "TOC",       "'",
                                      ";",         "\t",
                                      "\xff",      std::string(1, '\0')};

std::string randomLine(std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::string line;
    if (kind(random) == 0) { // raw bytes, line ends included
        std::uniform_int_distribution<int> length(0, 40), byte(0, 255);
        for (int i = length(random); i > 0; --i)
            line.push_back(static_cast<char>(byte(random)));
        return line;
    }
    std::uniform_int_distribution<size_t> word(0, kWords.size() - 1);
    std::uniform_int_distribution<int> count(1, 6), glue(0, 3);
    for (int i = count(random); i > 0; --i) {
        if (!line.empty() && glue(random) != 0) line += ' ';
        line += kWords[word(random)];
    }
    return line;
}

} // namespace

TEST(RandomPrograms, EveryOutcomeIsAKnownMessageOrASoundProgram) {
    const auto models = allModels();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int programs = 0;
    for (unsigned seed = 1; std::chrono::steady_clock::now() < deadline; ++seed, ++programs) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> lineCount(0, 40);
        const int lines = lineCount(random);
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += randomLine(random) + "\r\n";
        if (seed % 3 != 0) text += "END\r\n";
        const ModelInfo* model = seed % 14 == 13 ? nullptr : &models[seed % 13];
        const auto outcome = compileProgram(text, model);
        const std::string violation = invariantViolation(outcome, lines + 1);
        ASSERT_EQ(violation, "") << "seed " << seed;
    }
    EXPECT_GT(programs, 100);
}

TEST(RandomPrograms, WellFormedBlocksAlwaysCompileWithLandingJumps) {
    // Random nesting of every block kind around single-line and multi-line statements.
    const std::vector<std::string> bodies{"HSPD = 5", "V1 = V2 + 3", "X1 Y2 Z3", "ARCP1:2:3",
                                          "I1:2:3:4", "V3 = ~V4",    "GOSUB 1",  "X5"};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (unsigned seed = 1; std::chrono::steady_clock::now() < deadline; ++seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> choice(0, 9);
        std::uniform_int_distribution<size_t> body(0, bodies.size() - 1);
        std::vector<std::string> lines, closers;
        for (int step = 0; step < 60; ++step) {
            const int c = choice(random);
            if (c <= 3) {
                lines.push_back(bodies[body(random)]);
            } else if (c == 4) {
                lines.push_back("IF V1 > 0");
                closers.push_back("ENDIF");
            } else if (c == 5) {
                lines.push_back("WHILE V1 < 9");
                closers.push_back("ENDWHILE");
            } else if (c == 6) {
                lines.push_back("REPEAT");
                closers.push_back("LOOPWHILE V2 != 0");
            } else if (c == 7 && !closers.empty() && closers.back() == "ENDIF") {
                lines.push_back(choice(random) < 5 ? "ELSEIF V2 = 1" : "HSPD = 1");
            } else if (!closers.empty()) {
                lines.push_back(closers.back());
                closers.pop_back();
            }
        }
        while (!closers.empty()) {
            lines.push_back(closers.back());
            closers.pop_back();
        }
        lines.push_back("END");
        lines.push_back("SUB 1");
        lines.push_back("ENDSUB");
        std::string text;
        for (const auto& line : lines)
            text += line + "\r\n";
        const auto outcome = compileProgram(text, findModel("QB-450"));
        ASSERT_FALSE(outcome.error) << "seed " << seed << ": " << outcome.error->message;
        ASSERT_EQ(invariantViolation(outcome, static_cast<int>(lines.size())), "")
            << "seed " << seed << "\n"
            << text;
    }
}
