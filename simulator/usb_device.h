#pragma once
// A controller seen as a USB device: 64-byte command blocks in, 64-byte zero-padded reply
// blocks out. The device itself issues the handle and holds it until it is closed, whoever
// closes it: a program that died with the device open leaves it refusing new opens until some
// later program closes that old handle.

#include "simulator/controller_model.h"

#include <array>
#include <cstdint>
#include <string>

namespace simulator {

struct UsbExchange {
    int32_t status = 0;              // 1 when the handle was valid and the device answered
    std::array<uint8_t, 64> reply{}; // zero-padded
    int64_t delayUs = 0;             // how long the device takes to answer
    bool silent = false;             // the device does not answer at all
};

class UsbDevice {
public:
    explicit UsbDevice(ControllerModel& controller) : controller_(controller) {}

    std::string productText() const { return controller_.productText(); }
    ControllerModel& controller() { return controller_; }

    int32_t open(int32_t& handle);
    int32_t close(int32_t handle);
    int32_t flush(int32_t handle);
    bool isOpen() const { return handle_ != 0; }
    int32_t openHandle() const { return handle_; }
    // The command is the block's bytes up to the first zero (all 64 when there is none).
    UsbExchange exchange(int32_t handle, const uint8_t* command);

private:
    ControllerModel& controller_;
    int32_t handle_ = 0;
};

} // namespace simulator
