#include "motiondesk/connection/usb_handle_file.h"

#include "common/numbers.h"
#include "common/text.h"

#include <algorithm>

namespace connection {
namespace {

bool isLineFor(const std::string& line, int deviceIndex) {
    const size_t comma = line.find(',');
    return comma != std::string::npos &&
           common::trimmed(line.substr(0, comma)) == std::to_string(deviceIndex);
}

std::string lineFor(int deviceIndex, int32_t handle) {
    return std::to_string(deviceIndex) + "," + std::to_string(handle);
}

} // namespace

std::optional<int32_t> recordedUsbHandle(const std::vector<std::string>& lines, int deviceIndex) {
    const auto line = std::find_if(lines.begin(), lines.end(), [deviceIndex](const auto& text) {
        return isLineFor(text, deviceIndex);
    });
    if (line == lines.end()) return std::nullopt;
    return common::toWholeNumber(line->substr(line->find(',') + 1));
}

std::vector<std::string> withUsbHandle(std::vector<std::string> lines, int deviceIndex,
                                       int32_t handle) {
    const auto line = std::find_if(lines.begin(), lines.end(), [deviceIndex](const auto& text) {
        return isLineFor(text, deviceIndex);
    });
    if (line == lines.end())
        lines.push_back(lineFor(deviceIndex, handle));
    else
        *line = lineFor(deviceIndex, handle);
    return lines;
}

} // namespace connection
