#include "link/tcp_link.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace transport {

TcpLink::TcpLink(TcpTimings timings) : timings_(timings), socket_(std::make_unique<QTcpSocket>()) {}

TcpLink::~TcpLink() {
    socket_->abort();
}

bool TcpLink::connectTo(const std::string& host, int port) {
    sinceConnect_.start();
    if (host.empty() || port < 1 || port > 65535) {
        errorText_ = TcpNotConnectedText;
        return false;
    }
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
    return true;
}

bool TcpLink::waitConnected() {
    if (socket_->state() == QAbstractSocket::ConnectedState) return true;
    if (socket_->state() == QAbstractSocket::UnconnectedState || !sinceConnect_.isValid())
        return lost();
    const qint64 left = timings_.connectWaitMs - sinceConnect_.elapsed();
    if (left <= 0 || !socket_->waitForConnected(static_cast<int>(left))) return lost();
    return true;
}

bool TcpLink::lost() {
    errorText_ = TcpNotConnectedText;
    return false;
}

void TcpLink::close() {
    socket_->abort();
}

bool TcpLink::isOpen() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

bool TcpLink::write(const std::string& bytes) {
    if (!waitConnected()) return false;
    if (socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) return lost();
    QDeadlineTimer deadline(timings_.replyTimeoutMs);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(static_cast<int>(deadline.remainingTime())) &&
            (deadline.hasExpired() || socket_->state() != QAbstractSocket::ConnectedState))
            return lost();
    }
    return true;
}

ReadResult TcpLink::readChar(int silenceMs) {
    QDeadlineTimer deadline(silenceMs);
    while (socket_->bytesAvailable() == 0) {
        if (socket_->state() != QAbstractSocket::ConnectedState) {
            lost();
            return {ReadResult::Error, 0};
        }
        if (!socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
            socket_->bytesAvailable() == 0 && deadline.hasExpired() &&
            socket_->state() == QAbstractSocket::ConnectedState)
            return {ReadResult::Silence, 0};
    }
    char ch = 0;
    socket_->getChar(&ch);
    return {ReadResult::Char, ch};
}

std::size_t TcpLink::discardInput() {
    if (socket_->state() == QAbstractSocket::ConnectedState) socket_->waitForReadyRead(0);
    return static_cast<std::size_t>(socket_->readAll().size());
}

} // namespace transport
