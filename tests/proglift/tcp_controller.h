#pragma once
// A controller on TCP inside the test process: each read is one command, each reply is sent
// back followed by a CR. It can split its replies, stop answering, or close the connection after
// a number of commands, to show how the loader copes.

#include "simulator/controller_model.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <string>
#include <vector>

namespace proglift_testing {

class TcpController final : public QObject {
public:
    explicit TcpController(simulator::ControllerModel& controller) : controller_(controller) {
        connect(&server_, &QTcpServer::newConnection, this, &TcpController::accept);
        server_.listen(QHostAddress::LocalHost, 0);
    }

    int port() const { return server_.serverPort(); }

    int closeAfterCommands = -1;   // close the connection when this many commands have come
    int silentAfterCommands = -1;  // stop answering after this many
    bool splitReplies = false;     // send each reply in two pieces, the second a little later
    std::string terminator = "\r"; // what follows each reply
    std::vector<std::string> received;

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void serve(QTcpSocket* socket) {
        const std::string command = socket->readAll().toStdString();
        received.push_back(command);
        const int count = static_cast<int>(received.size());
        if (closeAfterCommands >= 0 && count > closeAfterCommands) {
            socket->disconnectFromHost();
            return;
        }
        const std::string reply = controller_.execute(command) + terminator;
        if (silentAfterCommands >= 0 && count > silentAfterCommands) return;
        if (!splitReplies || reply.size() < 2) {
            socket->write(reply.data(), static_cast<qint64>(reply.size()));
            return;
        }
        const size_t half = reply.size() / 2;
        socket->write(reply.data(), static_cast<qint64>(half));
        socket->flush();
        const std::string rest = reply.substr(half);
        QTimer::singleShot(5, socket, [socket, rest] {
            socket->write(rest.data(), static_cast<qint64>(rest.size()));
        });
    }

    simulator::ControllerModel& controller_;
    QTcpServer server_;
};

} // namespace proglift_testing
