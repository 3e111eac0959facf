#pragma once
// Finding and opening a controller on USB: the devices whose product text names the model word
// "KTR", and the open that frees a handle left over from an earlier run when it must.

#include <cstdint>
#include <string>
#include <vector>

namespace transport {
struct ConnectionState;
class UsbLibrary;
} // namespace transport

namespace connection {

// Read and write time-outs in milliseconds set before opening.
inline constexpr int32_t UsbTimeoutMs = 5000;

// Entries "<PRODUCT TEXT> , Index=<i>" for every enumerated device whose upper-cased product
// text contains "KTR", in enumeration order. Stores each library result in UsbResult.
std::vector<std::string> listControllers(transport::UsbLibrary& usb,
                                         transport::ConnectionState& state);

// The device index of an entry: the number after its "=".
int usbIndexOfEntry(const std::string& entry);
// The device ID of an entry: the two characters after "KTR".
std::string deviceIdOfEntry(const std::string& entry);

// Sets the time-outs and opens UsbDeviceIndex. When that fails and the handle file records a
// handle for the index, closes that handle and opens once more. On success records the new
// handle in the file, flushes the device and returns true; UsbHandle and UsbResult hold the
// library's answers either way.
bool openController(transport::UsbLibrary& usb, transport::ConnectionState& state,
                    const std::string& handleFilePath);

} // namespace connection
