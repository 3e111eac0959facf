#pragma once
// The serial-port control on a real port: COM<n> is EXE/ports/COM<n> when there is such an entry
// (a link to a USB adapter, a pseudo-terminal, ...; also one whose device is unplugged, which then
// fails to open), otherwise /dev/ttyS<n-1>. Also the list of the machine's serial ports.

#include "link/serial_link.h"

#include <memory>
#include <string>
#include <vector>

class QSerialPort;

namespace transport {

// The device path that port number n opens, given the EXE folder; empty for n below 1.
std::string serialPortPath(int portNumber, const std::string& exeFolder);

// A serial port of this machine as the system describes it (texts in UTF-8, as given).
struct SerialPortDescription {
    std::string device; // e.g. /dev/ttyUSB0
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
};

// The machine's serial ports, in the order the system lists them.
std::vector<SerialPortDescription> availableSerialPorts();

class SerialPortLink final : public SerialLink {
public:
    explicit SerialPortLink(std::string exeFolder);
    ~SerialPortLink() override;

    bool open(const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    bool reopen() override;
    bool write(const std::string& bytes) override;
    ReadResult readChar(int silenceMs) override;
    std::size_t discardInput() override;
    std::string errorText() const override;

    // The device path of the last open, for display.
    const std::string& devicePath() const { return devicePath_; }

private:
    bool openPath();
    // Closes the failed port, dropping its pending output; false.
    bool failed(const std::string& description);
    std::string describeRuntimeError() const;

    std::string exeFolder_;
    std::unique_ptr<QSerialPort> port_;
    SerialSettings settings_;
    bool opened_ = false;
    std::string devicePath_;
    std::string errorText_;
};

} // namespace transport
