#include "proglift/loader/tcp_link.h"

#include <QHostAddress>

#include <algorithm>

namespace proglift {

TcpEthernetLink::TcpEthernetLink(TcpTimings timings) : timings_(timings) {
    connect(&socket_, &QTcpSocket::readyRead, this, &TcpEthernetLink::readIncoming);
    connect(&watchTimer_, &QTimer::timeout, this, &TcpEthernetLink::checkReplyTime);
    watchTimer_.setInterval(
        std::max(1, std::min(timings_.replySilenceMs, timings_.replyTimeoutMs) / 4));
}

TcpEthernetLink::~TcpEthernetLink() {
    socket_.disconnect(this);
    socket_.abort();
}

bool TcpEthernetLink::connectTo(const std::string& host, int port) {
    connectClock_.start();
    if (host.empty() || port < 1 || port > 65535) return false;
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
    return true;
}

EthernetLink::State TcpEthernetLink::state() const {
    switch (socket_.state()) {
    case QAbstractSocket::ConnectedState:
        return State::Connected;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        if (connectClock_.isValid() && connectClock_.elapsed() < timings_.connectWaitMs)
            return State::Connecting;
        return State::Closed;
    default:
        return State::Closed;
    }
}

void TcpEthernetLink::send(const std::string& command) {
    command_ = command;
    pending_.clear();
    awaitingReply_ = true;
    socket_.write(command.data(), static_cast<qint64>(command.size()));
    socket_.flush();
    sinceSend_.start();
    if (!watchTimer_.isActive()) watchTimer_.start();
}

void TcpEthernetLink::readIncoming() {
    const QByteArray incoming = socket_.readAll();
    for (const char c : incoming) {
        if (discardingStaleReply_) {
            discardingStaleReply_ = c != '\r';
            continue;
        }
        // Anything that is not the reply to the command just sent is dropped.
        if (!awaitingReply_) continue;
        if (c == '\n') continue;
        if (c == '\r') {
            deliver(pending_.toStdString());
            return;
        }
        pending_.append(c);
    }
    if (awaitingReply_ && !pending_.isEmpty()) sinceData_.start();
}

void TcpEthernetLink::checkReplyTime() {
    if (!awaitingReply_) {
        watchTimer_.stop();
        return;
    }
    const bool partReceived = !pending_.isEmpty();
    if (partReceived ? sinceData_.elapsed() >= timings_.replySilenceMs
                     : sinceSend_.elapsed() >= timings_.replyTimeoutMs)
        timeOut();
}

void TcpEthernetLink::timeOut() {
    awaitingReply_ = false;
    // Whatever still comes for this command, up to its CR, is not the next command's reply.
    discardingStaleReply_ = true;
    pending_.clear();
    watchTimer_.stop();
    if (onFailure) onFailure("No Reply to Command: " + command_);
}

void TcpEthernetLink::deliver(const std::string& reply) {
    awaitingReply_ = false;
    pending_.clear();
    if (onReply) onReply(reply);
}

} // namespace proglift
