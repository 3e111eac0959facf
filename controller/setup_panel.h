#pragma once
// Everything the set-up window "LMC-7 Setup" shows or lets the user set, as plain values named
// after its controls. The parameter set's commands, the parameter file and the change marks
// read and write this panel; the window copies it to and from its controls, so all of it can
// be tested without a single widget.

#include <string>

namespace setup {

struct SetupPanel {
    // "Polarity/Setup": each choice is a pair of option buttons (three for the encoder). The
    // upload and a parameter file can clear a High choice without selecting Low, so a pair may
    // show neither.
    bool DirPolLow = true;
    bool DirPolHigh = false;
    bool LimitPolLow = true;
    bool LimitPolHigh = false;
    bool HomePolLow = true;
    bool HomePolHigh = false;
    bool LatchPolLow = true;
    bool LatchPolHigh = false;
    bool ZPolLow = true;
    bool ZPolHigh = false;
    bool EncoderX1 = true;
    bool EncoderX2 = false;
    bool EncoderX4 = false;
    bool OutPolLow = true;
    bool OutPolHigh = false;
    bool InPolLow = true;
    bool InPolHigh = false;
    bool SAPolLow = true;
    bool SAPolHigh = false;
    bool EOPolLow = true;
    bool EOPolHigh = false;

    // "Misc Settings"
    bool RunOnBoot = false;
    bool RunOnBoot2 = false;
    std::string EOBOOT = "0";
    std::string DOBOOT = "0";
    bool EnaDEC = false;
    std::string HCA = "0";
    std::string LCA = "0";
    bool RZ = false;
    bool IERR = false;

    // "Communication Setup": the lists hold the shown text, which need not be one of theirs.
    std::string DeviceIDCombo;
    std::string baudCombo;
    bool RT = false;
    std::string Watchdog = "0";

    // "Verimove Control"
    bool VerimoveEnable = false;
    std::string VerimoveTolRange = "1";
    std::string VerimoveErrorRange = "1";
    std::string VerimoveMaxAttempt = "1";
    std::string VerimoveRatio = "1";

    // "Joystick Control"
    std::string JoyMaxSpdX = "0";
    std::string JoyMaxDeltaX = "0";
    std::string JoyZeroTolX = "0";
    std::string NegOuterX = "0";
    std::string NegInnerX = "0";
    std::string PosInnerX = "0";
    std::string PosOuterX = "0";
    bool joyenable = false;

    // "DIO Control"
    bool DIOenable = false;

    // "Driver Settings": the first entry of each list until the controller says otherwise.
    std::string MicrostepSelect = "2";
    std::string RunCurrentSelect = "100";
    std::string IdleCurrentSelect = "100";
    std::string IdleTimeSelect = "1";

    bool operator==(const SetupPanel&) const = default;
};

// One control of the panel: its object name, how messages and lists name it, and its value.
template <typename Value> struct SetupControl {
    const char* name;
    const char* description;
    Value SetupPanel::*member;
};

// Entry fields.
inline constexpr SetupControl<std::string> kSetupFields[] = {
    {"EOBOOT", "EO Boot", &SetupPanel::EOBOOT},
    {"DOBOOT", "DO Boot", &SetupPanel::DOBOOT},
    {"HCA", "HCA", &SetupPanel::HCA},
    {"LCA", "LCA", &SetupPanel::LCA},
    {"Watchdog", "Time-out Counter", &SetupPanel::Watchdog},
    {"VerimoveTolRange", "Tol Range", &SetupPanel::VerimoveTolRange},
    {"VerimoveErrorRange", "Error Range", &SetupPanel::VerimoveErrorRange},
    {"VerimoveMaxAttempt", "Max Attempt", &SetupPanel::VerimoveMaxAttempt},
    {"VerimoveRatio", "Ratio", &SetupPanel::VerimoveRatio},
    {"JoyMaxSpdX", "Joystick Max Spd", &SetupPanel::JoyMaxSpdX},
    {"JoyMaxDeltaX", "Joystick Spd Delta", &SetupPanel::JoyMaxDeltaX},
    {"JoyZeroTolX", "Joystick Zero Tol", &SetupPanel::JoyZeroTolX},
    {"NegOuterX", "Joystick Neg Outer", &SetupPanel::NegOuterX},
    {"NegInnerX", "Joystick Neg Inner", &SetupPanel::NegInnerX},
    {"PosInnerX", "Joystick Pos Inner", &SetupPanel::PosInnerX},
    {"PosOuterX", "Joystick Pos Outer", &SetupPanel::PosOuterX},
};

// Lists the user may also type into.
inline constexpr SetupControl<std::string> kSetupLists[] = {
    {"DeviceIDCombo", "Device ID", &SetupPanel::DeviceIDCombo},
    {"baudCombo", "Baud Rate", &SetupPanel::baudCombo},
    {"MicrostepSelect", "uStepping", &SetupPanel::MicrostepSelect},
    {"RunCurrentSelect", "Run Curr", &SetupPanel::RunCurrentSelect},
    {"IdleCurrentSelect", "Idle Curr", &SetupPanel::IdleCurrentSelect},
    {"IdleTimeSelect", "Idle Time", &SetupPanel::IdleTimeSelect},
};

inline constexpr SetupControl<bool> kSetupChecks[] = {
    {"RunOnBoot", "Auto Run 0", &SetupPanel::RunOnBoot},
    {"RunOnBoot2", "Auto Run 1", &SetupPanel::RunOnBoot2},
    {"EnaDEC", "Enable Decel", &SetupPanel::EnaDEC},
    {"RZ", "RZ", &SetupPanel::RZ},
    {"IERR", "IERR", &SetupPanel::IERR},
    {"RT", "ID appended to response", &SetupPanel::RT},
    {"VerimoveEnable", "Verimove Enable", &SetupPanel::VerimoveEnable},
    {"joyenable", "Joystick Enable", &SetupPanel::joyenable},
    {"DIOenable", "DIO Control Enable", &SetupPanel::DIOenable},
};

// Option buttons; the choices they make up are in polarity_word.h.
inline constexpr SetupControl<bool> kSetupOptions[] = {
    {"DirPolLow", "Dir Low", &SetupPanel::DirPolLow},
    {"DirPolHigh", "Dir High", &SetupPanel::DirPolHigh},
    {"LimitPolLow", "Limit Low", &SetupPanel::LimitPolLow},
    {"LimitPolHigh", "Limit High", &SetupPanel::LimitPolHigh},
    {"HomePolLow", "Home Low", &SetupPanel::HomePolLow},
    {"HomePolHigh", "Home High", &SetupPanel::HomePolHigh},
    {"LatchPolLow", "Latch Low", &SetupPanel::LatchPolLow},
    {"LatchPolHigh", "Latch High", &SetupPanel::LatchPolHigh},
    {"ZPolLow", "Z Index Low", &SetupPanel::ZPolLow},
    {"ZPolHigh", "Z Index High", &SetupPanel::ZPolHigh},
    {"EncoderX1", "Encoder 1X", &SetupPanel::EncoderX1},
    {"EncoderX2", "Encoder 2X", &SetupPanel::EncoderX2},
    {"EncoderX4", "Encoder 4X", &SetupPanel::EncoderX4},
    {"OutPolLow", "Output Low", &SetupPanel::OutPolLow},
    {"OutPolHigh", "Output High", &SetupPanel::OutPolHigh},
    {"InPolLow", "Input Low", &SetupPanel::InPolLow},
    {"InPolHigh", "Input High", &SetupPanel::InPolHigh},
    {"SAPolLow", "SA Err Low", &SetupPanel::SAPolLow},
    {"SAPolHigh", "SA Err High", &SetupPanel::SAPolHigh},
    {"EOPolLow", "Enable Low", &SetupPanel::EOPolLow},
    {"EOPolHigh", "Enable High", &SetupPanel::EOPolHigh},
};

// The object name of the control that holds member; nullptr for a member of no control.
template <typename Value, size_t N>
constexpr const char* controlNameIn(const SetupControl<Value> (&table)[N],
                                    Value SetupPanel::*member) {
    for (const auto& control : table)
        if (control.member == member) return control.name;
    return nullptr;
}

// The member behind an object name; nullptr when no control of that table has the name.
template <typename Value, size_t N>
Value SetupPanel::*memberNamed(const SetupControl<Value> (&table)[N], const std::string& name) {
    for (const auto& control : table)
        if (name == control.name) return control.member;
    return nullptr;
}

} // namespace setup
