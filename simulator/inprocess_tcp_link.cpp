#include "simulator/inprocess_tcp_link.h"

#include "link/tcp_timings.h"

namespace simulator {

bool InProcessTcpLink::lost() {
    connected = false;
    errorText_ = transport::TcpNotConnectedText;
    return false;
}

bool InProcessTcpLink::write(const std::string& bytes) {
    if (!connected) return lost();
    sent.push_back(bytes);
    const Transmission reply = controller_.faults().shape(bytes, controller_.execute(bytes));
    if (reply.disconnect) {
        connected = false;
        return true;
    }
    incoming_.insert(incoming_.end(), reply.bytes.begin(), reply.bytes.end());
    return true;
}

transport::ReadResult InProcessTcpLink::readChar(int silenceMs) {
    using transport::ReadResult;
    if (incoming_.empty()) {
        if (!connected) return lost(), ReadResult{ReadResult::Error, 0};
        return {ReadResult::Silence, 0};
    }
    TimedByte& next = incoming_.front();
    const int64_t waitUs = int64_t(silenceMs) * 1000;
    if (next.delayUs > waitUs) {
        next.delayUs -= waitUs;
        return {ReadResult::Silence, 0};
    }
    const char c = next.byte;
    incoming_.pop_front();
    return {ReadResult::Char, c};
}

std::size_t InProcessTcpLink::discardInput() {
    const std::size_t discarded = incoming_.size();
    incoming_.clear();
    return discarded;
}

} // namespace simulator
