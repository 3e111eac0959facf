// Random programs, compiled by the real compiler and run by the controller, against a direct
// evaluation of their text: if a jump distance, an operand position or an operator were wrong,
// the variables would differ.

#include "tests/simulator/program_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing_support::ProgramRunner;

constexpr int kDataVariables = 8; // V1 .. V8 hold the results
constexpr int kFirstCounter = 20; // V20 .. loop counters, one per nesting depth
constexpr int kSubroutines = 3;

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    std::string program() {
        lines_.clear();
        lines_.push_back(pick(2) ? "PRG 0" : "");
        block(0, 0, 6);
        lines_.push_back("END");
        for (int sub = 1; sub <= kSubroutines; ++sub) {
            lines_.push_back("SUB " + std::to_string(sub));
            block(sub, 1, 3);
            lines_.push_back("ENDSUB");
        }
        std::string text;
        for (const auto& line : lines_)
            if (!line.empty()) text += line + "\n";
        return text;
    }

private:
    std::mt19937 random_;
    std::vector<std::string> lines_;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string variable() { return "V" + std::to_string(1 + pick(kDataVariables)); }
    std::string constant() {
        static const char* edges[] = {"2147483647", "-2147483648", "0", "1", "-1", "31", "33"};
        if (pick(6) == 0) return edges[pick(7)];
        return std::to_string(pick(2001) - 1000);
    }
    std::string value() { return pick(3) ? variable() : constant(); }

    void statement(int sub, int depth) {
        static const char* operators[] = {"+", "-", "*", "/", "%", ">>", "<<", "&", "|", "~"};
        static const char* comparisons[] = {">", "<", "=", ">=", "<=", "!="};
        const int kind = depth >= 3 ? pick(3) : pick(7);
        const std::string condition =
            value() + " " + comparisons[pick(6)] + " " + (pick(2) ? variable() : constant());
        switch (kind) {
        case 0:
            lines_.push_back(variable() + " = " + value());
            break;
        case 1: {
            const std::string op = operators[pick(10)];
            // Mostly divisors that are not zero, so that most programs run to their end. The
            // text joins "~ -5" into one token, so "~" takes a variable on its right.
            const bool divides = op == "/" || op == "%";
            const bool shifts = op == ">>" || op == "<<";
            const std::string right = divides && pick(4)  ? std::to_string(1 + pick(50))
                                      : shifts && pick(2) ? std::to_string(pick(40))
                                      : op == "~"         ? variable()
                                                          : value();
            lines_.push_back(variable() + " = " + value() + " " + op + " " + right);
            break;
        }
        case 2:
            if (pick(2))
                lines_.push_back(variable() + " = ~" + value());
            else if (sub < kSubroutines)
                lines_.push_back("GOSUB " + std::to_string(sub + 1 + pick(kSubroutines - sub)));
            else
                lines_.push_back(variable() + " = " + value());
            break;
        case 3:
        case 4: {
            lines_.push_back("IF " + condition);
            block(sub, depth + 1, 3);
            for (int n = pick(3); n > 0; --n) {
                lines_.push_back("ELSEIF " + value() + " " + comparisons[pick(6)] + " " + value());
                block(sub, depth + 1, 3);
            }
            if (pick(2)) {
                lines_.push_back("ELSE");
                block(sub, depth + 1, 3);
            }
            lines_.push_back("ENDIF");
            break;
        }
        default: {
            const std::string counter = "V" + std::to_string(kFirstCounter + depth + 5 * sub);
            const std::string passes = std::to_string(pick(4));
            lines_.push_back(counter + " = 0");
            if (kind == 5) {
                lines_.push_back("WHILE " + counter + " < " + passes);
                block(sub, depth + 1, 3);
                lines_.push_back(counter + " = " + counter + " + 1");
                lines_.push_back("ENDWHILE");
            } else {
                lines_.push_back("REPEAT");
                block(sub, depth + 1, 3);
                lines_.push_back(counter + " = " + counter + " + 1");
                lines_.push_back("LOOPWHILE " + counter + " < " + passes);
            }
            break;
        }
        }
    }

    void block(int sub, int depth, int most) {
        for (int n = 1 + pick(most); n > 0; --n)
            statement(sub, depth);
    }
};

// ---------------------------------------------------------------------------------------------
// A direct evaluation of the program text, line by line, with the partners of each block
// found by scanning the text.

struct Outcome {
    std::map<int, int32_t> variables;
    bool divisionByZero = false;
};

class Evaluator {
public:
    explicit Evaluator(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::vector<std::string> tokens;
            for (std::string word; words >> word;)
                tokens.push_back(word);
            lines_.push_back(tokens);
        }
    }

    Outcome run() {
        Outcome outcome;
        std::vector<size_t> returns;
        size_t pc = 0;
        for (long steps = 0; pc < lines_.size() && steps < 10'000'000; ++steps) {
            const auto& t = lines_[pc];
            const std::string& word = t[0];
            if (word == "END") break;
            if (word == "PRG" || word == "REPEAT" || word == "ENDIF") {
                ++pc;
            } else if (word == "IF") {
                pc = firstTrueBranch(pc);
            } else if (word == "ELSEIF" || word == "ELSE") {
                pc = partner(pc, "IF", "ENDIF") + 1; // the end of a branch that ran
            } else if (word == "WHILE") {
                pc = holds(t, 1) ? pc + 1 : partner(pc, "WHILE", "ENDWHILE") + 1;
            } else if (word == "ENDWHILE") {
                pc = partnerBack(pc, "WHILE", "ENDWHILE");
            } else if (word == "LOOPWHILE") {
                pc = holds(t, 1) ? partnerBack(pc, "REPEAT", "LOOPWHILE") + 1 : pc + 1;
            } else if (word == "GOSUB") {
                returns.push_back(pc + 1);
                pc = subroutine(t[1]) + 1;
            } else if (word == "ENDSUB") {
                pc = returns.back();
                returns.pop_back();
            } else {
                if (!assign(t)) {
                    outcome.divisionByZero = true;
                    break;
                }
                ++pc;
            }
        }
        outcome.variables = variables_;
        return outcome;
    }

private:
    std::vector<std::vector<std::string>> lines_;
    std::map<int, int32_t> variables_;

    int32_t valueOf(const std::string& token) {
        if (token[0] == 'V') return variables_[std::stoi(token.substr(1))];
        return int32_t(std::stoll(token));
    }

    bool holds(const std::vector<std::string>& t, size_t at) {
        const int32_t a = valueOf(t[at]), b = valueOf(t[at + 2]);
        const std::string& c = t[at + 1];
        return c == ">"    ? a > b
               : c == "<"  ? a < b
               : c == "="  ? a == b
               : c == ">=" ? a >= b
               : c == "<=" ? a <= b
                           : a != b;
    }

    // Returns false on a division by zero.
    bool assign(const std::vector<std::string>& t) {
        const int number = std::stoi(t[0].substr(1));
        if (t.size() == 3) {
            variables_[number] = t[2][0] == '~' ? ~valueOf(t[2].substr(1)) : valueOf(t[2]);
            return true;
        }
        const int64_t a = valueOf(t[2]), b = valueOf(t[4]);
        const std::string& op = t[3];
        int64_t result = 0;
        if ((op == "/" || op == "%") && b == 0) return false;
        if (op == "+") result = a + b;
        if (op == "-") result = a - b;
        if (op == "*") result = a * b;
        if (op == "/") result = a / b;
        if (op == "%") result = a % b;
        if (op == ">>") result = b >= 0 && b < 32 ? a >> b : (a < 0 ? -1 : 0);
        if (op == "<<") result = b >= 0 && b < 32 ? int64_t(uint32_t(a) << b) : 0;
        if (op == "&") result = a & b;
        if (op == "|") result = a | b;
        if (op == "~") result = ~a;
        variables_[number] = int32_t(uint32_t(uint64_t(result)));
        return true;
    }

    // The partner of the block opened or continued at `from`, scanning forward.
    size_t partner(size_t from, const std::string& open, const std::string& close) const {
        int depth = 0;
        for (size_t i = from + 1; i < lines_.size(); ++i) {
            if (lines_[i][0] == open) ++depth;
            if (lines_[i][0] == close && depth-- == 0) return i;
        }
        return lines_.size();
    }
    size_t partnerBack(size_t from, const std::string& open, const std::string& close) const {
        int depth = 0;
        for (size_t i = from; i-- > 0;) {
            if (lines_[i][0] == close) ++depth;
            if (lines_[i][0] == open && depth-- == 0) return i;
        }
        return 0;
    }

    // The line after the first IF or ELSEIF whose condition holds, after ELSE, or after ENDIF.
    size_t firstTrueBranch(size_t at) {
        int depth = 0;
        if (holds(lines_[at], 1)) return at + 1;
        for (size_t i = at + 1; i < lines_.size(); ++i) {
            const std::string& word = lines_[i][0];
            if (word == "IF") ++depth;
            if (word == "ENDIF" && depth-- == 0) return i + 1;
            if (depth != 0) continue;
            if (word == "ELSE" || (word == "ELSEIF" && holds(lines_[i], 1))) return i + 1;
        }
        return lines_.size();
    }

    size_t subroutine(const std::string& label) const {
        for (size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i][0] == "SUB" && lines_[i][1] == label) return i;
        return lines_.size();
    }
};

TEST(RandomPrograms, VariablesAfterRunningEqualADirectEvaluationOfTheText) {
    int ranToEnd = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const std::string text = Generator(seed).program();
        const Outcome expected = Evaluator(text).run();
        ProgramRunner runner;
        ASSERT_TRUE(runner.load(text)) << runner.error() << "\n" << text;
        ASSERT_EQ(runner.ask("SR=1"), "OK");
        ASSERT_TRUE(runner.runUntilStopped()) << text;
        EXPECT_EQ(runner.ask("SASTAT"), expected.divisionByZero ? "4" : "0") << text;
        for (int v = 1; v <= kDataVariables; ++v) {
            const auto it = expected.variables.find(v);
            const int32_t value = it == expected.variables.end() ? 0 : it->second;
            ASSERT_EQ(runner.number("V" + std::to_string(v)), value)
                << "V" << v << " of seed " << seed << "\n"
                << text;
        }
        ranToEnd += expected.divisionByZero ? 0 : 1;
    }
    EXPECT_GT(ranToEnd, 200) << "most programs must run to their END";
}

// Slots filled with compiled lines of random distances, labels, codes and operands, and with
// junk: whatever the threads meet, they run, end or fault, and the controller keeps answering.
TEST(RandomPrograms, AnySlotContentsLeaveTheControllerAnswering) {
    std::mt19937 random(77);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const auto number = [&] { return std::to_string(pick(21) - 10); };
    const std::function<std::string()> lines[] = {
        [&] { return "VR" + std::to_string(pick(110)); },
        [&] { return "CV" + number(); },
        [&] { return std::string("AM"); },
        [&] { return "OX" + std::to_string(pick(12)); },
        [&] {
            return std::string(1, "JJJJ"[pick(4)]) + "IEWU"[pick(4)] + std::to_string(pick(8)) +
                   "$" + number();
        },
        [&] { return std::string("J") + "ROM"[pick(3)] + number(); },
        [&] { return "GS" + std::to_string(pick(4)); },
        [&] { return "SS" + std::to_string(pick(4)); },
        [&] { return std::string(pick(2) ? "SE" : "XX"); },
        [&] { return "PS" + std::to_string(pick(3)); },
        [&] { return std::string(pick(2) ? "DD" : "TR") + number(); },
        [&] { return std::string("W") + "XYZUQ"[pick(5)] + "0"; },
        [&] { return "&" + std::to_string(pick(260)) + "$" + number(); },
        [&] { return std::string("\x01\xfe&$$", 5); },
    };
    int ran = 0;
    for (const char* model : {"KT-210", "QB-450"}) {
        for (int round = 0; round < 300; ++round) {
            ProgramRunner runner(model);
            std::vector<std::string> slots;
            for (int n = 1 + pick(40); n > 0; --n)
                slots.push_back(lines[pick(int(std::size(lines)))]());
            ASSERT_TRUE(runner.loadLines(slots)) << runner.error();
            runner.ask("SR0=1");
            runner.ask("SR1=1");
            runner.pass(20);
            runner.now() += 10'000'000;
            ASSERT_EQ(runner.ask("VER"), "V223");
            for (const char* state : {"SASTAT0", "SASTAT1"}) {
                const std::string reply = runner.ask(state);
                EXPECT_TRUE(reply == "0" || reply == "1" || reply == "4") << reply;
                ran += reply != "4";
            }
        }
    }
    EXPECT_GT(ran, 60) << "enough threads got past their first slots";
}

} // namespace
