#pragma once
// USBHandle.ini in the EXE folder: one line "index,handle" per USB device index, the handle the
// library gave that device the last time the program opened it. A handle left over from a run
// that ended without closing it can block the next open; the recorded one is closed to free it.
// Lines the program does not understand are kept as they are.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace connection {

inline const char* const UsbHandleFileName = "USBHandle.ini";

// The handle recorded for deviceIndex on the first line whose text before its first comma is
// that index. Nothing when there is no such line or its handle is not a whole number.
std::optional<int32_t> recordedUsbHandle(const std::vector<std::string>& lines, int deviceIndex);

// The lines with the one for deviceIndex replaced by "index,handle" (the first such line), or
// with that line appended when there is none. Every other line stays as it was.
std::vector<std::string> withUsbHandle(std::vector<std::string> lines, int deviceIndex,
                                       int32_t handle);

} // namespace connection
