#pragma once
// What the program simulator window shows and does, without the window: a compiled program on a
// simulated controller of its own, run at real speed, ten times faster or as fast as the machine
// allows, stepped a source statement at a time, stopped at breakpoints, stepped back; the inputs
// set by the user; the values changed by the last step or run.

#include "simulator/virtual_run.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace simulate {

enum class Speed { RealTime, TenTimes, Fastest };

// The controller as the window shows it after a step or a frame of a run.
struct SimulatedState {
    int64_t timeUs = 0;
    std::array<int, 2> states{0, 0};      // SASTAT of each program thread
    std::array<int, 2> nextLines{0, 0};   // the source line each thread runs next; 0: none
    std::array<std::string, 2> faults;    // why a thread in state 4 stopped
    std::array<int32_t, 100> variables{}; // V1 .. V100
    std::set<int> changed;                // variables changed by the last step or run
    int32_t position = 0, encoder = 0, speed = 0;
    int32_t motionStatus = 0; // the motion status word (MST)
    int32_t timer = 0;        // TR, in milliseconds
    int32_t inputs = 0, outputs = 0;
    std::array<bool, 3> limitInputs{}; // the +limit, -limit and home switches as set
};

class ProgramSimulation {
public:
    // The compiled lines with the source line of each; the programs start at once, their clock
    // standing until a run or a step moves it. error() says why when the lines cannot be loaded.
    ProgramSimulation(const std::string& model, const std::vector<std::string>& lines,
                      const std::vector<int>& sourceLines);

    const std::string& error() const { return error_; }
    const std::string& model() const { return model_; }

    void run();
    void pause();
    bool running() const { return running_; }
    void setSpeed(Speed speed) { speed_ = speed; }
    Speed speed() const { return speed_; }
    // One frame of a run, wallUs of real time after the last: the controller time the speed
    // gives (as fast as possible: as much as about 25 ms of this machine's time does). A run
    // stops at a breakpoint or when no program runs any more.
    void frame(int64_t wallUs);

    // One source statement of the thread (0 or 1).
    void step(int thread);
    // Undoes the last step, input, or frame of a run; false when there is nothing to undo.
    bool stepBack();
    // Back to the start: the programs at their first statements, every value as at the start,
    // the breakpoints kept.
    void reset();

    void toggleBreakpoint(int line);
    const std::set<int>& breakpoints() const { return run_.breakpoints(); }

    // An input set or cleared by the user: "DI3=1", "LIMIT+=1", "HOMEIN=0".
    bool setInput(const std::string& assignment);

    const SimulatedState& state() const { return state_; }
    // What happened last, for the status line: "Stopped at the breakpoint on line 12 (program
    // 1)", "Program 0 is waiting", "The programs have ended".
    const std::string& status() const { return status_; }
    // The thread to show: the one stepped last, or stopped at a breakpoint or by a fault.
    int focus() const { return focus_; }
    // Frames of runs so far (for the benchmark).
    uint64_t frames() const { return frames_; }
    simulator::VirtualRun& engine() { return run_; }

private:
    void beginAction();
    void read();
    void halted(const simulator::Halt& halt);
    std::string faultText(int thread) const;

    std::string model_;
    simulator::VirtualRun run_;
    std::string error_;
    bool running_ = false;
    Speed speed_ = Speed::RealTime;
    int64_t fastChunkUs_ = 1000;
    uint64_t frames_ = 0;
    int focus_ = 0;
    std::array<int32_t, 100> before_{};
    SimulatedState state_;
    std::string status_;
};

// A program compiled for the simulator, in-process and as Compile compiles it.
struct SimulationProgram {
    std::vector<std::string> lines;
    std::vector<int> sourceLines;
    std::string error; // the message Compile shows; empty when it compiled
    int errorLine = 0; // the line Compile selects; 0: none
};
// The program text (single bytes, CR LF) for the model.
SimulationProgram compileForSimulation(const std::string& source, const std::string& model);

// SASTAT's state as words: "idle", "running", "paused", "fault".
const char* threadStateText(int state);

} // namespace simulate
