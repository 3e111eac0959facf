#include "motiondesk/simulate/program_simulation.h"

#include "jobfiles/file_names.h"
#include "jobfiles/program_file.h"
#include "jobfiles/results.h"
#include "progsmith/compiler/compile_phases.h"
#include "simulator/model_table.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace simulate {

namespace {

simulator::ControllerConfig configFor(const std::string& model) {
    simulator::ControllerConfig config;
    config.model = model;
    return config;
}

int32_t number(const std::string& text) {
    return int32_t(std::strtol(text.c_str(), nullptr, 10));
}

// What a frame may take of the machine's time when it runs as fast as possible, so the window
// still draws and answers between frames.
constexpr int64_t kFastFrameUs = 25'000;
// A window that stood still (a moved window, a busy machine) does not make up for it.
constexpr int64_t kLongestFrameUs = 100'000;

} // namespace

SimulationProgram compileForSimulation(const std::string& source, const std::string& model) {
    SimulationProgram program;
    if (source.empty()) {
        program.error = "Nothing to compile!";
        return program;
    }
    // The text as the compiler reads it back from the program file.
    const std::string text = jobfiles::programText(jobfiles::programFileLines(source));
    auto outcome = progsmith::compileProgram(text, progsmith::findModel(model));
    if (outcome.error) {
        const int line = outcome.error->selectsLine ? outcome.error->line : 0;
        const auto lines = jobfiles::compileErrorLines(outcome.error->message, line);
        program.error = jobfiles::judgeResult(lines, jobfiles::kCompileResultFile,
                                              jobfiles::EmptyResult::Failure)
                            .message;
        program.errorLine = jobfiles::ReadFailedLine(lines).value_or(0);
        return program;
    }
    // A program longer than the slots compiles but cannot be downloaded or simulated.
    const simulator::ModelInfo* slots = simulator::findModel(model);
    if (slots && outcome.lines.size() > size_t(slots->lineLimit)) {
        program.error = "The program compiles to " + std::to_string(outcome.lines.size()) +
                        " lines; the " + model + " has " + std::to_string(slots->lineLimit) +
                        " program slots.";
        return program;
    }
    program.lines = std::move(outcome.lines);
    program.sourceLines = std::move(outcome.sourceLines);
    return program;
}

const char* threadStateText(int state) {
    switch (state) {
    case simulator::ProgramInterpreter::kIdle:
        return "idle";
    case simulator::ProgramInterpreter::kRunning:
        return "running";
    case simulator::ProgramInterpreter::kPaused:
        return "paused";
    case simulator::ProgramInterpreter::kErrored:
        return "fault";
    }
    return "unknown";
}

ProgramSimulation::ProgramSimulation(const std::string& model,
                                     const std::vector<std::string>& lines,
                                     const std::vector<int>& sourceLines)
    : model_(model), run_(configFor(model)) {
    if (!run_.load(lines, error_)) return;
    run_.setSourceLines(sourceLines);
    reset();
}

void ProgramSimulation::reset() {
    running_ = false;
    run_.restart();
    focus_ = 0;
    state_.variables.fill(0);
    beginAction();
    read();
    status_ = "At the start";
}

// The values the next step or run is compared with.
void ProgramSimulation::beginAction() {
    before_ = state_.variables;
}

void ProgramSimulation::run() {
    if (!run_.programsRunning()) {
        status_ = "The programs have ended: Reset starts them again";
        return;
    }
    beginAction();
    running_ = true;
    status_ = "Running";
}

void ProgramSimulation::pause() {
    if (!running_) return;
    running_ = false;
    status_ = "Paused";
}

void ProgramSimulation::frame(int64_t wallUs) {
    if (!running_) return;
    ++frames_;
    wallUs = std::clamp<int64_t>(wallUs, 0, kLongestFrameUs);
    simulator::Halt halt;
    switch (speed_) {
    case Speed::RealTime:
        halt = run_.runFor(wallUs);
        break;
    case Speed::TenTimes:
        halt = run_.runFor(wallUs * 10);
        break;
    case Speed::Fastest: {
        // The controller time of one frame follows what the last one took.
        const auto started = std::chrono::steady_clock::now();
        halt = run_.runFor(fastChunkUs_);
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count();
        const double scale =
            std::clamp(double(kFastFrameUs) / double(std::max<int64_t>(took, 1)), 0.5, 2.0);
        fastChunkUs_ =
            std::clamp<int64_t>(int64_t(double(fastChunkUs_) * scale), 1000, 3'600'000'000);
        break;
    }
    }
    read();
    if (halt.breakpoint || halt.fault || halt.ended) {
        running_ = false;
        halted(halt);
    }
}

void ProgramSimulation::step(int thread) {
    running_ = false;
    const int before = run_.state(thread);
    const std::string program = "Program " + std::to_string(thread);
    focus_ = thread;
    if (before != simulator::ProgramInterpreter::kRunning &&
        before != simulator::ProgramInterpreter::kPaused) {
        status_ = program +
                  (before == simulator::ProgramInterpreter::kErrored ? " has stopped with a fault"
                                                                     : " is not running") +
                  ": it has no statement to step";
        return;
    }
    beginAction();
    const simulator::Halt halt = run_.step(thread);
    read();
    const int after = state_.states[size_t(thread)];
    if (after == simulator::ProgramInterpreter::kErrored)
        status_ = faultText(thread);
    else if (after == simulator::ProgramInterpreter::kIdle)
        status_ = program + " has ended";
    else if (halt.stillWaiting)
        status_ = program + " still waits on line " + std::to_string(halt.line) +
                  " after a minute of controller time; Step again waits on";
    else
        status_ = "Stepped " + program + " to line " + std::to_string(halt.line);
}

std::string ProgramSimulation::faultText(int thread) const {
    return "Program " + std::to_string(thread) + " stopped with a fault on line " +
           std::to_string(state_.nextLines[size_t(thread)]) + ": " + state_.faults[size_t(thread)];
}

bool ProgramSimulation::stepBack() {
    running_ = false;
    const auto now = state_.variables;
    if (!run_.stepBack()) {
        status_ = "At the start: nothing to step back";
        return false;
    }
    // What the step back changed is marked.
    before_ = now;
    read();
    status_ = "Stepped back";
    return true;
}

void ProgramSimulation::toggleBreakpoint(int line) {
    run_.setBreakpoint(line, run_.breakpoints().count(line) == 0);
}

bool ProgramSimulation::setInput(const std::string& assignment) {
    if (!run_.apply(assignment)) return false;
    read();
    return true;
}

void ProgramSimulation::halted(const simulator::Halt& halt) {
    if (halt.breakpoint || halt.fault) focus_ = halt.thread;
    if (halt.breakpoint) {
        status_ = "Stopped at the breakpoint on line " + std::to_string(halt.line) + " (program " +
                  std::to_string(halt.thread) + ")";
        return;
    }
    if (halt.fault) {
        status_ = faultText(halt.thread);
        return;
    }
    status_ = "No program runs any more";
    for (int thread = 0; thread < 2; ++thread)
        if (state_.states[size_t(thread)] == simulator::ProgramInterpreter::kErrored)
            status_ = faultText(thread);
}

void ProgramSimulation::read() {
    state_.timeUs = run_.timeUs();
    for (int thread = 0; thread < 2; ++thread) {
        const int state = run_.state(thread);
        state_.states[size_t(thread)] = state;
        state_.nextLines[size_t(thread)] = state == simulator::ProgramInterpreter::kIdle
                                               ? 0
                                               : run_.sourceLine(run_.counter(thread));
        state_.faults[size_t(thread)] = run_.faultReason(thread);
    }
    state_.changed.clear();
    for (int n = 1; n <= 100; ++n) {
        state_.variables[size_t(n - 1)] = number(run_.value("V" + std::to_string(n)));
        if (state_.variables[size_t(n - 1)] != before_[size_t(n - 1)]) state_.changed.insert(n);
    }
    state_.position = number(run_.value("PX"));
    state_.encoder = number(run_.value("EX"));
    state_.speed = number(run_.value("PS"));
    state_.motionStatus = number(run_.value("MST"));
    state_.timer = run_.controller().programs().timer();
    state_.inputs = number(run_.value("DI"));
    const simulator::Axis& axis = run_.controller().axis();
    state_.limitInputs = {axis.plusLimitInput, axis.minusLimitInput, axis.homeInputForced};
    state_.outputs = number(run_.value("DO"));
}

} // namespace simulate
