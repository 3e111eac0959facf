#include "simulator/sim/usb_endpoint.h"

#include "zentorcom/socket_folder.h"
#include "zentorcom/socket_protocol.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace simulator {
namespace {

bool someoneListens(const QString& path) {
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool up = probe.waitForConnected(500);
    probe.abort();
    return up;
}

// The folder is made for this user alone. One that is already there must be this user's and closed
// to others, or another user could serve commands under the devices' names.
bool makeSocketFolder(const std::string& folder, std::string& error) {
    QDir().mkpath(QFileInfo(QString::fromStdString(folder)).absolutePath());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + folder;
        return false;
    }
    if (auto problem = zentorcom::unsafeSocketFolder(folder)) {
        error = *problem;
        return false;
    }
    return true;
}

} // namespace

UsbEndpoint::UsbEndpoint(ControllerModel& controller, CommandLogFile& log, QObject* parent)
    : QObject(parent), device_(controller), log_(log) {
    connect(&server_, &QLocalServer::newConnection, this, &UsbEndpoint::accept);
}

UsbEndpoint::~UsbEndpoint() {
    unpublish();
}

bool UsbEndpoint::start(const std::string& folder) {
    if (!makeSocketFolder(folder, error_)) return false;
    const QString path = QDir(QString::fromStdString(folder))
                             .filePath(QString::fromStdString(device_.productText()) + ".sock");
    if (QFile::exists(path)) {
        if (someoneListens(path)) {
            error_ = path.toStdString() + " is already served by another simulator";
            return false;
        }
        QLocalServer::removeServer(path);
    }
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(path)) {
        error_ = path.toStdString() + ": " + server_.errorString().toStdString();
        return false;
    }
    path_ = path.toStdString();
    return true;
}

void UsbEndpoint::unpublish() {
    server_.close(); // also removes the socket file
    path_.clear();
}

void UsbEndpoint::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
    }
}

void UsbEndpoint::serve(QLocalSocket* socket) {
    while (socket->bytesAvailable() >= qint64(zentorcom::kRequestSize)) {
        const QByteArray bytes = socket->read(qint64(zentorcom::kRequestSize));
        const auto request =
            zentorcom::decodeRequest(reinterpret_cast<const uint8_t*>(bytes.data()));
        zentorcom::Response response;
        int64_t delayUs = 0;
        switch (request.operation) {
        case zentorcom::ProductText: {
            const std::string text = device_.productText().substr(0, zentorcom::kBlockSize - 1);
            std::copy(text.begin(), text.end(), response.block.begin());
            response.status = 1;
            break;
        }
        case zentorcom::OpenDevice:
            response.status = device_.open(response.value);
            break;
        case zentorcom::CloseDevice:
            response.status = device_.close(request.handle);
            break;
        case zentorcom::FlushDevice:
            response.status = device_.flush(request.handle);
            break;
        case zentorcom::SendReceive: {
            if (!device_.isOpen() || request.handle != device_.openHandle()) break;
            const auto end = std::find(request.block.begin(), request.block.end(), 0);
            log_.write("usb", device_.controller().deviceId(),
                       std::string(request.block.begin(), end));
            const UsbExchange exchange = device_.exchange(request.handle, request.block.data());
            if (exchange.silent) {
                if (device_.controller().faults().disconnected()) unpublish();
                return; // no answer at all: the library's read time-out decides
            }
            response.status = exchange.status;
            response.block = exchange.reply;
            delayUs = exchange.delayUs;
            break;
        }
        default:
            break;
        }
        const auto encoded = zentorcom::encode(response);
        const QByteArray out(reinterpret_cast<const char*>(encoded.data()),
                             qsizetype(encoded.size()));
        if (delayUs == 0) {
            socket->write(out);
            continue;
        }
        QPointer<QLocalSocket> guarded(socket);
        QTimer::singleShot(int((delayUs + 999) / 1000), Qt::PreciseTimer, this, [guarded, out] {
            if (guarded) guarded->write(out);
        });
    }
}

} // namespace simulator
