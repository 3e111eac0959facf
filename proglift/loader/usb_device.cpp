#include "proglift/loader/usb_device.h"

#include "motiondesk/transport/command_transport.h"
#include "proglift/loader/controller_models.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace proglift {

namespace {

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

struct UsbMatch {
    std::string item;
    int32_t index;
};

std::vector<UsbMatch> matchingDevices(transport::UsbLibrary& usb, int32_t count,
                                      const std::string& searchText) {
    std::vector<UsbMatch> matches;
    for (int32_t index = 0; index < count; ++index) {
        std::array<uint8_t, 257> buffer{};
        usb.GetProductString(index, buffer.data(), 0);
        const std::string product = upperCase(transport::BytesToText(buffer.data(), buffer.size()));
        if (product.find(searchText) != std::string::npos) {
            matches.push_back({product + " , Index=" + std::to_string(index), index});
        }
    }
    return matches;
}

// The library's own text for its last failure (a socket folder it refused), empty when it has none.
std::string libraryError(transport::UsbLibrary& usb) {
    std::array<uint8_t, 257> buffer{};
    if (usb.GetProductString(0, buffer.data(), transport::UsbOptionLastError) != 1) return {};
    return transport::BytesToText(buffer.data(), buffer.size());
}

} // namespace

int16_t OpenUsbDevice(transport::UsbLibrary& usb, transport::ConnectionState& state,
                      const std::string& modelCode, const std::string& deviceName,
                      UsbSearch* search) {
    state.UsbHandle = 1;
    int32_t count = 0;
    state.UsbResult = static_cast<int16_t>(usb.GetNumDevices(count));
    const std::string key = UsbModelKey(modelCode);
    if (key.empty()) return -1;
    if (state.UsbResult != 1) {
        if (search) search->libraryError = libraryError(usb);
        return -1;
    }

    const auto matches = matchingDevices(usb, count, key + deviceName);
    if (search) {
        search->MainDeviceList.clear();
        for (const auto& match : matches)
            search->MainDeviceList.push_back(match.item);
    }
    if (matches.empty()) return -1;
    // The index is kept as a number: a product text may itself hold an "=".
    const int32_t index = matches.front().index;

    usb.SetTimeouts(1000, 1000);
    int32_t handle = 0;
    state.UsbResult = static_cast<int16_t>(usb.Open(index, handle));
    state.UsbHandle = handle;
    state.UsbDeviceIndex = static_cast<int16_t>(index);
    return state.UsbResult == 0 ? -1 : 1;
}

} // namespace proglift
