#pragma once
// The multi-thread window's work: starting, stopping, pausing and continuing program 0 or 1,
// and the refresh of both programs' state and index. Plain logic over the window's exchange,
// whose link flag is the window's own (ComStatus).

#include <array>
#include <string>

namespace transport {
class CommandChannel;
} // namespace transport

namespace windows {

struct MultiThreadPanel {
    int selected = 0; // ProgSel0 chosen: program 0, else program 1
    std::array<std::string, 2> ProgStatus{"Idle", "Idle"};
    std::array<std::string, 2> ProgIndex{"1", "1"};
};

class MultiThreadControl {
public:
    MultiThreadControl(transport::CommandChannel& channel, MultiThreadPanel& panel)
        : channel_(channel), panel_(panel) {}

    void run();    // SR<n>=1
    void stop();   // SR<n>=0, then ABORT when that succeeded
    void pause();  // SR<n>=2
    void resume(); // SR<n>=3 ("Cont")
    // SASTAT and SPC of program 0, then of program 1; a failure ends the tick.
    void tick();
    bool linkOpen() const;

private:
    bool sendToSelected(char value);

    transport::CommandChannel& channel_;
    MultiThreadPanel& panel_;
};

} // namespace windows
