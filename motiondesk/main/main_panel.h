#pragma once
// Everything the main window shows or lets the user type, as plain values named after the
// controls. The logic classes read and write this panel; the widget copies it to and from its
// controls, so the logic can be tested without a single widget.

#include <string>

namespace mainwindow {

struct MainPanel {
    // Status displays, filled by the poll.
    std::string MM;
    std::string ProgStatus;
    std::string ProgIndex;
    std::string delta;
    std::string Pos;
    std::string Enc;
    std::string Speed;
    std::string Stat;
    std::string VerimoveStatus;
    std::string SyncStat;
    std::string AI1;
    std::string AI2;
    std::string LatchStat;
    std::string LatchPos;
    std::string LatchEnc;

    // Lamps: true is lit.
    bool PosLim = false;
    bool Home = false;
    bool NegLim = false;
    bool LatchIn = false;
    bool ZIndex = false;
    bool Scv = false;
    bool StartDI = false;
    bool AbortDI = false;
    bool In1 = false;
    bool In2 = false;
    bool In3 = false;
    bool In4 = false;
    bool InPosDO = false;
    bool AlarmDO = false;

    // Controller identity, read back at load.
    std::string ID;
    std::string Version;
    std::string SN;

    // Entry fields and choice lists.
    std::string SetSpeed = "1000";
    std::string LSpeed = "300";
    std::string Accel = "300";
    std::string Decel = "0";
    std::string SetPosition = "1000";
    std::string otfacc = "1000";
    std::string SSPDX;
    std::string SpeedModeList = "0";
    std::string XSel = "=";
    std::string SyncPos = "0";
    std::string SynTimeX = "0";

    // Check boxes: true is ticked.
    bool EnableStat = false;
    bool DIOenable = false;
    bool EnableLatch = false;
    bool SyncEnableX = false;
};

// Name tables, so the widget and the tests map controls to values in one place.
template <typename Value> struct PanelControl {
    const char* name;
    Value MainPanel::*member;
};

inline constexpr PanelControl<std::string> kPanelTexts[] = {
    {"MM", &MainPanel::MM},
    {"ProgStatus", &MainPanel::ProgStatus},
    {"ProgIndex", &MainPanel::ProgIndex},
    {"delta", &MainPanel::delta},
    {"Pos", &MainPanel::Pos},
    {"Enc", &MainPanel::Enc},
    {"Speed", &MainPanel::Speed},
    {"Stat", &MainPanel::Stat},
    {"VerimoveStatus", &MainPanel::VerimoveStatus},
    {"SyncStat", &MainPanel::SyncStat},
    {"AI1", &MainPanel::AI1},
    {"AI2", &MainPanel::AI2},
    {"LatchStat", &MainPanel::LatchStat},
    {"LatchPos", &MainPanel::LatchPos},
    {"LatchEnc", &MainPanel::LatchEnc},
    {"ID", &MainPanel::ID},
    {"Version", &MainPanel::Version},
    {"SN", &MainPanel::SN},
};

inline constexpr PanelControl<bool> kPanelLamps[] = {
    {"PosLim", &MainPanel::PosLim},   {"Home", &MainPanel::Home},
    {"NegLim", &MainPanel::NegLim},   {"LatchIn", &MainPanel::LatchIn},
    {"ZIndex", &MainPanel::ZIndex},   {"Scv", &MainPanel::Scv},
    {"StartDI", &MainPanel::StartDI}, {"AbortDI", &MainPanel::AbortDI},
    {"In1", &MainPanel::In1},         {"In2", &MainPanel::In2},
    {"In3", &MainPanel::In3},         {"In4", &MainPanel::In4},
    {"InPosDO", &MainPanel::InPosDO}, {"AlarmDO", &MainPanel::AlarmDO},
};

// Fields the user types into.
inline constexpr PanelControl<std::string> kPanelFields[] = {
    {"SetSpeed", &MainPanel::SetSpeed},
    {"LSpeed", &MainPanel::LSpeed},
    {"Accel", &MainPanel::Accel},
    {"Decel", &MainPanel::Decel},
    {"SetPosition", &MainPanel::SetPosition},
    {"otfacc", &MainPanel::otfacc},
    {"SSPDX", &MainPanel::SSPDX},
    {"SyncPos", &MainPanel::SyncPos},
};

// Choice lists: the panel holds the chosen text.
inline constexpr PanelControl<std::string> kPanelLists[] = {
    {"SpeedModeList", &MainPanel::SpeedModeList},
    {"XSel", &MainPanel::XSel},
    {"SynTimeX", &MainPanel::SynTimeX},
};

inline constexpr PanelControl<bool> kPanelChecks[] = {
    {"EnableStat", &MainPanel::EnableStat},
    {"DIOenable", &MainPanel::DIOenable},
    {"EnableLatch", &MainPanel::EnableLatch},
    {"SyncEnableX", &MainPanel::SyncEnableX},
};

} // namespace mainwindow
