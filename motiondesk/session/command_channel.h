#pragma once
// A window's side of an exchange: the shared transport plus the windows' rule for a failed
// exchange (clear LinkOpen, tell the user "Communication Error!").

#include <cstdint>
#include <string>

namespace transport {
class CommandTransport;
struct ConnectionState;
} // namespace transport

namespace ui {
class UserInterface;
}

namespace session {

inline constexpr const char* kCommunicationError = "Communication Error!";

class CommandChannel {
public:
    CommandChannel(transport::CommandTransport& transport, ui::UserInterface& ui);

    bool linkOpen() const;
    void setLinkOpen(bool open);
    transport::ConnectionState& state();

    // One exchange; true unless the transport reported a failure. Nothing else happens.
    bool exchange(const std::string& command, std::string& reply);
    std::string exchange(const std::string& command);

    // One exchange; a failure clears LinkOpen and shows "Communication Error!".
    bool send(const std::string& command, std::string& reply);
    bool send(const std::string& command);

    void reportFailure();
    void tell(const std::string& text);

private:
    transport::CommandTransport& transport_;
    ui::UserInterface& ui_;
};

} // namespace session
