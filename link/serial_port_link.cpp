#include "link/serial_port_link.h"

#include "link/port_diagnosis.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <sys/stat.h>

namespace transport {

namespace {

// A lock held by another program, an exclusive open and missing rights all come back as a
// permission error; the diagnosis tells them apart.
OpenFailure openFailure(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NotFound;
    case QSerialPort::PermissionError:
        return OpenFailure::Refused;
    default:
        return OpenFailure::Other;
    }
}

// Generous: the wire time of the bytes at the port's rate plus a second of slack.
int writeTimeoutMs(std::size_t byteCount, int baudRate) {
    const int wireMs = baudRate > 0 ? static_cast<int>(byteCount * 10 * 1000 / baudRate) : 0;
    return wireMs + 1000;
}

} // namespace

std::string serialPortPath(int portNumber, const std::string& exeFolder) {
    if (portNumber < 1) return {};
    const std::string linked = exeFolder + "/ports/COM" + std::to_string(portNumber);
    // An assigned adapter that is unplugged must not quietly become /dev/ttyS<n-1>.
    struct stat entry {};
    if (::lstat(linked.c_str(), &entry) == 0) return linked;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

std::vector<SerialPortDescription> availableSerialPorts() {
    std::vector<SerialPortDescription> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back({info.systemLocation().toStdString(), info.description().toStdString(),
                         info.manufacturer().toStdString(), info.serialNumber().toStdString()});
    return ports;
}

SerialPortLink::SerialPortLink(std::string exeFolder)
    : exeFolder_(std::move(exeFolder)), port_(std::make_unique<QSerialPort>()) {}

SerialPortLink::~SerialPortLink() = default;

bool SerialPortLink::open(const SerialSettings& settings) {
    close();
    settings_ = settings;
    opened_ = true;
    return openPath();
}

bool SerialPortLink::reopen() {
    if (isOpen()) return true;
    if (!opened_) {
        errorText_ = "The serial port has never been opened.";
        return false;
    }
    return openPath();
}

bool SerialPortLink::openPath() {
    devicePath_ = settings_.devicePath.empty() ? serialPortPath(settings_.portNumber, exeFolder_)
                                               : settings_.devicePath;
    if (devicePath_.empty()) {
        errorText_ = "Invalid port number " + std::to_string(settings_.portNumber) + ".";
        return false;
    }
    if (settings_.baudRate <= 0) {
        errorText_ = "Invalid baud rate " + std::to_string(settings_.baudRate) + ".";
        return false;
    }
    port_->setPortName(QString::fromStdString(devicePath_));
    port_->setBaudRate(settings_.baudRate);
    port_->setParity(QSerialPort::NoParity);
    port_->setDataBits(QSerialPort::Data8);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        errorText_ = openFailureText(settings_.portNumber, devicePath_, openFailure(port_->error()),
                                     port_->errorString().toStdString());
        return false;
    }
    // A pseudo-terminal has no DTR line; that is no reason to refuse the port.
    port_->setDataTerminalReady(false);
    port_->clearError();
    return true;
}

void SerialPortLink::close() {
    if (port_->isOpen()) port_->close();
}

bool SerialPortLink::isOpen() const {
    return port_->isOpen();
}

bool SerialPortLink::write(const std::string& bytes) {
    if (!port_->isOpen()) {
        errorText_ = "The serial port is not open.";
        return false;
    }
    port_->clearError();
    if (port_->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0)
        return failed(describeRuntimeError());
    // Nothing runs an event loop during an exchange, so the bytes are pushed out here.
    QDeadlineTimer deadline(writeTimeoutMs(bytes.size(), port_->baudRate()));
    while (port_->bytesToWrite() > 0) {
        const bool progressed = port_->waitForBytesWritten(deadline.remainingTime());
        const auto error = port_->error();
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            return failed(describeRuntimeError());
        if (!progressed && deadline.hasExpired())
            return failed("Writing to the serial port timed out.");
    }
    return true;
}

// A port that has failed is closed with what it still had to send: left open, the event loop
// would retry the write for ever (a whole core spent on a vanished adapter). Nothing is written
// to it again until it is opened anew.
bool SerialPortLink::failed(const std::string& description) {
    errorText_ = description;
    port_->clear(QSerialPort::AllDirections);
    port_->close();
    return false;
}

ReadResult SerialPortLink::readChar(int silenceMs) {
    if (!port_->isOpen()) {
        errorText_ = "The serial port is not open.";
        return {ReadResult::Error, 0};
    }
    QDeadlineTimer deadline(silenceMs);
    while (port_->bytesAvailable() == 0) {
        port_->clearError();
        const bool ready = port_->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        const auto error = port_->error();
        if (!ready && error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
            failed(describeRuntimeError());
            return {ReadResult::Error, 0};
        }
        if (port_->bytesAvailable() == 0 && deadline.hasExpired()) return {ReadResult::Silence, 0};
    }
    char ch = 0;
    port_->getChar(&ch);
    return {ReadResult::Char, ch};
}

std::size_t SerialPortLink::discardInput() {
    if (!port_->isOpen()) return 0;
    // What the system holds for the port is only seen once it has been read in.
    port_->waitForReadyRead(0);
    const auto discarded = static_cast<std::size_t>(port_->readAll().size());
    port_->clearError();
    return discarded;
}

std::string SerialPortLink::errorText() const {
    return errorText_;
}

// The platform's own text for a failed read is often a stale errno; say what happened first.
std::string SerialPortLink::describeRuntimeError() const {
    const std::string detail = port_->errorString().toStdString();
    // An unplugged adapter shows as a read or write error with an unrelated text; its device
    // node has gone with it.
    struct stat device {};
    if (::stat(devicePath_.c_str(), &device) != 0)
        return vanishedPortText(settings_.portNumber, devicePath_, detail);
    switch (port_->error()) {
    case QSerialPort::ResourceError:
        return vanishedPortText(settings_.portNumber, devicePath_, detail);
    case QSerialPort::ReadError:
        return "Reading from the serial port failed (" + detail + ").";
    case QSerialPort::WriteError:
        return "Writing to the serial port failed (" + detail + ").";
    default:
        return detail;
    }
}

} // namespace transport
