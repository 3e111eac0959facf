#include "motiondesk/session/command_channel.h"

#include "link/command_transport.h"
#include "motiondesk/ui/user_interface.h"

namespace session {

CommandChannel::CommandChannel(transport::CommandTransport& transport, ui::UserInterface& ui)
    : transport_(transport), ui_(ui) {}

bool CommandChannel::linkOpen() const {
    return transport_.state().LinkOpen;
}

void CommandChannel::setLinkOpen(bool open) {
    transport_.state().LinkOpen = open;
}

transport::ConnectionState& CommandChannel::state() {
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
    ui_.showMessage(kCommunicationError);
}

void CommandChannel::tell(const std::string& text) {
    ui_.showMessage(text);
}

} // namespace session
