#pragma once
// The variables window's work: one variable read per tick, V1 to V100 and round again, and the
// commands typed into it. Plain logic over the window's exchange.

#include <string>

namespace transport {
class CommandChannel;
} // namespace transport

namespace windows {

inline constexpr int kVariableCount = 100;

class VariablesRefresh {
public:
    explicit VariablesRefresh(transport::CommandChannel& channel) : channel_(channel) {}

    struct Refreshed {
        int index = 0;    // the box: 0 for V1 .. 99 for V100
        std::string text; // what came back; empty after a failure or with the link down
    };
    // Reads the variable under the cursor (nothing is sent while the link is down) and moves on.
    Refreshed tick();
    // A typed command: sent, its reply and status not looked at.
    void command(const std::string& text);

    // The next variable to read, 1 to 100.
    int cursor() const { return cursor_; }
    bool linkOpen() const;

private:
    transport::CommandChannel& channel_;
    int cursor_ = 1;
};

} // namespace windows
