#include "motiondesk/main/motion_control.h"

#include "controller/status_decoding.h"
#include "link/command_channel.h"

#include "common/numbers.h"
#include "common/text.h"

namespace mainwindow {
using namespace controller;

namespace {

struct FieldLabel {
    std::string MainPanel::*member;
    const char* name;
    const char* label;
};

constexpr FieldLabel kFieldLabels[] = {
    {&MainPanel::SetSpeed, "SetSpeed", "High speed"},
    {&MainPanel::LSpeed, "LSpeed", "Low speed"},
    {&MainPanel::Accel, "Accel", "Acceleration"},
    {&MainPanel::Decel, "Decel", "Deceleration"},
    {&MainPanel::SetPosition, "SetPosition", "Position"},
    {&MainPanel::otfacc, "otfacc", "On-the-fly acceleration"},
    {&MainPanel::SSPDX, "SSPDX", "On-the-fly speed"},
    {&MainPanel::SyncPos, "SyncPos", "Sync position"},
    {&MainPanel::SynTimeX, "SynTimeX", "Sync output time"},
};

std::string describeField(std::string MainPanel::*member) {
    for (const FieldLabel& field : kFieldLabels)
        if (field.member == member) return std::string(field.label) + " (" + field.name + ")";
    return "Field";
}

// A sign and digits only: what may go to the controller as the user typed it.
bool isPlainInteger(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return common::toWholeNumber(text).has_value();
}

bool isStopCommand(const std::string& command) {
    return command == "STOP" || command == "ABORT";
}

} // namespace

std::string notWholeNumberMessage(const std::string& fieldName, const std::string& text) {
    return fieldName + " must be a whole number, not \"" + text + "\".";
}

MotionControl::MotionControl(CommandChannel& channel, MainPanel& panel)
    : channel_(channel), panel_(panel) {}

std::optional<int32_t> MotionControl::wholeNumberField(std::string MainPanel::*field,
                                                       std::string& problem) {
    std::string& text = panel_.*field;
    if (text.empty()) text = "0";
    const auto value = common::toWholeNumber(text);
    if (!value) problem = notWholeNumberMessage(describeField(field), text);
    return value;
}

// Positions and the on-the-fly speed go out as typed; they must still be whole numbers, and a
// stray character must never reach the controller as part of a command. An empty field is
// refused too: "PX=0" or "T0" would set a position the user never typed.
std::optional<std::string> MotionControl::typedNumberField(std::string MainPanel::*field,
                                                           std::string& problem) {
    const std::string& text = panel_.*field;
    const std::string number = common::trimmed(text, " \t");
    if (isPlainInteger(number)) return number;
    problem = notWholeNumberMessage(describeField(field), text);
    return std::nullopt;
}

std::optional<SpeedValues> MotionControl::speedValues(std::string& problem) {
    SpeedValues values{};
    std::string MainPanel::*const fields[] = {&MainPanel::SetSpeed, &MainPanel::LSpeed,
                                              &MainPanel::Accel, &MainPanel::Decel};
    for (size_t i = 0; i < values.size(); ++i) {
        const auto value = wholeNumberField(fields[i], problem);
        if (!value) return std::nullopt;
        values[i] = *value;
    }
    return values;
}

bool MotionControl::sendSpeeds(const SpeedValues& values) {
    static constexpr const char* prefixes[] = {"HSPD=", "LSPD=", "ACC=", "DEC="};
    for (size_t i = 0; i < values.size(); ++i)
        if (!channel_.send(prefixes[i] + std::to_string(values[i]))) return false;
    return true;
}

bool MotionControl::ApplySpeeds() {
    if (!channel_.linkOpen()) return false;
    std::string problem;
    const auto values = speedValues(problem);
    if (!values) {
        channel_.tell(problem);
        return false;
    }
    return sendSpeeds(*values);
}

// A stop never waits on the user: with a bad speed field it goes out at once, without the
// speeds, and only then is the field named.
// A stop goes out at once: four speed settings before it would hold it up by four exchanges
// (seconds with a controller that answers slowly), and a stop starts no move that needs them.
void MotionControl::MoveCommand(const std::string& command) {
    if (isStopCommand(command)) {
        channel_.send(command);
        return;
    }
    std::string problem;
    if (channel_.linkOpen()) {
        const auto values = speedValues(problem);
        if (!values) return channel_.tell(problem);
        sendSpeeds(*values);
    }
    channel_.send(command);
}

void MotionControl::moveButton(const std::string& command) {
    if (channel_.linkOpen()) MoveCommand(command);
}

void MotionControl::moveToPosition() {
    if (!channel_.linkOpen()) return;
    std::string problem;
    // The move alone treats an empty target as 0.
    if (panel_.SetPosition.empty()) panel_.SetPosition = "0";
    // Checked before the speeds go out, so a bad target sends nothing at all.
    const auto target = typedNumberField(&MainPanel::SetPosition, problem);
    if (!target) return channel_.tell(problem);
    MoveCommand("X" + *target);
}

void MotionControl::datum() {
    if (!channel_.linkOpen()) return;
    std::string problem;
    if (!speedValues(problem)) return channel_.tell(problem);
    const bool incremental = panel_.MM == "INC";
    if (incremental) channel_.exchange("ABS");
    MoveCommand("X0");
    if (incremental) channel_.exchange("INC");
}

void MotionControl::setAbsoluteMode() {
    if (channel_.linkOpen()) channel_.send("ABS");
}

void MotionControl::setIncrementalMode() {
    if (channel_.linkOpen()) channel_.send("INC");
}

void MotionControl::clearStatus() {
    if (channel_.linkOpen()) channel_.send("CLR");
}

void MotionControl::resetPosition() {
    if (channel_.linkOpen()) channel_.send("PX=0");
}

void MotionControl::resetEncoder() {
    if (channel_.linkOpen()) channel_.send("EX=0");
}

bool MotionControl::sendTypedPosition(const std::string& prefix) {
    std::string problem;
    const auto value = typedNumberField(&MainPanel::SetPosition, problem);
    if (!value) {
        channel_.tell(problem);
        return false;
    }
    std::string reply;
    if (!channel_.send(prefix + *value, reply)) return false;
    if (prefix == "T" && reply != "OK") channel_.tell("Error! " + reply);
    return true;
}

void MotionControl::setPosition() {
    if (channel_.linkOpen()) sendTypedPosition("PX=");
}

void MotionControl::setEncoder() {
    if (channel_.linkOpen()) sendTypedPosition("EX=");
}

void MotionControl::triggerPosition() {
    if (channel_.linkOpen()) sendTypedPosition("T");
}

void MotionControl::setSpeedMode() {
    channel_.send("SSPDM=" + panel_.SpeedModeList);
}

void MotionControl::setAccelAndSpeed() {
    std::string problem;
    const auto acceleration = wholeNumberField(&MainPanel::otfacc, problem);
    const auto speed = acceleration ? typedNumberField(&MainPanel::SSPDX, problem) : std::nullopt;
    if (!speed) return channel_.tell(problem);
    if (!channel_.send("ACC=" + std::to_string(*acceleration))) return;
    std::string reply;
    if (!channel_.send("SSPD" + *speed, reply)) return;
    if (reply != "OK") channel_.tell("Error Setting Speed! " + reply);
}

void MotionControl::setSCurve(bool sCurve) {
    if (!channel_.linkOpen()) return;
    if (panel_.Stat != "IDLE") return channel_.tell("Cannot set while running!");
    std::string reply;
    if (!channel_.send(sCurve ? "SCV=1" : "SCV=0", reply)) return;
    if (reply != "OK") channel_.tell("Error Setting Scurve!");
}

void MotionControl::driverEnableClicked() {
    if (channel_.linkOpen()) channel_.exchange(panel_.EnableStat ? "EO=1" : "EO=0");
}

void MotionControl::dioEnableClicked() {
    channel_.send(panel_.DIOenable ? "EDIO=1" : "EDIO=0");
}

void MotionControl::outputLampClicked(int output) {
    if (!channel_.linkOpen()) return;
    const bool lit = output == 1 ? panel_.InPosDO : panel_.AlarmDO;
    const std::string command = "DO" + std::to_string(output) + (lit ? "=0" : "=1");
    std::string reply;
    if (channel_.send(command, reply) && reply == "?DIO enabled") channel_.tell("DIO is enabled.");
}

void MotionControl::latchEnableClicked(bool loading) {
    if (!channel_.linkOpen() || loading) return;
    std::string reply;
    if (!channel_.send("LTS", reply)) return;
    const auto state = replyNumber(reply);
    if (!state) return; // not a latch state: leave the latch as it is
    channel_.send(*state == 0 ? "LT=1" : "LT=0");
}

void MotionControl::syncOutputClicked(bool loading) {
    if (!channel_.linkOpen() || loading) return;
    std::string problem;
    const auto position = wholeNumberField(&MainPanel::SyncPos, problem);
    const auto time = position ? wholeNumberField(&MainPanel::SynTimeX, problem) : std::nullopt;
    if (!time) {
        // Nothing went out, so the box goes back to what the controller still has.
        panel_.SyncEnableX = !panel_.SyncEnableX;
        return channel_.tell(problem);
    }

    const std::string& comparison = panel_.XSel;
    const char* mode = comparison == "="   ? "SYNC=1"
                       : comparison == ">" ? "SYNC=3"
                       : comparison == "<" ? "SYNC=2"
                                           : nullptr;
    if (mode && !channel_.send(mode)) return;
    if (!channel_.send("SYNP=" + std::to_string(*position))) return;
    if (!channel_.send("SYNT=" + std::to_string(*time))) return;
    channel_.send(panel_.SyncEnableX ? "SYNO" : "SYNF");
}

} // namespace mainwindow
