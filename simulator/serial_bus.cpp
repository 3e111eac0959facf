#include "simulator/serial_bus.h"

namespace simulator {
namespace {

// A host that never sends a CR must not make the line buffer grow without bound.
constexpr size_t kLongestFrame = 4096;

} // namespace

ControllerModel& SerialBus::add(ControllerConfig config) {
    controllers_.push_back(std::make_unique<ControllerModel>(std::move(config)));
    return *controllers_.back();
}

ControllerModel* SerialBus::find(std::string_view deviceId) {
    for (auto& c : controllers_)
        if (c->deviceId() == deviceId) return c.get();
    return nullptr;
}

std::vector<ControllerModel*> SerialBus::controllers() {
    std::vector<ControllerModel*> result;
    for (auto& c : controllers_)
        result.push_back(c.get());
    return result;
}

void SerialBus::reconnect() {
    disconnected_ = false;
    for (auto& c : controllers_)
        c->faults().reconnect();
}

Transmission SerialBus::write(std::string_view bytes, int lineBaud) {
    Transmission out;
    if (disconnected_) return {{}, true};
    for (char c : bytes) {
        if (c != '\r') {
            if (pending_.size() < kLongestFrame) pending_.push_back(c);
            continue;
        }
        std::string frame;
        frame.swap(pending_);
        handleFrame(frame, lineBaud, out);
        if (disconnected_) break;
    }
    out.disconnect = disconnected_;
    return out;
}

void SerialBus::handleFrame(std::string_view frame, int lineBaud, Transmission& out) {
    const auto at = frame.find('@');
    if (at == std::string_view::npos || frame.size() - at < 3) return;
    const std::string id(frame.substr(at + 1, 2));
    const std::string command(frame.substr(at + 3));
    const bool broadcast = id == "00";
    bool understood = false;
    for (auto& controller : controllers_) {
        if (controller->baudRate() != lineBaud) continue;
        if (!broadcast && controller->deviceId() != id) continue;
        understood = true;
        std::string reply = controller->execute(command);
        if (broadcast) continue;
        Transmission t = controller->faults().shape(command, reply);
        if (t.disconnect) {
            disconnected_ = true;
            break;
        }
        if (wireTime_) addWireTime(t, lineBaud, frame.size() - at + 1);
        out.bytes.insert(out.bytes.end(), t.bytes.begin(), t.bytes.end());
        break; // an ID answers once, even if two controllers were given the same one
    }
    frames_.push_back({id, command, lineBaud, understood});
}

} // namespace simulator
