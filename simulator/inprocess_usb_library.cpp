#include "simulator/inprocess_usb_library.h"

#include <algorithm>
#include <cstring>

namespace simulator {

UsbDevice* InProcessUsbLibrary::owner(int32_t handle) {
    for (UsbDevice* device : devices_)
        if (device->isOpen() && device->openHandle() == handle) return device;
    return nullptr;
}

int32_t InProcessUsbLibrary::GetNumDevices(int32_t& count) {
    calls_.push_back("GetNumDevices");
    if (!available_) return 0;
    count = int32_t(devices_.size());
    return 1;
}

int32_t InProcessUsbLibrary::GetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t) {
    calls_.push_back("GetProductString");
    if (!available_ || !buffer || deviceIndex < 0 || deviceIndex >= int32_t(devices_.size()))
        return 0;
    const std::string text = devices_[size_t(deviceIndex)]->productText();
    std::memset(buffer, 0, 257);
    std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), 256));
    return 1;
}

int32_t InProcessUsbLibrary::SetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs) {
    calls_.push_back("SetTimeouts");
    if (!available_) return 0;
    readTimeoutMs_ = readTimeoutMs;
    writeTimeoutMs_ = writeTimeoutMs;
    return 1;
}

int32_t InProcessUsbLibrary::Open(int32_t deviceIndex, int32_t& handle) {
    calls_.push_back("Open");
    if (!available_ || deviceIndex < 0 || deviceIndex >= int32_t(devices_.size())) return 0;
    return devices_[size_t(deviceIndex)]->open(handle);
}

int32_t InProcessUsbLibrary::SendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite,
                                      int32_t bytesToRead, uint8_t* receive) {
    calls_.push_back("SendRecv");
    if (receive && bytesToRead > 0) std::memset(receive, 0, size_t(std::min(bytesToRead, 64)));
    if (!available_ || !send || !receive) return 0;
    uint8_t block[64] = {};
    std::memcpy(block, send, size_t(std::clamp(bytesToWrite, 0, 64)));
    UsbDevice* device = owner(handle);
    if (!device) return 0;
    UsbExchange result = device->exchange(handle, block);
    if (result.silent || result.delayUs > int64_t(readTimeoutMs_) * 1000) return 0;
    std::memcpy(receive, result.reply.data(), size_t(std::clamp(bytesToRead, 0, 64)));
    return result.status;
}

int32_t InProcessUsbLibrary::Flush(int32_t handle) {
    calls_.push_back("Flush");
    UsbDevice* device = available_ ? owner(handle) : nullptr;
    return device ? device->flush(handle) : 0;
}

int32_t InProcessUsbLibrary::Close(int32_t handle) {
    calls_.push_back("Close");
    UsbDevice* device = available_ ? owner(handle) : nullptr;
    return device ? device->close(handle) : 0;
}

} // namespace simulator
