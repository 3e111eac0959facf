#pragma once
// The status poll: one cycle queries the controller's state and refreshes the panel. Four groups
// of slower-changing values take turns, one group per cycle. The same cycle drives the
// demonstration cycle.
//
// A cycle goes step by step, one exchange a step, each step a turn of the event loop: a click of
// STOP (or any other button) goes out after the exchange in progress, not after the whole cycle.
// The commands and their order within a cycle stay the same; only one exchange is ever in flight.

#include <cstdint>
#include <string>
#include <vector>

namespace transport {
class CommandChannel;
} // namespace transport

namespace mainwindow {

using transport::CommandChannel;

class MotionControl;
struct MainPanel;

class StatusPoll {
public:
    StatusPoll(CommandChannel& channel, MainPanel& panel, MotionControl& motion);

    // The next step of the cycle, starting a cycle when none runs. Does nothing (and drops a
    // cycle left part way) while the link is unusable or the poll is paused.
    void tick();
    // The rest of the running cycle, or a whole new one.
    void runCycle();
    bool cycleRunning() const { return next_ < steps_.size(); }
    // Pauses or resumes the poll. A cycle that the pause cut short is dropped: after the port
    // was away the poll starts over from the beginning.
    void setPaused(bool paused);
    // Called when loading has made the link usable: the demonstration cycle starts switched off.
    void start();

    bool PollPaused = false;
    int16_t StatusPhase = 1;
    bool DemoMode = false;
    int16_t DemoStep = 1;

private:
    // One step; false ends the cycle (a failed exchange: the user has been told).
    using Step = bool (StatusPoll::*)();
    void startCycle();
    bool runnable() const;

    bool readMotionMode();
    bool readProgramStatus();
    bool readProgramIndex();
    bool readDelta();
    bool readPosition();
    bool readEncoder();
    bool readSpeed();
    bool readMotionStatus();
    bool readStepLoopStatus();
    bool runDemonstrationStep();
    bool readSCurve();
    bool readSyncStatus();
    bool readDriverEnable();
    bool readAnalogInput1();
    bool readAnalogInput2();
    bool readDigitalInputs();
    bool readDigitalOutputs();
    bool readLatchStatus();
    bool readLatchPosition();
    bool readLatchEncoder();
    // The phase's queries all succeeded: the next group's turn.
    bool advancePhase();

    // One exchange of a numeric query; a failure ends the tick with "Communication Error!".
    bool query(const char* command, std::string& reply);
    bool queryNumberInto(const char* command, std::string& field);

    CommandChannel& channel_;
    MainPanel& panel_;
    MotionControl& motion_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool inTick_ = false;
};

} // namespace mainwindow
