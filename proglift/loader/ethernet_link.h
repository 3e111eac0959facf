#pragma once
// The TCP link to a controller as the jobs see it: bare command text out, one reply back. The
// real one wraps a QTcpSocket; tests can use any other.

#include <functional>
#include <string>

namespace proglift {

class EthernetLink {
public:
    enum class State { Connecting, Connected, Closed };

    virtual ~EthernetLink() = default;

    // Connecting lasts until the connection is made or a bounded wait has run out.
    virtual State state() const = 0;
    // Sends the command as it is (no address, no terminator). Its reply goes to onReply, or,
    // when none comes in time, "No Reply to Command: " + command goes to onFailure.
    virtual void send(const std::string& command) = 0;

    std::function<void(const std::string& reply)> onReply;
    std::function<void(const std::string& failureText)> onFailure;
};

} // namespace proglift
