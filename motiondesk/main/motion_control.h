#pragma once
// What the motion, speed, I/O, latch and sync controls of the main window send. Each method is
// the behaviour of one control; the widget only forwards the click.

#include "motiondesk/main/main_panel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace transport {
class CommandChannel;
} // namespace transport

namespace mainwindow {

using transport::CommandChannel;

// The buttons that move the axis: each sends its command through MoveCommand.
struct MoveButton {
    const char* control;
    const char* caption;
    const char* command;
    bool needsFirmware230;
};

inline constexpr MoveButton kMoveButtons[] = {
    {"Command13", "JOG+", "J+", false},   {"Command6", "JOG-", "J-", false},
    {"Command14", "HOME+", "H+", false},  {"Command19", "HOME-", "H-", false},
    {"HLP", "HL+", "HL+", true},          {"HLM", "HL-", "HL-", true},
    {"Command26", "L+", "L+", true},      {"Command27", "L-", "L-", true},
    {"Command17", "ZH+", "ZH+", false},   {"Command18", "ZH-", "ZH-", false},
    {"Command20", "Z+", "Z+", false},     {"Command21", "Z-", "Z-", false},
    {"Command15", "STOP", "STOP", false}, {"Command16", "ISTOP", "ABORT", false},
};

// High speed, low speed, acceleration, deceleration, in the order they are sent.
using SpeedValues = std::array<int32_t, 4>;

class MotionControl {
public:
    MotionControl(CommandChannel& channel, MainPanel& panel);

    // The four speed settings from the speed fields. False when the link is closed, a field does
    // not hold a whole number (nothing is sent) or an exchange failed.
    bool ApplySpeeds();
    // The speeds, then the command. A field that is not a whole number stops a move before
    // anything is sent, but never a stop: "STOP" and "ABORT" go out at once without the speeds,
    // and the field is named after.
    void MoveCommand(const std::string& command);

    // The speed fields as numbers (empty fields become "0"). On bad input returns nullopt and
    // leaves the message for the caller in problem.
    std::optional<SpeedValues> speedValues(std::string& problem);

    void moveButton(const std::string& command);
    void moveToPosition(); // "X" + the position field
    void datum();          // back to position 0, in absolute mode

    void setAbsoluteMode();
    void setIncrementalMode();
    void clearStatus();
    void resetPosition();
    void resetEncoder();
    void setPosition();
    void setEncoder();
    void triggerPosition(); // "TX": on-the-fly position change
    void setSpeedMode();
    void setAccelAndSpeed();
    void setSCurve(bool sCurve);

    // Click behaviour of the check boxes and output lamps, with the panel already holding the
    // new value of the box.
    void driverEnableClicked();
    void dioEnableClicked();
    void outputLampClicked(int output);
    void latchEnableClicked(bool loading);
    void syncOutputClicked(bool loading);

private:
    bool sendSpeeds(const SpeedValues& values);
    std::optional<int32_t> wholeNumberField(std::string MainPanel::*field, std::string& problem);
    std::optional<std::string> typedNumberField(std::string MainPanel::*field,
                                                std::string& problem);
    bool sendTypedPosition(const std::string& prefix);

    CommandChannel& channel_;
    MainPanel& panel_;
};

// The message for a field that must hold a whole number but does not.
std::string notWholeNumberMessage(const std::string& fieldName, const std::string& text);

} // namespace mainwindow
