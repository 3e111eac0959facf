#include "motiondesk/connection/usb_connection.h"

#include "common/controller_models.h"
#include "common/numbers.h"
#include "common/textfile.h"
#include "link/command_transport.h"
#include "link/connection_state.h"
#include "link/usb_devices.h"
#include "link/usb_library.h"
#include "motiondesk/connection/usb_handle_file.h"

#include <algorithm>
#include <array>
#include <limits>

namespace connection {
namespace {

int16_t asResult(int32_t result) {
    return static_cast<int16_t>(result);
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
    const std::string modelWord(common::findControllerModel(common::kMotiondeskModel)->usbKey);
    std::vector<std::string> entries;
    for (const auto& match : transport::findUsbDevices(usb, state, modelWord))
        entries.push_back(match.entry());
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
