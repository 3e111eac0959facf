#pragma once
// One controller published as a USB device for libZentorCom.so: a local socket
// "<product text>.sock" in the USB folder, speaking the protocol of zentorcom/socket_protocol.h.
// The device keeps its handle across connections, so it outlives the program that opened it.

#include "simulator/sim/command_log_file.h"
#include "simulator/usb_device.h"

#include <QLocalServer>
#include <QObject>

#include <string>

namespace simulator {

class UsbEndpoint : public QObject {
    Q_OBJECT
public:
    UsbEndpoint(ControllerModel& controller, CommandLogFile& log, QObject* parent = nullptr);
    ~UsbEndpoint() override;

    // Listens on <folder>/<product text>.sock; a socket file left behind by a simulator that is
    // gone is replaced, one that still answers is an error. The folder is made with access for
    // this user only; an existing one that is not safe (zentorcom/socket_folder.h) is an error.
    bool start(const std::string& folder);
    std::string socketPath() const { return path_; }
    const std::string& errorText() const { return error_; }

private:
    void accept();
    void serve(QLocalSocket* socket);
    void unpublish();

    UsbDevice device_;
    CommandLogFile& log_;
    QLocalServer server_;
    std::string path_;
    std::string error_;
};

} // namespace simulator
