#include "simulator/inprocess_serial_link.h"

#include <charconv>
#include <map>

namespace simulator {
namespace {

// Which link holds each bus, so two controls cannot hold one port at the same time.
std::map<const SerialBus*, const InProcessSerialLink*>& holders() {
    static std::map<const SerialBus*, const InProcessSerialLink*> map;
    return map;
}

int leadingBaud(const std::string& settings) {
    int baud = 0;
    std::from_chars(settings.data(), settings.data() + settings.size(), baud);
    return baud;
}

} // namespace

bool InProcessSerialLink::fail(const std::string& text) {
    errorText_ = text;
    return false;
}

bool InProcessSerialLink::open(int portNumber, const std::string& settings) {
    close();
    auto port = ports_.find(portNumber);
    if (port == ports_.end()) return fail("No such file or directory");
    const int baud = leadingBaud(settings);
    if (baud <= 0) return fail("Invalid argument");
    if (holders().count(port->second)) return fail("Device or resource busy");
    holders()[port->second] = this;
    bus_ = port->second;
    bus_->resetInput();
    portNumber_ = portNumber;
    settings_ = settings;
    baudRate_ = baud;
    lost_ = bus_->disconnected();
    incoming_.clear();
    errorText_.clear();
    ++openCount_;
    return true;
}

void InProcessSerialLink::close() {
    if (!bus_) return;
    holders().erase(bus_);
    bus_ = nullptr;
    incoming_.clear();
}

bool InProcessSerialLink::reopen() {
    if (portNumber_ == 0) return fail("No such file or directory");
    return open(portNumber_, settings_);
}

bool InProcessSerialLink::write(const std::string& bytes) {
    if (!bus_) return fail("Port not open");
    if (lost_) return fail("Input/output error");
    written_ += bytes;
    Transmission reply = bus_->write(bytes, baudRate_);
    incoming_.insert(incoming_.end(), reply.bytes.begin(), reply.bytes.end());
    if (reply.disconnect) lost_ = true;
    return true;
}

transport::SerialReadResult InProcessSerialLink::readChar(int silenceMs) {
    using transport::SerialReadResult;
    if (!bus_) return fail("Port not open"), SerialReadResult{SerialReadResult::Error, 0};
    if (incoming_.empty()) {
        if (lost_) return fail("Input/output error"), SerialReadResult{SerialReadResult::Error, 0};
        return {SerialReadResult::Silence, 0};
    }
    TimedByte& next = incoming_.front();
    const int64_t waitUs = int64_t(silenceMs) * 1000;
    if (next.delayUs > waitUs) {
        next.delayUs -= waitUs; // that much of the pause has passed
        return {SerialReadResult::Silence, 0};
    }
    const char c = next.byte;
    incoming_.pop_front();
    return {SerialReadResult::Char, c};
}

} // namespace simulator
