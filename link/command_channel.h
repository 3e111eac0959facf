#pragma once
// A caller's side of an exchange: the transport plus the rule of the windows (and the command
// line) for a failed exchange: clear LinkOpen, tell "Communication Error!".

#include <cstdint>
#include <string>

namespace transport {

class CommandTransport;
class FailureNotices;
struct ConnectionState;

inline constexpr const char* kCommunicationError = "Communication Error!";

class CommandChannel {
public:
    CommandChannel(CommandTransport& transport, FailureNotices& notices);

    bool linkOpen() const;
    void setLinkOpen(bool open);
    ConnectionState& state();

    // One exchange; true unless the transport reported a failure. Nothing else happens.
    bool exchange(const std::string& command, std::string& reply);
    std::string exchange(const std::string& command);

    // One exchange; a failure clears LinkOpen and shows "Communication Error!".
    bool send(const std::string& command, std::string& reply);
    bool send(const std::string& command);

    void reportFailure();
    void tell(const std::string& text);

private:
    CommandTransport& transport_;
    FailureNotices& notices_;
};

} // namespace transport
