#include "link/usb_devices.h"

#include "common/controller_models.h"
#include "link/command_transport.h"

#include <algorithm>
#include <array>

namespace transport {

namespace {

// A USB bus holds at most 127 devices; a larger count is a fault of the library.
constexpr int32_t MostUsbDevices = 127;

// Product texts are ASCII; bytes above it are left as they are, whatever the locale.
std::string upperCasedAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    return text;
}

std::string productText(UsbLibrary& usb, ConnectionState& state, int32_t index) {
    std::array<uint8_t, 257> buffer{};
    state.UsbResult = static_cast<int16_t>(usb.GetProductString(index, buffer.data(), 0));
    return BytesToText(buffer.data(), buffer.size());
}

} // namespace

std::string UsbDeviceMatch::entry() const {
    return productText + " , Index=" + std::to_string(index);
}

std::string usbSearchText(const std::string& modelCode, const std::string& deviceId) {
    const auto* model = common::findControllerModel(modelCode);
    if (!model || !model->foundOverUsb()) return {};
    return std::string(model->usbKey) + deviceId;
}

std::vector<UsbDeviceMatch> findUsbDevices(UsbLibrary& usb, ConnectionState& state,
                                           const std::string& searchText) {
    std::vector<UsbDeviceMatch> matches;
    int32_t count = 0;
    state.UsbResult = static_cast<int16_t>(usb.GetNumDevices(count));
    if (state.UsbResult != 1) return matches;
    count = std::min(count, MostUsbDevices);
    for (int32_t index = 0; index < count; ++index) {
        std::string text = upperCasedAscii(productText(usb, state, index));
        if (text.find(searchText) != std::string::npos) matches.push_back({std::move(text), index});
    }
    return matches;
}

std::string usbLibraryError(UsbLibrary& usb) {
    std::array<uint8_t, 257> buffer{};
    if (usb.GetProductString(0, buffer.data(), UsbOptionLastError) != 1) return {};
    return BytesToText(buffer.data(), buffer.size());
}

bool openFirstUsbDevice(UsbLibrary& usb, ConnectionState& state, const std::string& searchText,
                        int32_t timeoutMs, std::string* libraryError) {
    state.UsbHandle = 1;
    const auto matches = findUsbDevices(usb, state, searchText);
    if (matches.empty()) {
        if (libraryError && state.UsbResult != 1) *libraryError = usbLibraryError(usb);
        return false;
    }
    // The index is kept as a number: a product text may itself hold an "=".
    const int32_t index = matches.front().index;
    usb.SetTimeouts(timeoutMs, timeoutMs);
    int32_t handle = 0;
    state.UsbResult = static_cast<int16_t>(usb.Open(index, handle));
    state.UsbHandle = handle;
    state.UsbDeviceIndex = static_cast<int16_t>(index);
    return state.UsbResult != 0;
}

} // namespace transport
