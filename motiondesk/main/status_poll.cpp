#include "motiondesk/main/status_poll.h"

#include "motiondesk/main/main_panel.h"
#include "motiondesk/main/motion_control.h"
#include "motiondesk/main/status_decoding.h"
#include "motiondesk/session/command_channel.h"

namespace mainwindow {

namespace {

constexpr const char* kDemonstrationMoves[] = {"X1000", "X-2000", "X500", "X0"};

// Replies that are not numbers leave the display as it was.
void showDecimal(const std::string& reply, std::string& field) {
    if (const auto text = replyDecimalText(reply)) field = *text;
}

} // namespace

StatusPoll::StatusPoll(CommandChannel& channel, MainPanel& panel, MotionControl& motion)
    : channel_(channel), panel_(panel), motion_(motion) {}

void StatusPoll::start() {
    DemoMode = false;
    DemoStep = 1;
}

// A message box shown by a tick runs a nested event loop in which the timer fires again; the
// guard keeps that second tick from starting in the middle of this one.
void StatusPoll::tick() {
    if (inTick_ || !channel_.linkOpen() || PollPaused) return;
    inTick_ = true;
    readProgramState();
    // Once the link has failed nothing more goes out and the display keeps what it shows.
    if (channel_.linkOpen() && readMotion() && channel_.linkOpen() && runDemonstrationStep() &&
        channel_.linkOpen() && readSCurve() && channel_.linkOpen())
        readRotatingGroup();
    inTick_ = false;
}

bool StatusPoll::query(const char* command, std::string& reply) {
    return channel_.send(command, reply);
}

bool StatusPoll::queryNumberInto(const char* command, std::string& field) {
    std::string reply;
    if (!query(command, reply)) return false;
    showDecimal(reply, field);
    return true;
}

// The status of these three exchanges is not examined: the transport has already told the user.
void StatusPoll::readProgramState() {
    std::string reply;
    if (channel_.exchange("MM", reply))
        if (const auto value = replyNumber(reply)) panel_.MM = motionModeText(*value);
    if (!channel_.linkOpen()) return;
    if (channel_.exchange("SASTAT", reply))
        if (const auto value = replyNumber(reply))
            if (const auto text = programStatusText(*value)) panel_.ProgStatus = *text;
    if (!channel_.linkOpen()) return;
    if (channel_.exchange("SPC", reply)) panel_.ProgIndex = reply;
}

bool StatusPoll::readMotion() {
    if (!queryNumberInto("DX", panel_.delta) || !queryNumberInto("PX", panel_.Pos) ||
        !queryNumberInto("EX", panel_.Enc) || !queryNumberInto("PS", panel_.Speed) ||
        !readMotionStatus())
        return false;
    std::string reply;
    if (!query("SLS", reply)) return false;
    if (const auto value = replyNumber(reply))
        if (const auto text = stepLoopStatusText(*value)) panel_.VerimoveStatus = *text;
    return true;
}

bool StatusPoll::readMotionStatus() {
    std::string reply;
    if (!query("MST", reply)) return false;
    const auto value = replyNumber(reply);
    if (!value) return true;
    const MotionStatus status = decodeMotionStatus(*value);
    panel_.Stat = status.Stat;
    panel_.PosLim = status.PosLim;
    panel_.Home = status.Home;
    panel_.NegLim = status.NegLim;
    panel_.LatchIn = status.LatchIn;
    panel_.ZIndex = status.ZIndex;
    return true;
}

// With the axis idle, the next of four moves; a move the controller does not accept is tried
// again on a later tick.
bool StatusPoll::runDemonstrationStep() {
    if (!DemoMode || panel_.Stat != "IDLE") return true;
    std::string problem;
    const auto speeds = motion_.speedValues(problem);
    if (!speeds) {
        // Switched off before telling the user, so later ticks do not repeat the message.
        DemoMode = false;
        channel_.tell(problem);
        return true;
    }
    motion_.ApplySpeeds();
    std::string reply;
    if (!query(kDemonstrationMoves[DemoStep - 1], reply)) return false;
    if (reply == "OK") DemoStep = DemoStep % 4 + 1;
    return true;
}

bool StatusPoll::readSCurve() {
    std::string reply;
    if (!query("SCV", reply)) return false;
    if (const auto value = replyNumber(reply)) panel_.Scv = *value == 1;
    return true;
}

void StatusPoll::readRotatingGroup() {
    switch (StatusPhase) {
    case 1:
        readSyncAndEnable();
        StatusPhase = 2;
        break;
    case 2:
        if (readAnalogInputs()) StatusPhase = 3;
        break;
    case 3:
        if (readDigitalIo()) StatusPhase = 4;
        break;
    default:
        if (readLatch()) StatusPhase = 1;
        break;
    }
}

// The status of these two exchanges is not examined.
void StatusPoll::readSyncAndEnable() {
    std::string reply;
    if (channel_.exchange("SYNS", reply))
        if (const auto value = replyNumber(reply))
            if (const auto text = syncStatusText(*value)) panel_.SyncStat = *text;
    if (!channel_.linkOpen() || !channel_.exchange("EO", reply)) return;
    const auto value = replyNumber(reply);
    if (!value || (*value != 0) == panel_.EnableStat) return;
    // A change of the box runs its click behaviour, which sends the value back.
    panel_.EnableStat = *value != 0;
    motion_.driverEnableClicked();
}

bool StatusPoll::readAnalogInputs() {
    std::string first;
    if (!query("AI1", first)) return false;
    panel_.AI1 = first;
    std::string second;
    if (!query("AI2", second)) return false;
    panel_.AI2 = second;
    return true;
}

bool StatusPoll::readDigitalIo() {
    std::string reply;
    if (!query("DI", reply)) return false;
    if (const auto value = replyNumber(reply)) {
        const InputLamps inputs = decodeDigitalInputs(*value);
        panel_.StartDI = inputs.StartDI;
        panel_.AbortDI = inputs.AbortDI;
        panel_.In1 = inputs.In1;
        panel_.In2 = inputs.In2;
        panel_.In3 = inputs.In3;
        panel_.In4 = inputs.In4;
    }
    if (!query("DO", reply)) return false;
    if (const auto value = replyNumber(reply)) {
        const OutputLamps outputs = decodeDigitalOutputs(*value);
        panel_.InPosDO = outputs.InPosDO;
        panel_.AlarmDO = outputs.AlarmDO;
    }
    return true;
}

bool StatusPoll::readLatch() {
    std::string reply;
    if (!query("LTS", reply)) return false;
    if (const auto value = replyNumber(reply)) panel_.LatchStat = latchStatusText(*value);
    return queryNumberInto("LTP", panel_.LatchPos) && queryNumberInto("LTE", panel_.LatchEnc);
}

} // namespace mainwindow
