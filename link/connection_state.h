#pragma once
// The connection state that every window of Motiondesk shares (and Proglift keeps its own of).
// Booleans are plain bool here; files and displays write them as -1 / 0 where that matters.

#include "common/link_kind.h"

#include <cstdint>
#include <string>

namespace transport {

struct ConnectionState {
    int16_t LinkType = LinkSerial;
    bool LinkOpen = false;
    std::string DeviceName = "01"; // two-digit device ID, the address on the serial line
    int16_t SerialPort = 1;        // 1 = COM1
    std::string SerialDevice;      // a device opened by its path in place of COM<SerialPort>
    std::string BaudRate = "9600"; // used verbatim in the port settings
    int16_t UsbDeviceIndex = 0;
    int32_t UsbHandle = 0;
    int16_t UsbResult = 0;
};

} // namespace transport
