#pragma once
// What a running program does to the simulated controller. Device instructions act as the
// matching command does (HSPD=<v> as "HSPD=<v>", a move as "X<v>", DO<n>=<v> as "DO<n>=<v>"),
// by running that command on the controller without logging it; device quantities read what
// the matching query answers. An instruction the command would refuse changes nothing, as the
// command changes nothing, and the program goes on.
//
// Beyond the commands:
// - Multi-axis models have Y, Z and U axes of their own that only programs reach. Every axis
//   moves with the one speed set (HSPD, LSPD, ACC, DEC) and every per-axis speed form reads
//   and writes that set. A coordinated move starts each named axis towards its target; the
//   axes are not interpolated, so each arrives at its own time. Arcs and circles move nothing.
// - Per-axis settings with no command of their own (SL, LT, SYNCFG, SYNPOS, SYNTIME, SCV on
//   Y, Z, U; joystick tuning; TPE, TPI, TPO; BDT, APAR, KPAR, CPAR) are accepted and change
//   nothing; their read forms, and MIO<a>, read 0 or the axis's status word.

#include "simulator/program_interpreter.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace simulator {

class Axis;
class ControllerModel;

class ControllerProgramDevice final : public ProgramDevice {
public:
    explicit ControllerProgramDevice(ControllerModel& controller);

    int32_t read(const DeviceRead& quantity) override;
    void perform(progsmith::Form form, int32_t selector, int32_t value) override;
    bool axisBusy(int axis) override;

private:
    Axis* axis(int number); // nullptr for an axis the model lacks
    int32_t query(std::string_view command);
    void command(const std::string& text);
    bool performAxisInstruction(progsmith::Form form, int32_t selector, int32_t value);
    void stopAxes(int32_t selector, bool abort);

    ControllerModel& controller_;
    int axes_;
};

} // namespace simulator
