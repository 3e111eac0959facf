#pragma once
// The status poll: one tick queries the controller's state and refreshes the panel. Four groups
// of slower-changing values take turns, one group per tick. The same tick drives the
// demonstration cycle.

#include <cstdint>
#include <string>

namespace session {
class CommandChannel;
} // namespace session

namespace mainwindow {

using session::CommandChannel;

class MotionControl;
struct MainPanel;

class StatusPoll {
public:
    StatusPoll(CommandChannel& channel, MainPanel& panel, MotionControl& motion);

    // Does nothing while the link is unusable or the poll is paused.
    void tick();
    // Called when loading has made the link usable: the demonstration cycle starts switched off.
    void start();

    bool PollPaused = false;
    int16_t StatusPhase = 1;
    bool DemoMode = false;
    int16_t DemoStep = 1;

private:
    void readProgramState();
    bool readMotion();
    bool readMotionStatus();
    bool runDemonstrationStep();
    bool readSCurve();
    void readRotatingGroup();
    void readSyncAndEnable();
    bool readAnalogInputs();
    bool readDigitalIo();
    bool readLatch();

    // One exchange of a numeric query; a failure ends the tick with "Communication Error!".
    bool query(const char* command, std::string& reply);
    bool queryNumberInto(const char* command, std::string& field);

    CommandChannel& channel_;
    MainPanel& panel_;
    MotionControl& motion_;
    bool inTick_ = false;
};

} // namespace mainwindow
