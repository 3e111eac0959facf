#pragma once
// The serial-port control on a real port: COM<n> is EXE/ports/COM<n> when that path exists (a
// link to a USB adapter, a pseudo-terminal, ...), otherwise /dev/ttyS<n-1>.

#include "motiondesk/transport/serial_link.h"

#include <memory>
#include <string>

class QSerialPort;

namespace transport {

// The device path that port number n opens, given the EXE folder; empty for n below 1.
std::string serialPortPath(int portNumber, const std::string& exeFolder);

class SerialPortLink final : public SerialLink {
public:
    explicit SerialPortLink(std::string exeFolder);
    ~SerialPortLink() override;

    bool open(int portNumber, const std::string& settings) override;
    void close() override;
    bool isOpen() const override;
    bool reopen() override;
    bool write(const std::string& bytes) override;
    SerialReadResult readChar(int silenceMs) override;
    std::string errorText() const override;

    // The device path of the last open, for display.
    const std::string& devicePath() const { return devicePath_; }

private:
    bool openPath();
    std::string describeRuntimeError() const;

    std::string exeFolder_;
    std::unique_ptr<QSerialPort> port_;
    int portNumber_ = 0;
    std::string settings_;
    std::string devicePath_;
    std::string errorText_;
};

} // namespace transport
