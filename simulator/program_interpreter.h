#pragma once
// The controller's program interpreter: two threads, program 0 and program 1, running the
// compiled lines of the program slots.
//
// Time. The interpreter runs on the controller's clock. advance() moves that clock on in ticks
// of at most a millisecond; in each tick the rest of the controller (the axes) moves first,
// then each running thread executes up to kStatementsPerMs statements per millisecond of the
// tick, or less when it waits (DELAY, WAITX, a program paused). A thread in an endless loop
// therefore costs a bounded slice per unit of time, and when the clock has jumped far ahead
// only the last kCatchUpUs of it are interpreted (the axes still move the whole way), so a
// command is never held up behind a long catch-up.
//
// Faults. A thread that meets a slot it cannot run (see decoded_program.h), divides by zero,
// returns from a subroutine it was never called into or calls deeper than kCallDepth goes to
// state 4 and stops where it is; nothing else is affected.

#include "simulator/decoded_program.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

// What a program reads from and does to the controller it runs in.
class ProgramDevice {
public:
    virtual int32_t read(const DeviceRead& quantity) = 0;
    // A device instruction with its operand unpacked and its value read.
    virtual void perform(progsmith::Form form, int32_t selector, int32_t value) = 0;
    virtual bool axisBusy(int axis) = 0;

protected:
    ~ProgramDevice() = default;
};

class ProgramInterpreter {
public:
    static constexpr int kThreads = 2;
    static constexpr int kCallDepth = 32;
    static constexpr int64_t kStatementsPerMs = 1000; // per thread
    static constexpr int64_t kTickUs = 1000;
    static constexpr int64_t kCatchUpUs = 100'000;

    // Thread states as SASTAT answers them.
    static constexpr int kIdle = 0, kRunning = 1, kPaused = 2, kErrored = 4;

    // `model` gives the instruction codes; `variables` is the controller's variable store,
    // indexed by variable number.
    ProgramInterpreter(const progsmith::ModelInfo* model, ProgramDevice& device,
                       std::span<int32_t> variables);

    // SR<n>=1: decodes the slots and starts program n from its beginning; a running thread
    // goes on as it is. A program that the slots do not hold puts the thread in state 4.
    void run(int thread, const std::vector<std::string>& slots);
    void stop(int thread);   // SR<n>=0
    void pause(int thread);  // SR<n>=2, only a running thread
    void resume(int thread); // SR<n>=3, only a paused thread
    // A state shown without a program behind it (a start state or a test).
    void showState(int thread, int state);
    void stopAll(); // both threads, and the TR timer is 0

    int state(int thread) const;
    // The slot being executed (or waited in, or where the fault happened); 0 when idle.
    int32_t counter(int thread) const;

    // Moves the controller's clock on by elapsedUs; `world(us)` moves the rest of the
    // controller on by us and is called for every tick before the threads run.
    void advance(int64_t elapsedUs, const std::function<void(int64_t)>& world);

    // The controller's clock: the end of the millisecond tick being executed.
    int64_t clockUs() const { return clockUs_; }

    // The TR register: milliseconds left of the program timer.
    int32_t timer() const;

    // One line per executed slot: "<thread> <slot> <line>", then " V<n>=<value>" for a
    // variable it changed, or " fault: <reason>" when it faulted. Empty: no trace.
    void setTrace(std::function<void(std::string_view)> sink);

    // Asked before a thread runs a slot, with the thread and the slot: true holds the thread at
    // that slot, not run, for the rest of its tick (the program simulator's breakpoints and
    // steps). Empty: no one asks, and nothing is slower for it.
    void setWatch(std::function<bool(int thread, int32_t slot)> watch);
    // Why the thread stopped in state 4; empty for any other state.
    const std::string& faultReason(int thread) const { return faults_[size_t(thread)]; }

    // The threads, clock and timer of another interpreter (of the same model).
    void copyStateFrom(const ProgramInterpreter& other);

    // Statements executed since construction (for the benchmark).
    uint64_t statementsExecuted() const { return statements_; }

private:
    enum class Wait : uint8_t { None, Delay, Axis };

    struct Thread {
        int state = kIdle;
        std::shared_ptr<const DecodedProgram> program;
        int32_t pc = 0;
        Wait wait = Wait::None;
        int64_t wakeUs = 0;
        int depth = 0;
        std::array<int32_t, kCallDepth> returns{};

        bool running() const; // running with a program behind it
    };

    void start(int thread, std::shared_ptr<const DecodedProgram> program);
    bool anyRunning() const;
    void passTime(int64_t us, const std::function<void(int64_t)>& world);
    bool stillWaiting(Thread& t);
    template <bool kTrace> void execute(int index, int64_t budget);
    int32_t load(const Thread& t, const Operand& operand);
    void raise(int index, const DecodedProgram& program, std::string_view reason);
    void control(int thread, int32_t request);
    void traceSlot(int index, const DecodedProgram& program, int32_t slot, std::string_view suffix);

    const progsmith::ModelInfo* model_;
    ProgramDevice& device_;
    std::span<int32_t> variables_;
    std::array<Thread, kThreads> threads_;
    int64_t clockUs_ = 0;
    int64_t timerEndUs_ = 0;
    int64_t credit_ = 0;
    uint64_t statements_ = 0;
    std::function<void(std::string_view)> trace_;
    std::function<bool(int, int32_t)> watch_;
    std::array<std::string, kThreads> faults_;
};

} // namespace simulator
