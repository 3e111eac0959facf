#include "motiondesk/windows/terminal_session.h"

#include "common/numbers.h"
#include "link/command_transport.h"
#include "motiondesk/ui/user_interface.h"

#include <cstdio>

namespace windows {

TerminalSession::TerminalSession(transport::CommandTransport& transport, ui::UserInterface& ui)
    : transport_(transport), ui_(ui) {}

void TerminalSession::load(bool tellClosedLink) {
    transport::ConnectionState& state = transport_.state();
    remembered_ = state.DeviceName;
    if (!state.LinkOpen && tellClosedLink) ui_.showMessage("Communication port not open!");
}

void TerminalSession::close() {
    if (transport_.state().LinkType == transport::LinkSerial)
        transport_.state().DeviceName = remembered_;
}

std::string shownReply(const std::string& reply) {
    std::string shown;
    for (const char c : reply) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 && c != '\t') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

void TerminalSession::appendLine(const std::string& line, const std::string& shown) {
    const std::string stamp = timeStamps_ && now_ ? "[" + now_() + "] " : std::string();
    transcript_ += stamp + line + "\r\n";
    shown_ += stamp + shown + "\r\n";
}

TerminalSession::Entered TerminalSession::enter(const std::string& command,
                                                const std::string& deviceIdText) {
    previous_ = command;
    if (command.empty()) return {false, deviceIdText};
    history_.push_back(command);
    historyAt_ = history_.size();

    transport::ConnectionState& state = transport_.state();
    const bool serial = state.LinkType != transport::LinkUsb;
    // A device ID that is no number, or none of 00 to 99, addresses no device: nothing goes out.
    const auto id = common::toWholeNumber(deviceIdText);
    if (!id || *id < 0 || *id > 99) {
        ui_.showMessage("Communication Error! The device ID \"" + deviceIdText +
                        "\" is no number from 0 to 99.");
        return {false, deviceIdText};
    }
    char twoDigits[3];
    std::snprintf(twoDigits, sizeof twoDigits, "%02d", *id);
    const std::string deviceId = twoDigits;

    appendLine(serial ? ">@" + deviceId + command : command);
    // Every window addresses this device until the terminal closes.
    if (serial) state.DeviceName = deviceId;
    std::string reply;
    transport_.SendCommand(command, reply);
    if (const std::size_t late = transport_.discardedBeforeLast())
        appendLine("(" + std::to_string(late) +
                   (late == 1 ? " late character" : " late characters") +
                   " of an earlier reply discarded before this command)");
    if (!serial || (!reply.empty() && deviceId != "00"))
        appendLine("<" + reply, "<" + shownReply(reply));
    else if (deviceId == "00")
        appendLine("<BROADCAST SENT!");
    else
        appendLine("<NO REPLY!");
    return {true, deviceId};
}

std::optional<std::string> TerminalSession::olderCommand() {
    if (historyAt_ == 0) return std::nullopt;
    return history_[--historyAt_];
}

std::optional<std::string> TerminalSession::newerCommand() {
    if (historyAt_ + 1 >= history_.size()) {
        historyAt_ = history_.size();
        return std::string();
    }
    return history_[++historyAt_];
}

std::string TerminalSession::fileText() const {
    std::string text = transcript_;
    if (text.empty() || text.back() != '\n') text += "\r\n";
    return text + "\r\n";
}

} // namespace windows
