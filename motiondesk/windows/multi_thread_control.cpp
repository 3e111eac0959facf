#include "motiondesk/windows/multi_thread_control.h"

#include "common/numbers.h"
#include "link/command_channel.h"

#include <optional>

namespace windows {

namespace {

std::optional<const char*> stateText(int32_t state) {
    switch (state) {
    case 0:
        return "Idle";
    case 1:
        return "Running";
    case 2:
        return "Paused";
    case 4:
        return "Errored";
    default:
        return std::nullopt;
    }
}

} // namespace

// A failed exchange clears the window's own link flag and says "Communication Error!".
bool MultiThreadControl::sendToSelected(char value) {
    const std::string command = "SR" + std::to_string(panel_.selected) + "=" + value;
    return channel_.send(command);
}

bool MultiThreadControl::linkOpen() const {
    return channel_.linkOpen();
}

void MultiThreadControl::run() {
    sendToSelected('1');
}

void MultiThreadControl::stop() {
    if (sendToSelected('0')) channel_.send("ABORT");
}

void MultiThreadControl::pause() {
    sendToSelected('2');
}

void MultiThreadControl::resume() {
    sendToSelected('3');
}

// With the window's link down nothing goes out and the display keeps what it last showed.
void MultiThreadControl::tick() {
    if (!channel_.linkOpen()) return;
    for (size_t n = 0; n < 2; ++n) {
        std::string reply;
        if (!channel_.send("SASTAT" + std::to_string(n), reply)) return;
        if (const auto value = common::toWholeNumber(reply))
            if (const auto text = stateText(*value)) panel_.ProgStatus[n] = *text;
        if (!channel_.send("SPC" + std::to_string(n), reply)) return;
        panel_.ProgIndex[n] = reply;
    }
}

} // namespace windows
