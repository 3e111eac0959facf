#include "proglift/loader/tcp_link.h"

#include <QHostAddress>

namespace proglift {

TcpEthernetLink::TcpEthernetLink(TcpTimings timings) : timings_(timings) {
    replyTimer_.setSingleShot(true);
    connect(&socket_, &QTcpSocket::readyRead, this, &TcpEthernetLink::readIncoming);
    connect(&replyTimer_, &QTimer::timeout, this, &TcpEthernetLink::replyTimerExpired);
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
    replyTimer_.start(timings_.replyTimeoutMs);
}

void TcpEthernetLink::readIncoming() {
    const QByteArray incoming = socket_.readAll();
    // Anything that is not the reply to the command just sent is dropped.
    if (!awaitingReply_) return;
    for (const char c : incoming) {
        if (c == '\n') continue;
        if (c == '\r') {
            deliver(pending_.toStdString());
            return;
        }
        pending_.append(c);
    }
    if (!pending_.isEmpty()) replyTimer_.start(timings_.replySilenceMs);
}

void TcpEthernetLink::replyTimerExpired() {
    if (!awaitingReply_) return;
    if (!pending_.isEmpty()) {
        deliver(pending_.toStdString());
        return;
    }
    awaitingReply_ = false;
    if (onFailure) onFailure("No Reply to Command: " + command_);
}

void TcpEthernetLink::deliver(const std::string& reply) {
    awaitingReply_ = false;
    replyTimer_.stop();
    pending_.clear();
    if (onReply) onReply(reply);
}

} // namespace proglift
