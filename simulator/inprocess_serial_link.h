#pragma once
// A serial-port control for tests: ports of a simulated PC, each wired to a serial bus of
// controller models. Bytes written go onto the bus at the baud rate the port was opened with;
// replies come back as characters to read. Time is simulated: a reply's pauses and wire time
// count against the silence the reader is willing to wait, but nobody actually sleeps, so a
// test of a 150 ms pause runs instantly and still times out.
//
//   simulator::SerialBus bus;
//   auto& controller = bus.add({.deviceId = "01", .baudRate = 9600});
//   simulator::InProcessSerialLink link(bus, 3);      // COM3
//   ... hand &link to the transport, open, exchange ...
//   EXPECT_EQ(controller.commandLog(), (std::vector<std::string>{"HSPD=1000", "J+"}));

#include "link/serial_link.h"
#include "simulator/serial_bus.h"

#include <deque>
#include <map>
#include <string>

namespace simulator {

class InProcessSerialLink final : public transport::SerialLink {
public:
    InProcessSerialLink() = default;
    InProcessSerialLink(SerialBus& bus, int portNumber) { attach(portNumber, bus); }
    ~InProcessSerialLink() override { close(); }

    // Makes port COM<portNumber> exist, wired to bus. Ports never attached cannot be opened.
    void attach(int portNumber, SerialBus& bus) { ports_[portNumber] = &bus; }

    bool open(const transport::SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return bus_ != nullptr; }
    bool reopen() override;
    bool write(const std::string& bytes) override;
    transport::ReadResult readChar(int silenceMs) override;
    std::size_t discardInput() override;
    std::string errorText() const override { return errorText_; }

    int portNumber() const { return portNumber_; }
    std::string settings() const { return settings_.text(); }
    int baudRate() const { return baudRate_; }
    // Every byte written through this link, across opens.
    const std::string& written() const { return written_; }
    // Characters received but not read yet.
    size_t pendingCharacters() const { return incoming_.size(); }

private:
    bool fail(const std::string& text);

    std::map<int, SerialBus*> ports_;
    SerialBus* bus_ = nullptr;
    int portNumber_ = 0;
    transport::SerialSettings settings_;
    int baudRate_ = 0;
    bool lost_ = false;
    std::string written_;
    std::deque<TimedByte> incoming_;
    std::string errorText_;
};

} // namespace simulator
