#pragma once
// A simulated controller: its settings, axis, I/O, variables, program slots and digital I/O
// table, and the reply it gives to each command. Plain C++; every way of reaching a controller
// (the in-process adapters, the pseudo-terminal, TCP and the USB stand-in of controller-sim)
// hands it the bare command text and sends back what execute() returns.
//
// Reply rules: set commands that are accepted answer "OK"; queries answer the value as decimal
// text; anything the controller does not understand, or a value it refuses, answers "?" followed
// by the command exactly as received. With RT=1 every reply starts with "#" and the device ID.

#include "simulator/faults.h"
#include "simulator/model_table.h"
#include "simulator/motion.h"
#include "simulator/program_device.h"
#include "simulator/program_interpreter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

struct ControllerConfig {
    std::string model = "KT-210";
    int firmware = 223;
    std::string deviceId = "01"; // two digits, 01 .. 99
    int baudRate = 9600;         // 9600, 19200, 38400, 57600 or 115200
};

class ControllerModel {
public:
    // An unknown model falls back to KT-210, an unusable ID to 01 and an unknown rate to 9600.
    explicit ControllerModel(ControllerConfig config = {});
    ControllerModel(const ControllerModel&) = delete;
    ControllerModel& operator=(const ControllerModel&) = delete;

    // Runs one command (no address, no CR) and returns the reply without its CR. The command is
    // added to the command log.
    std::string execute(std::string_view command);

    // Every command received, in order.
    const std::vector<std::string>& commandLog() const { return log_; }
    void clearCommandLog() { log_.clear(); }

    // The answer a query would give now, without logging it and without the RT prefix:
    // value("HSPD") == "1000", value("SA3"), value("MPA2").
    std::string value(std::string_view query);
    // Sets any readable value, read-only ones included, for a start state or a test:
    // "PX=500", "DI=5", "AI1=512", "SASTAT=1", "SPC=7", "LIMIT+=1", "LIMIT-=1", "HOMEIN=1",
    // "LATCHIN=1", "ZINDEX=1", "V7=3", "SA0=...". False when the key or value is not accepted.
    bool setState(std::string_view assignment);
    // Power off and on: stored settings come back, the ID and baud rate set with DN= and DB=
    // take effect if they were stored, the axis stands still, volatile variables are 0.
    void powerCycle();
    // Takes the state of another controller of the same model holding the same program: every
    // value commands and programs change, the axes and the program threads. Not the slots, the
    // time source, the command log or the faults.
    void copyStateFrom(const ControllerModel& other);
    // A copy kept for its state alone gives back the memory of its (empty) program slots; it
    // takes no command after this.
    void releaseSlots() { std::vector<std::string>().swap(slots_); }

    const ModelInfo& model() const { return *model_; }
    int firmware() const { return firmware_; }
    const std::string& deviceId() const { return activeId_; }
    int baudRate() const;            // the rate the controller listens at
    std::string productText() const; // USB product text: model key + ID, e.g. "KTR01"

    // Microseconds of a monotonic clock; motion and programs advance with it. Defaults to the
    // steady clock.
    void setTimeSource(std::function<int64_t()> nowUs);
    // Brings motion and programs up to the time source's now. Every command does this first;
    // a host calls it on a timer so a program also runs while nobody asks.
    void advance();
    Axis& axis() { return axis_; }
    FaultInjector& faults() { return faults_; }

    // The interpreter of the programs in the slots (SR, SASTAT, SPC act on it).
    const ProgramInterpreter& programs() const { return interpreter_; }
    // One line per executed program slot (see ProgramInterpreter::setTrace).
    void setProgramTrace(std::function<void(std::string_view)> sink);
    // Asked before each program slot runs (see ProgramInterpreter::setWatch).
    void setProgramWatch(std::function<bool(int thread, int32_t slot)> watch);

private:
    friend class ControllerProgramDevice;
    using Reply = std::optional<std::string>; // nullopt: not a command this handler knows

    std::string run(std::string_view command);
    void advanceTime();
    void advanceAxes(int64_t elapsedUs);
    SpeedSettings speeds() const;
    int64_t number(std::string_view name) const;

    Reply handleParameter(std::string_view key, std::optional<std::string_view> value);
    Reply handleMotion(std::string_view key, std::optional<std::string_view> value);
    Reply handleStatus(std::string_view key, std::optional<std::string_view> value);
    Reply handleIdentity(std::string_view key, std::optional<std::string_view> value);
    Reply handleOutputs(std::string_view key, std::optional<std::string_view> value);
    Reply handleProgram(std::string_view key, std::optional<std::string_view> value);
    Reply handleVariable(std::string_view key, std::optional<std::string_view> value);
    Reply handleSlot(std::string_view key, std::optional<std::string_view> value);
    Reply handleDioTable(std::string_view key, std::optional<std::string_view> value);
    Reply handleDriverTransfer(std::string_view key, std::optional<std::string_view> value);
    Reply handleSyncAndLatch(std::string_view key, std::optional<std::string_view> value);
    void checkSyncAndLatch(int32_t positionBefore);
    bool setInput(std::string_view key, std::string_view text);
    bool setReadOnlyValue(std::string_view key, std::string_view text);
    int32_t programCounter(int thread) const;

    const ModelInfo* model_;
    int firmware_;
    std::string activeId_;
    std::string pendingId_;
    int activeBaudCode_;
    int pendingBaudCode_;

    std::map<std::string, std::string, std::less<>> parameters_;
    Axis axis_;
    std::array<Axis, 3> otherAxes_{}; // Y, Z, U of the multi-axis models, moved by programs
    bool incremental_ = false;
    int inputs_ = 0;
    int outputs_ = 0;
    int analog_[2] = {0, 0};
    int latchState_ = 0;
    int32_t latchPosition_ = 0;
    int32_t latchEncoder_ = 0;
    int syncState_ = 0;
    bool joystick_ = false;
    bool driverReadOk_ = false;
    bool driverWriteOk_ = false;
    std::map<std::string, std::string, std::less<>> driverSettings_;
    std::array<int64_t, 2> counterOverride_{-1, -1}; // SPC shown without a program behind it
    std::array<int32_t, 101> variables_{}; // by number; V1 .. V100 are reachable by command,
    int firstVariable_ = 1;                // and V0 where the model numbers them from 0
    std::vector<std::string> slots_;
    std::array<std::array<int32_t, 5>, 16> dioTable_{};

    struct Stored {
        std::map<std::string, std::string, std::less<>> parameters;
        std::array<int32_t, 101> variables{};
        std::array<std::array<int32_t, 5>, 16> dioTable{};
        std::string id;
        int baudCode = 1;
    } stored_;

    std::function<int64_t()> nowUs_;
    int64_t lastUs_ = 0;
    std::vector<std::string> log_;
    FaultInjector faults_;
    ControllerProgramDevice device_{*this};
    ProgramInterpreter interpreter_;
};

// Baud-rate code of "DB" (1 .. 5) for a rate, 0 for any other rate; and back (0 when unknown).
int baudCodeForRate(int baudRate);
int rateForBaudCode(int code);

} // namespace simulator
