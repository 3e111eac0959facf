#pragma once
// The USB library for tests, over in-process USB devices (controller models). Handles live in
// the devices, so two libraries over the same devices behave like two programs: one that left a
// device open makes the other's open fail until the old handle is closed. A device that does not
// answer within the read time-out gives an all-zero block with status 0; time is simulated, so
// nobody waits for it.
//
//   simulator::ControllerModel controller({.deviceId = "01"});
//   simulator::UsbDevice device(controller);
//   simulator::InProcessUsbLibrary usb;
//   usb.attach(device);                                // index 0, product text "KTR01"

#include "link/usb_library.h"
#include "simulator/usb_device.h"

#include <vector>

namespace simulator {

class InProcessUsbLibrary final : public transport::UsbLibrary {
public:
    // Devices enumerate in the order they were attached.
    void attach(UsbDevice& device) { devices_.push_back(&device); }
    // A library that failed to load: available() is false and every call returns 0.
    void setAvailable(bool available) { available_ = available; }

    bool available() override { return available_; }
    int32_t GetNumDevices(int32_t& count) override;
    int32_t GetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option) override;
    int32_t SetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs) override;
    int32_t Open(int32_t deviceIndex, int32_t& handle) override;
    int32_t SendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite, int32_t bytesToRead,
                     uint8_t* receive) override;
    int32_t Flush(int32_t handle) override;
    int32_t Close(int32_t handle) override;

    int32_t readTimeoutMs() const { return readTimeoutMs_; }
    int32_t writeTimeoutMs() const { return writeTimeoutMs_; }
    // Every call made, by function name, in order ("Open", "SendRecv", ...).
    const std::vector<std::string>& calls() const { return calls_; }

private:
    UsbDevice* owner(int32_t handle);

    std::vector<UsbDevice*> devices_;
    bool available_ = true;
    int32_t readTimeoutMs_ = 5000;
    int32_t writeTimeoutMs_ = 5000;
    std::vector<std::string> calls_;
};

} // namespace simulator
