#include "simulator/inprocess_serial_link.h"

#include <map>

namespace simulator {
namespace {

// Which link holds each bus, so two controls cannot hold one port at the same time.
std::map<const SerialBus*, const InProcessSerialLink*>& holders() {
    static std::map<const SerialBus*, const InProcessSerialLink*> map;
    return map;
}

} // namespace

bool InProcessSerialLink::fail(const std::string& text) {
    errorText_ = text;
    return false;
}

bool InProcessSerialLink::open(const transport::SerialSettings& settings) {
    close();
    auto port = ports_.find(settings.portNumber);
    if (port == ports_.end()) return fail("No such file or directory");
    const int baud = settings.baudRate;
    if (baud <= 0) return fail("Invalid argument");
    if (holders().count(port->second)) return fail("Device or resource busy");
    holders()[port->second] = this;
    bus_ = port->second;
    bus_->resetInput();
    portNumber_ = settings.portNumber;
    settings_ = settings;
    baudRate_ = baud;
    lost_ = bus_->disconnected();
    incoming_.clear();
    errorText_.clear();
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
    return open(settings_);
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

// Whatever is still pending belongs to an earlier write; by the time a new exchange starts it has
// arrived.
std::size_t InProcessSerialLink::discardInput() {
    const std::size_t discarded = incoming_.size();
    incoming_.clear();
    return discarded;
}

transport::ReadResult InProcessSerialLink::readChar(int silenceMs) {
    using transport::ReadResult;
    if (!bus_) return fail("Port not open"), ReadResult{ReadResult::Error, 0};
    if (incoming_.empty()) {
        if (lost_) return fail("Input/output error"), ReadResult{ReadResult::Error, 0};
        return {ReadResult::Silence, 0};
    }
    TimedByte& next = incoming_.front();
    const int64_t waitUs = int64_t(silenceMs) * 1000;
    if (next.delayUs > waitUs) {
        next.delayUs -= waitUs; // that much of the pause has passed
        return {ReadResult::Silence, 0};
    }
    const char c = next.byte;
    incoming_.pop_front();
    return {ReadResult::Char, c};
}

} // namespace simulator
