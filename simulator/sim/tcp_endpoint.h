#pragma once
// One controller on TCP, as the loader's Ethernet link sees it. The host sends bare command
// text; a CR or LF ends a command, and so does the end of what arrived in one read, since the
// host sends one unterminated command and waits for its reply. Every reply is the reply text
// followed by one CR (an empty reply is a lone CR). No address, no baud rate.

#include "simulator/controller_model.h"
#include "simulator/sim/command_log_file.h"

#include <QObject>
#include <QTcpServer>

#include <string>

namespace simulator {

class TcpEndpoint : public QObject {
    Q_OBJECT
public:
    TcpEndpoint(ControllerModel& controller, CommandLogFile& log, QObject* parent = nullptr);

    bool start(int port);
    int port() const { return server_.serverPort(); }
    QString errorText() const { return server_.errorString(); }

private:
    void accept();
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const std::string& command);

    ControllerModel& controller_;
    CommandLogFile& log_;
    QTcpServer server_;
    bool dropped_ = false;
};

} // namespace simulator
