#include "motiondesk/main/status_poll.h"

#include "controller/status_decoding.h"
#include "link/command_channel.h"
#include "motiondesk/main/main_panel.h"
#include "motiondesk/main/motion_control.h"

namespace mainwindow {
using namespace controller;

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

void StatusPoll::setPaused(bool paused) {
    PollPaused = paused;
    steps_.clear();
    next_ = 0;
}

bool StatusPoll::runnable() const {
    return channel_.linkOpen() && !PollPaused;
}

// The steps of one cycle: the program state and the motion every cycle, the demonstration move,
// then the group of slower values whose turn it is.
void StatusPoll::startCycle() {
    steps_ = {&StatusPoll::readMotionMode,     &StatusPoll::readProgramStatus,
              &StatusPoll::readProgramIndex,   &StatusPoll::readDelta,
              &StatusPoll::readPosition,       &StatusPoll::readEncoder,
              &StatusPoll::readSpeed,          &StatusPoll::readMotionStatus,
              &StatusPoll::readStepLoopStatus, &StatusPoll::runDemonstrationStep,
              &StatusPoll::readSCurve};
    switch (StatusPhase) {
    case 1:
        steps_.insert(steps_.end(), {&StatusPoll::readSyncStatus, &StatusPoll::readDriverEnable});
        break;
    case 2:
        steps_.insert(steps_.end(), {&StatusPoll::readAnalogInput1, &StatusPoll::readAnalogInput2,
                                     &StatusPoll::advancePhase});
        break;
    case 3:
        steps_.insert(steps_.end(), {&StatusPoll::readDigitalInputs,
                                     &StatusPoll::readDigitalOutputs, &StatusPoll::advancePhase});
        break;
    default:
        steps_.insert(steps_.end(), {&StatusPoll::readLatchStatus, &StatusPoll::readLatchPosition,
                                     &StatusPoll::readLatchEncoder, &StatusPoll::advancePhase});
        break;
    }
    next_ = 0;
}

// A message box shown by a step runs a nested event loop in which the timer fires again; the
// guard keeps that second tick from starting in the middle of this one.
void StatusPoll::tick() {
    if (inTick_) return;
    if (!runnable()) {
        steps_.clear();
        next_ = 0;
        return;
    }
    if (!cycleRunning()) startCycle();
    inTick_ = true;
    const Step step = steps_[next_++];
    // Once the link has failed nothing more goes out and the display keeps what it shows.
    if (!(this->*step)() || !channel_.linkOpen()) next_ = steps_.size();
    inTick_ = false;
}

void StatusPoll::runCycle() {
    if (!runnable()) return tick();
    if (!cycleRunning()) startCycle();
    while (cycleRunning() && runnable())
        tick();
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
bool StatusPoll::readMotionMode() {
    std::string reply;
    if (channel_.exchange("MM", reply))
        if (const auto value = replyNumber(reply)) panel_.MM = motionModeText(*value);
    return true;
}

bool StatusPoll::readProgramStatus() {
    std::string reply;
    if (channel_.exchange("SASTAT", reply))
        if (const auto value = replyNumber(reply))
            if (const auto text = programStatusText(*value)) panel_.ProgStatus = *text;
    return true;
}

bool StatusPoll::readProgramIndex() {
    std::string reply;
    if (channel_.exchange("SPC", reply)) panel_.ProgIndex = reply;
    return true;
}

bool StatusPoll::readDelta() {
    return queryNumberInto("DX", panel_.delta);
}

bool StatusPoll::readPosition() {
    return queryNumberInto("PX", panel_.Pos);
}

bool StatusPoll::readEncoder() {
    return queryNumberInto("EX", panel_.Enc);
}

bool StatusPoll::readSpeed() {
    return queryNumberInto("PS", panel_.Speed);
}

bool StatusPoll::readStepLoopStatus() {
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

// The first group's two statuses are not examined; its turn passes at once.
bool StatusPoll::readSyncStatus() {
    StatusPhase = 2;
    std::string reply;
    if (channel_.exchange("SYNS", reply))
        if (const auto value = replyNumber(reply))
            if (const auto text = syncStatusText(*value)) panel_.SyncStat = *text;
    return true;
}

bool StatusPoll::readDriverEnable() {
    std::string reply;
    if (!channel_.exchange("EO", reply)) return true;
    const auto value = replyNumber(reply);
    if (!value || (*value != 0) == panel_.EnableStat) return true;
    // A change of the box runs its click behaviour, which sends the value back.
    panel_.EnableStat = *value != 0;
    motion_.driverEnableClicked();
    return true;
}

bool StatusPoll::readAnalogInput1() {
    std::string reply;
    if (!query("AI1", reply)) return false;
    panel_.AI1 = reply;
    return true;
}

bool StatusPoll::readAnalogInput2() {
    std::string reply;
    if (!query("AI2", reply)) return false;
    panel_.AI2 = reply;
    return true;
}

bool StatusPoll::advancePhase() {
    StatusPhase = StatusPhase % 4 + 1;
    return true;
}

bool StatusPoll::readDigitalInputs() {
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
    return true;
}

bool StatusPoll::readDigitalOutputs() {
    std::string reply;
    if (!query("DO", reply)) return false;
    if (const auto value = replyNumber(reply)) {
        const OutputLamps outputs = decodeDigitalOutputs(*value);
        panel_.InPosDO = outputs.InPosDO;
        panel_.AlarmDO = outputs.AlarmDO;
    }
    return true;
}

bool StatusPoll::readLatchStatus() {
    std::string reply;
    if (!query("LTS", reply)) return false;
    if (const auto value = replyNumber(reply)) panel_.LatchStat = latchStatusText(*value);
    return true;
}

bool StatusPoll::readLatchPosition() {
    return queryNumberInto("LTP", panel_.LatchPos);
}

bool StatusPoll::readLatchEncoder() {
    return queryNumberInto("LTE", panel_.LatchEnc);
}

} // namespace mainwindow
