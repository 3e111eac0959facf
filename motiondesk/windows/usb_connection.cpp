#include "motiondesk/windows/usb_connection.h"

#include "common/numbers.h"
#include "common/textfile.h"
#include "motiondesk/transport/command_transport.h"
#include "motiondesk/transport/connection_state.h"
#include "motiondesk/transport/usb_library.h"
#include "motiondesk/windows/usb_handle_file.h"

#include <algorithm>
#include <array>
#include <limits>

namespace connection {
namespace {

// A USB bus holds at most 127 devices; a larger count is a fault of the library.
constexpr int32_t MostUsbDevices = 127;

int16_t asResult(int32_t result) {
    return static_cast<int16_t>(result);
}

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    return text;
}

std::string productText(transport::UsbLibrary& usb, transport::ConnectionState& state,
                        int32_t index) {
    std::array<uint8_t, 257> buffer{};
    state.UsbResult = asResult(usb.GetProductString(index, buffer.data(), 0));
    return transport::BytesToText(buffer.data(), buffer.size());
}

// Closes the handle an earlier run left for this index, so the device can be opened again.
bool reopenAfterStaleHandle(transport::UsbLibrary& usb, transport::ConnectionState& state,
                            const common::TextFile& handleFile) {
    if (!handleFile.ok()) return false;
    const auto stale = recordedUsbHandle(handleFile.lines, state.UsbDeviceIndex);
    if (!stale) return false;
    usb.Close(*stale);
    int32_t handle = 0;
    state.UsbResult = asResult(usb.Open(state.UsbDeviceIndex, handle));
    state.UsbHandle = handle;
    return state.UsbResult != 0;
}

void recordHandle(const common::TextFile& handleFile, const transport::ConnectionState& state,
                  const std::string& path) {
    // A file that exists but cannot be read is left alone rather than replaced by one line.
    if (handleFile.status == common::FileStatus::Unreadable) return;
    common::writeLinesAtomically(
        path, withUsbHandle(handleFile.lines, state.UsbDeviceIndex, state.UsbHandle));
}

} // namespace

std::vector<std::string> listControllers(transport::UsbLibrary& usb,
                                         transport::ConnectionState& state) {
    std::vector<std::string> entries;
    int32_t count = 0;
    state.UsbResult = asResult(usb.GetNumDevices(count));
    if (state.UsbResult != 1) return entries;
    count = std::min(count, MostUsbDevices);
    for (int32_t index = 0; index < count; ++index) {
        const std::string text = upperCased(productText(usb, state, index));
        if (text.find("KTR") != std::string::npos)
            entries.push_back(text + " , Index=" + std::to_string(index));
    }
    return entries;
}

int usbIndexOfEntry(const std::string& entry) {
    const size_t equals = entry.rfind('=');
    if (equals == std::string::npos) return 0;
    const int32_t index = common::leadingInteger(entry.substr(equals + 1));
    return std::clamp<int32_t>(index, 0, std::numeric_limits<int16_t>::max());
}

std::string deviceIdOfEntry(const std::string& entry) {
    const size_t model = entry.find("KTR");
    if (model == std::string::npos) return {};
    return entry.substr(model + 3, 2);
}

bool openController(transport::UsbLibrary& usb, transport::ConnectionState& state,
                    const std::string& handleFilePath) {
    state.UsbResult = asResult(usb.SetTimeouts(UsbTimeoutMs, UsbTimeoutMs));
    int32_t handle = 0;
    state.UsbResult = asResult(usb.Open(state.UsbDeviceIndex, handle));
    state.UsbHandle = handle;

    const common::TextFile handleFile = common::readTextFile(handleFilePath);
    if (state.UsbResult == 0 && !reopenAfterStaleHandle(usb, state, handleFile)) return false;

    recordHandle(handleFile, state, handleFilePath);
    state.UsbResult = asResult(usb.Flush(state.UsbHandle));
    return true;
}

} // namespace connection
