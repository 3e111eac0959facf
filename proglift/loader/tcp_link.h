#pragma once
// The TCP link on a QTcpSocket. A reply ends at a carriage return (line feeds are dropped); a
// controller that sends no terminator is served too: its reply ends after a short silence.
// Nothing arriving at all within the reply time-out is a failure, as on the serial line.

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
    int replySilenceMs = 300;  // silence after part of a reply that ends it without terminator
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
    std::string command_;
};

} // namespace proglift
