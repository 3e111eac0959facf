#pragma once
// Finding and opening the controller on USB: the first device whose upper-cased product text
// holds the model's key followed by the device ID.

#include "motiondesk/transport/connection_state.h"
#include "motiondesk/transport/usb_library.h"

#include <cstdint>
#include <string>
#include <vector>

namespace proglift {

struct UsbSearch {
    std::vector<std::string> MainDeviceList; // "<product text> , Index=<n>" per match
    // Why the library could not list its devices, when it says (empty otherwise).
    std::string libraryError;
};

// 1 when the device was opened (UsbHandle and UsbResult set in state), -1 otherwise.
int16_t OpenUsbDevice(transport::UsbLibrary& usb, transport::ConnectionState& state,
                      const std::string& modelCode, const std::string& deviceName,
                      UsbSearch* search = nullptr);

} // namespace proglift
