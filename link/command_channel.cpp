#include "link/command_channel.h"

#include "link/command_transport.h"
#include "link/failure_notices.h"

namespace transport {

CommandChannel::CommandChannel(CommandTransport& transport, FailureNotices& notices)
    : transport_(transport), notices_(notices) {}

bool CommandChannel::linkOpen() const {
    return transport_.state().LinkOpen;
}

void CommandChannel::setLinkOpen(bool open) {
    transport_.state().LinkOpen = open;
}

ConnectionState& CommandChannel::state() {
    return transport_.state();
}

bool CommandChannel::exchange(const std::string& command, std::string& reply) {
    return transport_.SendCommand(command, reply) >= 0;
}

std::string CommandChannel::exchange(const std::string& command) {
    std::string reply;
    exchange(command, reply);
    return reply;
}

bool CommandChannel::send(const std::string& command, std::string& reply) {
    if (exchange(command, reply)) return true;
    reportFailure();
    return false;
}

bool CommandChannel::send(const std::string& command) {
    std::string reply;
    return send(command, reply);
}

// LinkOpen goes first: the message box runs a nested event loop, and a poll tick that fires
// meanwhile must already find the link unusable.
void CommandChannel::reportFailure() {
    setLinkOpen(false);
    notices_.showMessage(kCommunicationError);
}

void CommandChannel::tell(const std::string& text) {
    notices_.showMessage(text);
}

} // namespace transport
