#include "simulator/virtual_run.h"

#include "simulator/decoded_program.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace simulator {

namespace {

// The clock moves a tick of the interpreter at a time: no statement is skipped however far a run
// goes, and the end of the programs is seen within the millisecond it happens in.
constexpr int64_t kStepUs = ProgramInterpreter::kTickUs;

} // namespace

std::optional<TimedInput> parseTimedInput(std::string_view text) {
    TimedInput input;
    const auto at = text.rfind('@');
    if (at != std::string_view::npos) {
        const std::string seconds(text.substr(at + 1));
        char* end = nullptr;
        const double value = std::strtod(seconds.c_str(), &end);
        if (seconds.empty() || end != seconds.c_str() + seconds.size() || !std::isfinite(value) ||
            value < 0 || value > 1e6)
            return std::nullopt;
        input.atUs = static_cast<int64_t>(std::llround(value * 1e6));
        text = text.substr(0, at);
    }
    const auto equals = text.find('=');
    if (equals == 0 || equals == std::string_view::npos || equals + 1 == text.size())
        return std::nullopt;
    input.assignment = std::string(text);
    return input;
}

VirtualRun::VirtualRun(ControllerConfig config) : controller_(std::move(config)) {
    controller_.setTimeSource([this] { return nowUs_; });
}

bool VirtualRun::load(const std::vector<std::string>& lines, std::string& error) {
    const size_t slots = size_t(controller_.model().lineLimit);
    if (lines.size() > slots) {
        error = "the program has " + std::to_string(lines.size()) + " compiled lines, the " +
                std::string(controller_.model().code) + " " + std::to_string(slots) +
                " program slots";
        return false;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || !controller_.setState("SA" + std::to_string(i) + "=" + lines[i])) {
            error = "slot " + std::to_string(i) + " does not take the compiled line \"" + lines[i] +
                    "\"";
            return false;
        }
    }
    slots_ = lines;
    return true;
}

bool VirtualRun::apply(std::string_view assignment) {
    const auto equals = assignment.find('=');
    const std::string_view key = assignment.substr(0, equals);
    // One input bit: DI<n>.
    if (key.size() > 2 && (key[0] == 'D' || key[0] == 'd') && (key[1] == 'I' || key[1] == 'i')) {
        int bit = 0;
        const auto [end, error] = std::from_chars(key.data() + 2, key.data() + key.size(), bit);
        if (error != std::errc() || end != key.data() + key.size() || bit < 1 || bit > 31)
            return false;
        const std::string_view level = assignment.substr(equals + 1);
        if (level != "0" && level != "1") return false;
        const int32_t word = std::atoi(controller_.value("DI").c_str());
        const int32_t mask = int32_t(1u << (bit - 1));
        return controller_.setState("DI=" +
                                    std::to_string(level == "1" ? word | mask : word & ~mask));
    }
    return controller_.setState(assignment);
}

bool VirtualRun::programsRunning() const {
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread) {
        const int state = controller_.programs().state(thread);
        if (state == ProgramInterpreter::kRunning || state == ProgramInterpreter::kPaused)
            return true;
    }
    return false;
}

void VirtualRun::advanceTo(int64_t us) {
    while (nowUs_ < us) {
        nowUs_ = std::min(us, nowUs_ + kStepUs);
        controller_.advance();
        if (!programsRunning()) return;
    }
}

RunEnd VirtualRun::run(int64_t limitUs, std::vector<TimedInput> inputs,
                       std::function<void(int64_t us, std::string_view line)> trace) {
    std::stable_sort(inputs.begin(), inputs.end(),
                     [](const TimedInput& a, const TimedInput& b) { return a.atUs < b.atUs; });
    if (trace)
        controller_.setProgramTrace(
            [this, trace, startUs = controller_.programs().clockUs()](std::string_view line) {
                trace(controller_.programs().clockUs() - startUs, line);
            });
    const int64_t startUs = nowUs_;
    const uint64_t statementsBefore = controller_.programs().statementsExecuted();
    size_t next = 0;
    // Inputs of time 0 are there before the programs start.
    for (; next < inputs.size() && inputs[next].atUs == 0; ++next)
        apply(inputs[next].assignment);
    // The programs the slots hold: a text of PRG 1 alone has no program 0 to start.
    const DecodedProgram decoded =
        decodeProgram(slots_, progsmith::findModel(controller_.model().code), 101);
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread)
        if (decoded.start(thread) >= 0) controller_.execute("SR" + std::to_string(thread) + "=1");

    while (programsRunning() && nowUs_ - startUs < limitUs) {
        const int64_t until = next < inputs.size()
                                  ? std::min(startUs + inputs[next].atUs, startUs + limitUs)
                                  : startUs + limitUs;
        advanceTo(until);
        for (; next < inputs.size() && startUs + inputs[next].atUs <= nowUs_; ++next)
            apply(inputs[next].assignment);
    }
    if (trace) controller_.setProgramTrace({});

    RunEnd end;
    end.elapsedUs = nowUs_ - startUs;
    end.programsEnded = !programsRunning();
    for (int thread = 0; thread < ProgramInterpreter::kThreads; ++thread) {
        end.states[thread] = controller_.programs().state(thread);
        end.counters[thread] = controller_.programs().counter(thread);
    }
    end.statements = controller_.programs().statementsExecuted() - statementsBefore;
    return end;
}

} // namespace simulator
