#include "simulator/sim/tcp_endpoint.h"

#include "simulator/sim/paced_writer.h"

#include <QPointer>
#include <QTcpSocket>

namespace simulator {
namespace {

constexpr qsizetype kLongestCommand = 4096;

} // namespace

TcpEndpoint::TcpEndpoint(ControllerModel& controller, CommandLogFile& log, QObject* parent)
    : QObject(parent), controller_(controller), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, &TcpEndpoint::accept);
}

bool TcpEndpoint::start(int port) {
    return server_.listen(QHostAddress::LocalHost, quint16(port));
}

void TcpEndpoint::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (dropped_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        // Each connection paces its own replies.
        QPointer<QTcpSocket> guarded(socket);
        auto* writer = new PacedWriter(
            [guarded](const std::string& bytes) {
                if (guarded) guarded->write(bytes.data(), qint64(bytes.size()));
            },
            socket);
        writer->setObjectName("writer");
    }
}

void TcpEndpoint::serve(QTcpSocket* socket) {
    QByteArray data = socket->readAll();
    QByteArray command;
    for (qsizetype i = 0; i <= data.size(); ++i) {
        const bool end = i == data.size();
        const char c = end ? 0 : data[i];
        if (!end && c != '\r' && c != '\n' && command.size() < kLongestCommand) {
            command.append(c);
            continue;
        }
        if (!command.isEmpty()) answer(socket, command.toStdString());
        command.clear();
        if (dropped_) return;
    }
}

void TcpEndpoint::answer(QTcpSocket* socket, const std::string& command) {
    log_.write("tcp", controller_.deviceId(), command);
    std::string reply = controller_.execute(command);
    Transmission t = controller_.faults().shape(command, reply);
    if (t.disconnect) {
        dropped_ = true;
        server_.close();
        socket->abort();
        return;
    }
    if (auto* writer = socket->findChild<PacedWriter*>("writer")) writer->send(t);
}

} // namespace simulator
