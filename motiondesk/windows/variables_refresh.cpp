#include "motiondesk/windows/variables_refresh.h"

#include "link/command_channel.h"

namespace windows {

bool VariablesRefresh::linkOpen() const {
    return channel_.linkOpen();
}

// The status is not looked at: whatever text came back is shown, and a failed exchange has told
// the user itself.
VariablesRefresh::Refreshed VariablesRefresh::tick() {
    Refreshed refreshed{cursor_ - 1, {}};
    if (channel_.linkOpen()) channel_.exchange("V" + std::to_string(cursor_), refreshed.text);
    cursor_ = cursor_ % kVariableCount + 1;
    return refreshed;
}

void VariablesRefresh::command(const std::string& text) {
    if (channel_.linkOpen()) channel_.exchange(text);
}

} // namespace windows
