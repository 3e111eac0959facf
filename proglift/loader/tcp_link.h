#pragma once
// The TCP link on a QTcpSocket. A reply ends at its carriage return (line feeds are dropped).
// Nothing arriving within the reply time-out, or a reply falling silent before its carriage
// return, is a time-out of that command, as on the serial line: silence never ends a reply, since
// the rest of it would then pass for the next command's reply and shift every later one.

#include "proglift/loader/ethernet_link.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>

namespace proglift {

struct TcpTimings {
    int connectWaitMs = 5000;  // how long a connection may take to be made
    int replyTimeoutMs = 3000; // silence after a command before it counts as unanswered
    int replySilenceMs = 300;  // silence inside a reply (part of it in, no CR yet): a time-out
};

class TcpEthernetLink final : public QObject, public EthernetLink {
    Q_OBJECT
public:
    explicit TcpEthernetLink(TcpTimings timings = {});
    ~TcpEthernetLink() override;

    // Starts connecting and returns at once; true when the address is usable.
    bool connectTo(const std::string& host, int port);

    State state() const override;
    void send(const std::string& command) override;

private:
    void readIncoming();
    void checkReplyTime();
    void deliver(const std::string& reply);
    void timeOut();

    TcpTimings timings_;
    QTcpSocket socket_;
    QElapsedTimer connectClock_;
    // One timer checks the waits of all commands; starting a timer per command costs more than
    // a local exchange.
    QTimer watchTimer_;
    QElapsedTimer sinceSend_;
    QElapsedTimer sinceData_;
    QByteArray pending_;
    bool awaitingReply_ = false;
    // After a time-out, what arrives up to the next CR is the late reply of the command that
    // timed out and belongs to no later command.
    bool discardingStaleReply_ = false;
    std::string command_;
};

} // namespace proglift
