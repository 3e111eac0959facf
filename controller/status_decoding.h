#pragma once
// Turning the controller's numeric status replies into what the main window shows.
// Functions that return nullopt mean "leave the display as it is".

#include <cstdint>
#include <optional>
#include <string>

namespace controller {

// A numeric reply as a 32-bit whole number; nullopt when the text is not a number.
std::optional<int32_t> replyNumber(const std::string& reply);
// The reply re-formatted as plain decimal text; nullopt when it is not a number.
std::optional<std::string> replyDecimalText(const std::string& reply);

// "MM": "INC" for any value but 0, else "ABS".
std::string motionModeText(int32_t value);
// "SASTAT": Idle, Running, Paused, Errored.
std::optional<std::string> programStatusText(int32_t value);
// "SLS": the step-and-loop states 0 to 13.
std::optional<std::string> stepLoopStatusText(int32_t value);
// "SYNS": OFF, WAITING, ON.
std::optional<std::string> syncStatusText(int32_t value);
// "LTS": OFF, WAITING, ON, or the number itself.
std::string latchStatusText(int32_t value);

struct MotionStatus {
    std::string Stat;
    bool PosLim = false;
    bool Home = false;
    bool NegLim = false;
    bool LatchIn = false;
    bool ZIndex = false;
};
// "MST": motion state text (limit errors win over the motion state) and the five lamps.
MotionStatus decodeMotionStatus(int32_t value);

// "DI": the input lamps are lit while their bit is clear (the inputs are active low).
struct InputLamps {
    bool StartDI, AbortDI, In1, In2, In3, In4;
};
InputLamps decodeDigitalInputs(int32_t value);

// "DO": an output lamp is lit while its bit is set.
struct OutputLamps {
    bool InPosDO, AlarmDO;
};
OutputLamps decodeDigitalOutputs(int32_t value);

// "VER" reply such as "V231": characters 2 to 4 as a number, 0 when there is none.
int16_t firmwareVersionFromReply(const std::string& reply);

} // namespace controller
