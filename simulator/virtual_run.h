#pragma once
// A program run on a simulated controller in virtual time: the controller's clock moves only as
// the run moves it, as fast as the machine allows. The command line runs programs this way to
// check them without a controller; inputs are applied at their controller time and the run ends
// when both programs have ended or the time is up.

#include "simulator/controller_model.h"

#include <cstdint>
#include <functional>
#include <optional>
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

class VirtualRun {
public:
    explicit VirtualRun(ControllerConfig config);

    // The compiled lines into the program slots; false with the reason when a line is refused or
    // there are more lines than slots.
    bool load(const std::vector<std::string>& lines, std::string& error);
    // One input change now; false when the controller does not take it.
    bool apply(std::string_view assignment);
    // Starts each program the slots hold (0, 1 or both), then runs until they have ended or
    // limitUs of controller time have passed, applying each input at its time (in time order).
    // trace, when set, gets every executed slot with the controller time it ran at (the end of
    // its millisecond tick, from the start of the run).
    RunEnd run(int64_t limitUs, std::vector<TimedInput> inputs,
               std::function<void(int64_t us, std::string_view line)> trace = {});

    // What the controller answers to a query now ("V1", "PX", "SASTAT").
    std::string value(std::string_view query) { return controller_.value(query); }
    ControllerModel& controller() { return controller_; }

private:
    bool programsRunning() const;
    void advanceTo(int64_t us);

    int64_t nowUs_ = 0;
    ControllerModel controller_;
    std::vector<std::string> slots_;
};

} // namespace simulator
