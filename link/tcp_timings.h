#pragma once
// How long a TCP exchange waits: for the connection, for the first character of a reply, and
// for each later one. Silence never ends a TCP reply: a reply that falls silent before its
// carriage return has timed out, since its rest would otherwise pass for the next reply.

namespace transport {

// What a TCP connection that is not there, or has gone, reports.
inline constexpr const char* TcpNotConnectedText = "Could not open TCP/IP socket!";

struct TcpTimings {
    int connectWaitMs = 5000;
    int replyTimeoutMs = 3000;
    int replySilenceMs = 300;
};

} // namespace transport
