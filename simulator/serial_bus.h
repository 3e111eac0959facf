#pragma once
// Several controllers on one serial line, as on RS-485. The host writes frames of
// "@" + two-digit ID + command + CR; the controller with that ID answers with its reply and a
// CR, the broadcast ID 00 makes every controller act and none answer, and a controller only
// understands the line when the line runs at its own baud rate. Bytes outside a frame (before
// the "@") are line noise and ignored.

#include "simulator/controller_model.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

struct BusFrame {
    std::string deviceId;
    std::string command;
    int lineBaud;
    bool understood; // a controller with this ID (or the broadcast) heard it at its own rate
};

class SerialBus {
public:
    ControllerModel& add(ControllerConfig config);
    ControllerModel* find(std::string_view deviceId);
    std::vector<ControllerModel*> controllers();

    // Feeds bytes the host wrote at lineBaud and returns what the controllers send back.
    Transmission write(std::string_view bytes, int lineBaud);
    // Forgets a frame that was cut off (the host reopened the port).
    void resetInput() { pending_.clear(); }

    // Spread replies over the wire time of lineBaud (10 bits per character).
    void setWireTime(bool on) { wireTime_ = on; }
    bool wireTime() const { return wireTime_; }

    // True once a controller's fault plan dropped the line.
    bool disconnected() const { return disconnected_; }
    void reconnect();

    // Every frame the line carried, in order.
    const std::vector<BusFrame>& frames() const { return frames_; }

private:
    void handleFrame(std::string_view frame, int lineBaud, Transmission& out);

    std::deque<std::unique_ptr<ControllerModel>> controllers_;
    std::string pending_;
    std::vector<BusFrame> frames_;
    bool wireTime_ = false;
    bool disconnected_ = false;
};

} // namespace simulator
