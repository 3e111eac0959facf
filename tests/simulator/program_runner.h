#pragma once
// A simulated controller on a test clock, with programs compiled by the real compiler and
// written into its slots as the loader writes them.
//
//   ProgramRunner runner;                                // KT-210; ProgramRunner("QB-450")
//   ASSERT_TRUE(runner.load("V1 = 5\nEND\n")) << runner.error();
//   runner.ask("SR=1");
//   ASSERT_TRUE(runner.runUntilStopped());
//   EXPECT_EQ(runner.ask("V1"), "5");

#include "progsmith/compiler/compile_phases.h"
#include "simulator/controller_model.h"

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

class ProgramRunner {
public:
    explicit ProgramRunner(std::string model = "KT-210") : controller_({.model = model}) {
        model_ = progsmith::findModel(model);
        controller_.setTimeSource([this] { return nowUs_; });
    }

    // Compiles the text (lines ending in LF, as a program file's end in CR LF) and writes every
    // compiled line into its slot.
    bool load(std::string_view source) {
        std::string text;
        for (char c : source)
            c == '\n' ? text += "\r\n" : text += c;
        const auto outcome = progsmith::compileProgram(text, model_);
        if (outcome.error) {
            error_ = outcome.error->message + " @ " + std::to_string(outcome.error->line);
            return false;
        }
        lines_ = outcome.lines;
        return loadLines(lines_);
    }
    bool loadLines(const std::vector<std::string>& lines) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (ask("SA" + std::to_string(i) + "=" + lines[i]) != "OK") {
                error_ = "slot " + std::to_string(i) + " refused " + lines[i];
                return false;
            }
        return true;
    }

    std::string ask(const std::string& command) { return controller_.execute(command); }
    int64_t number(const std::string& query) { return std::stoll(ask(query)); }

    // Moves the clock on, in steps the interpreter runs completely.
    void pass(int64_t ms) {
        for (int64_t step = 0; step < ms; ++step) {
            nowUs_ += 1000;
            controller_.advance();
        }
    }
    // Until no thread runs any more (both idle, paused or errored); false after limitMs.
    bool runUntilStopped(int64_t limitMs = 60'000) {
        for (int64_t ms = 0; ms < limitMs; ms += 100) {
            if (controller_.programs().state(0) != 1 && controller_.programs().state(1) != 1)
                return true;
            nowUs_ += 100'000;
            controller_.advance();
        }
        return false;
    }

    simulator::ControllerModel& controller() { return controller_; }
    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& error() const { return error_; }
    int64_t& now() { return nowUs_; }

private:
    int64_t nowUs_ = 0;
    simulator::ControllerModel controller_;
    const progsmith::ModelInfo* model_;
    std::vector<std::string> lines_;
    std::string error_;
};

} // namespace testing_support
