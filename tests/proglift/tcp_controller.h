#pragma once
// A controller on TCP inside the test process, served from a thread of its own (the loader's
// exchanges block the test's thread): each read is one command, each reply is sent back
// followed by a CR. It can split its replies, answer late, stop answering, or close the
// connection after a number of commands, to show how the loader copes.

#include "simulator/controller_model.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace proglift_testing {

class TcpController {
public:
    struct Behaviour {
        int closeAfterCommands = -1;   // close the connection when this many commands have come
        int silentAfterCommands = -1;  // stop answering after this many
        bool splitReplies = false;     // send each reply in two pieces, the second a little later
        int replyDelayMs = 0;          // answer every command this late
        std::string terminator = "\r"; // what follows each reply
    };

    explicit TcpController(simulator::ControllerModel& controller) : controller_(controller) {
        QSemaphore listening;
        thread_.reset(QThread::create([this, &listening] { serveUntilStopped(listening); }));
        thread_->start();
        listening.acquire();
    }
    ~TcpController() {
        QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
        thread_->wait();
    }

    int port() const { return port_; }
    void set(const Behaviour& behaviour) {
        std::lock_guard lock(mutex_);
        behaviour_ = behaviour;
    }
    std::vector<std::string> received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    void serveUntilStopped(QSemaphore& listening) {
        QEventLoop loop;
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [&server, this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        loop_ = &loop;
        port_ = server.serverPort();
        listening.release();
        loop.exec();
    }

    void serve(QTcpSocket* socket) {
        const std::string command = socket->readAll().toStdString();
        std::unique_lock lock(mutex_);
        received_.push_back(command);
        const int count = static_cast<int>(received_.size());
        const Behaviour behaviour = behaviour_;
        const std::string reply = controller_.execute(command) + behaviour.terminator;
        lock.unlock();
        if (behaviour.closeAfterCommands >= 0 && count > behaviour.closeAfterCommands) {
            socket->disconnectFromHost();
            return;
        }
        if (behaviour.silentAfterCommands >= 0 && count > behaviour.silentAfterCommands) return;
        const auto send = [socket](const std::string& bytes) {
            socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
        };
        if (!behaviour.splitReplies || reply.size() < 2) {
            QTimer::singleShot(behaviour.replyDelayMs, socket, [send, reply] { send(reply); });
            return;
        }
        const size_t half = reply.size() / 2;
        send(reply.substr(0, half));
        socket->flush();
        const std::string rest = reply.substr(half);
        QTimer::singleShot(5, socket, [send, rest] { send(rest); });
    }

    simulator::ControllerModel& controller_;
    std::unique_ptr<QThread> thread_;
    QEventLoop* loop_ = nullptr;
    int port_ = 0;
    mutable std::mutex mutex_;
    Behaviour behaviour_;
    std::vector<std::string> received_;
};

} // namespace proglift_testing
