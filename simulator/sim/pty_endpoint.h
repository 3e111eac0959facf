#pragma once
// A serial line on a pseudo-terminal: the host opens the link the simulator made (for example
// EXE/ports/COM1 -> /dev/pts/5), sets its baud rate and writes frames; the simulator reads the
// rate the host configured on the terminal and hands the bytes to the bus at that rate, so
// controllers stay silent when the host's rate is not theirs.
//
// The simulator keeps the terminal side open itself. That lets it read the host's settings, and
// the line stays up while the host closes and reopens the port.

#include "simulator/serial_bus.h"
#include "simulator/sim/command_log_file.h"
#include "simulator/sim/paced_writer.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>
#include <string>

namespace simulator {

class PtyEndpoint : public QObject {
    Q_OBJECT
public:
    PtyEndpoint(SerialBus& bus, CommandLogFile& log, QObject* parent = nullptr);
    ~PtyEndpoint() override;

    // Creates the terminal and the link. False with errorText() on failure.
    bool start(const std::string& linkPath);
    const std::string& terminalPath() const { return terminalPath_; }
    const std::string& errorText() const { return error_; }

private:
    void readHost();
    void writeHost(const std::string& bytes);
    int hostBaudRate() const;
    int64_t measureWakeUs() const;
    void dropLine();

    SerialBus& bus_;
    CommandLogFile& log_;
    PacedWriter writer_;
    int master_ = -1;
    int terminal_ = -1;
    std::string linkPath_;
    std::string terminalPath_;
    std::string error_;
    size_t framesLogged_ = 0;
    // How long the pseudo-terminal takes to wake a reader of what was just written.
    int64_t wakeUs_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace simulator
