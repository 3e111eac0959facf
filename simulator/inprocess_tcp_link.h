#pragma once
// A TCP connection to a controller model inside the process: each write is one bare command, its
// reply comes back followed by a CR, shaped by the controller's faults (a dropped line closes the
// connection). Time is simulated as on the in-process serial line: pauses count against the
// reader's wait, nobody sleeps.

#include "link/byte_link.h"
#include "simulator/controller_model.h"

#include <deque>
#include <string>
#include <vector>

namespace simulator {

class InProcessTcpLink final : public transport::ByteLink {
public:
    explicit InProcessTcpLink(ControllerModel& controller) : controller_(controller) {}

    void close() override { connected = false; }
    bool isOpen() const override { return connected; }
    bool write(const std::string& bytes) override;
    transport::ReadResult readChar(int silenceMs) override;
    std::size_t discardInput() override;
    std::string errorText() const override { return errorText_; }

    // False: the connection was never made, or has been closed.
    bool connected = true;
    // Every command written, in order.
    std::vector<std::string> sent;

private:
    bool lost();

    ControllerModel& controller_;
    std::deque<TimedByte> incoming_;
    std::string errorText_;
};

} // namespace simulator
