#include "simulator/usb_device.h"

#include <algorithm>
#include <atomic>
#include <random>

namespace simulator {
namespace {

// Handles are unique across devices and across simulator runs, so a handle remembered from an
// earlier run never closes the wrong device.
int32_t nextHandle() {
    static std::atomic<int32_t> counter{[] {
        std::random_device seed;
        return int32_t(1000 + seed() % 1'000'000'000);
    }()};
    int32_t handle = counter.fetch_add(1);
    if (handle <= 0) counter = handle = 1000;
    return handle;
}

} // namespace

int32_t UsbDevice::open(int32_t& handle) {
    if (controller_.faults().disconnected() || handle_ != 0) return 0;
    handle = handle_ = nextHandle();
    return 1;
}

int32_t UsbDevice::close(int32_t handle) {
    if (handle == 0 || handle != handle_) return 0;
    handle_ = 0;
    return 1;
}

int32_t UsbDevice::flush(int32_t handle) {
    return handle != 0 && handle == handle_ ? 1 : 0;
}

UsbExchange UsbDevice::exchange(int32_t handle, const uint8_t* command) {
    UsbExchange result;
    if (handle == 0 || handle != handle_ || controller_.faults().disconnected()) {
        result.silent = true;
        return result;
    }
    const uint8_t* end = std::find(command, command + 64, uint8_t(0));
    const std::string text(command, end);
    Transmission t = controller_.faults().shape(text, controller_.execute(text));
    if (t.disconnect || t.bytes.empty()) {
        result.silent = true;
        return result;
    }
    // A USB reply is the text up to the controller's CR, packed into one block.
    std::string reply = t.text();
    reply = reply.substr(0, reply.find('\r'));
    std::copy_n(reply.begin(), std::min<size_t>(reply.size(), 64), result.reply.begin());
    result.delayUs = t.totalDelayUs();
    result.status = 1;
    return result;
}

} // namespace simulator
