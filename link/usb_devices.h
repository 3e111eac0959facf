#pragma once
// Finding controllers on USB, for every program: the devices whose upper-cased product text holds
// a search text (a model's key from the table of models, followed by a device ID where one is
// asked for), listed as "<PRODUCT TEXT> , Index=<i>".

#include "link/connection_state.h"
#include "link/usb_library.h"

#include <cstdint>
#include <string>
#include <vector>

namespace transport {

struct UsbDeviceMatch {
    std::string productText; // upper-cased
    int32_t index = 0;

    // "<product text> , Index=<index>", as the device lists show it.
    std::string entry() const;
};

// The product-text key of a model followed by the device ID ("KTR" + "01"); empty when the model
// is unknown or has no key (it cannot be found over USB).
std::string usbSearchText(const std::string& modelCode, const std::string& deviceId);

// The enumerated devices whose upper-cased product text contains searchText, in enumeration
// order. Each library call's status goes to UsbResult; none when the enumeration fails.
std::vector<UsbDeviceMatch> findUsbDevices(UsbLibrary& usb, ConnectionState& state,
                                           const std::string& searchText);

// The library's own text for its last failure (a socket folder it refused); empty when it has
// none.
std::string usbLibraryError(UsbLibrary& usb);

// Opens the first device matching searchText with the given read and write time-outs: UsbHandle,
// UsbDeviceIndex and UsbResult are set. False when no device matches or the open fails;
// libraryError then says why the library could not list its devices, when it says.
bool openFirstUsbDevice(UsbLibrary& usb, ConnectionState& state, const std::string& searchText,
                        int32_t timeoutMs, std::string* libraryError = nullptr);

} // namespace transport
