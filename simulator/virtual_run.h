#pragma once
// A program run on a simulated controller in virtual time: the controller's clock moves only as
// the run moves it, as fast as the machine allows. One engine for the command line (a run to its
// end with inputs at their times and a trace) and for the program simulator window (runs that
// stop at breakpoints, one source statement at a time, and steps back).
//
// Steps back replay: the run is deterministic, so going back is taking the controller as it was
// at the last checkpoint before and doing again what was done after it, but the last thing. A
// checkpoint is taken whenever a replay from the one before would cost some ten milliseconds;
// history beyond the last kKeptOperations operations, or beyond a thousand checkpoints, is
// dropped, so history costs a few bytes per step and a bounded number of copies of the
// controller, however long the run and however much the program changes.

#include "simulator/controller_model.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

// An input change at a controller time: "DI3=1" sets input bit 3, any other assignment is what
// ControllerModel::setState takes ("DI=5", "AI1=512", "LIMIT+=1", "V7=3").
struct TimedInput {
    std::string assignment;
    int64_t atUs = 0;
};

// "NAME=VALUE[@SECONDS]" as one input; nullopt when it is not of that form (a time that is no
// number, negative, or a missing "=").
std::optional<TimedInput> parseTimedInput(std::string_view text);

struct RunEnd {
    int64_t elapsedUs = 0;
    bool programsEnded = false; // both threads ended before the time was up
    int states[2] = {0, 0};     // SASTAT of each thread at the end
    int32_t counters[2] = {0, 0};
    uint64_t statements = 0;
};

// Why a run or a step came to rest.
struct Halt {
    bool breakpoint = false;   // a thread reached a breakpoint line (not run yet)
    int thread = -1;           // that thread
    int line = 0;              // that line
    bool ended = false;        // no program runs or waits any more
    bool fault = false;        // a thread stopped with a fault (its thread and line above)
    bool stillWaiting = false; // a step's statement had not finished when the step gave up
};

class VirtualRun {
public:
    explicit VirtualRun(ControllerConfig config);
    ~VirtualRun();

    // The compiled lines into the program slots; false with the reason when a line is refused or
    // there are more lines than slots.
    bool load(const std::vector<std::string>& lines, std::string& error);
    // The source line of each slot (from the compiler); 0 where none is known.
    void setSourceLines(std::vector<int> lines) { sourceLines_ = std::move(lines); }
    int sourceLine(int32_t slot) const;

    // One input change now; false when the controller does not take it.
    bool apply(std::string_view assignment);

    // Starts each program the slots hold (0, 1 or both), then runs until they have ended or
    // limitUs of controller time have passed, applying each input at its time (in time order).
    // trace, when set, gets every executed slot with the controller time it ran at (the end of
    // its millisecond tick, from the start of the run).
    RunEnd run(int64_t limitUs, std::vector<TimedInput> inputs,
               std::function<void(int64_t us, std::string_view line)> trace = {});

    // The program simulator's hand on the run. start() starts the programs the slots hold;
    // runFor() lets controller time pass, stopping before a breakpoint line either thread is
    // about to run (a thread goes past the one it stopped at, or the line a step left it on),
    // or after the tick in which a thread faulted; step() runs one source
    // statement of the thread (the other waits), or lets time pass until it runs one;
    // stepBack() undoes the last start, run, step or input; restart() goes back to the start.
    void start();
    Halt runFor(int64_t us);
    Halt step(int thread);
    bool stepBack();
    void restart();
    // Operations that can be undone.
    std::size_t history() const { return log_.size(); }
    static constexpr std::size_t kKeptOperations = 12'000;
    void setBreakpoint(int line, bool on);
    const std::set<int>& breakpoints() const { return *breakpoints_; }
    // Copies of the controller held for steps back (for the benchmark).
    std::size_t checkpoints() const { return checkpoints_.size(); }

    int64_t timeUs() const { return nowUs_; }
    int state(int thread) const { return controller_->programs().state(thread); }
    int32_t counter(int thread) const { return controller_->programs().counter(thread); }
    const std::string& faultReason(int thread) const {
        return controller_->programs().faultReason(thread);
    }
    bool programsRunning() const;

    // What the controller answers to a query now ("V1", "PX", "SASTAT").
    std::string value(std::string_view query) { return controller_->value(query); }
    ControllerModel& controller() { return *controller_; }

private:
    using Breakpoints = std::shared_ptr<const std::set<int>>;
    struct Operation {
        enum Kind { Start, RunFor, Step, Input } kind;
        int64_t us = 0;
        int thread = 0;
        std::string assignment;
        Breakpoints breakpoints;
    };
    struct Checkpoint {
        std::size_t at = 0; // operations done before it, counted from the first ever
        int64_t nowUs = 0;
        std::array<int32_t, ProgramInterpreter::kThreads> passes{};
        std::unique_ptr<ControllerModel> controller;
    };
    void fresh();
    void beginOperation();
    void endOperation(Operation operation, int64_t usBefore, uint64_t statementsBefore);
    void replay(const Operation& operation);
    Checkpoint checkpoint() const;
    bool setInput(std::string_view assignment);
    void startPrograms();
    void advanceTo(int64_t us);
    Halt doRunFor(int64_t us, const std::set<int>& breakpoints);
    Halt doStep(int thread);
    Halt halted(Halt halt) const;

    ControllerConfig config_;
    int64_t nowUs_ = 0;
    std::unique_ptr<ControllerModel> controller_;
    std::vector<std::string> slots_;
    std::vector<int> sourceLines_;
    // The slot a thread stands on that a run lets it run past a breakpoint at: where it stopped
    // at one, or where a step left it. -1: none.
    std::array<int32_t, ProgramInterpreter::kThreads> passes_{-1, -1};
    Breakpoints breakpoints_ = std::make_shared<const std::set<int>>();
    std::deque<Operation> log_;
    std::size_t dropped_ = 0; // operations dropped from the front of the log
    std::deque<Checkpoint> checkpoints_;
    int64_t costSinceCheckpoint_ = 0;
};

} // namespace simulator
