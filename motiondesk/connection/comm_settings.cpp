#include "motiondesk/connection/comm_settings.h"

#include "common/numbers.h"
#include "common/textfile.h"

#include <limits>

namespace connection {

CommSettings defaultCommSettings() {
    return {"COM1", "9600", "01"};
}

std::optional<CommSettings> readCommSettings(const std::string& path) {
    if (path.find('*') != std::string::npos) return std::nullopt;
    const common::TextFile file = common::readTextFile(path);
    if (file.status == common::FileStatus::Missing) return std::nullopt;

    CommSettings settings;
    std::string* texts[] = {&settings.port, &settings.baud, &settings.deviceId};
    for (size_t i = 0; i < 3 && i < file.lines.size(); ++i)
        *texts[i] = file.lines[i];
    return settings;
}

bool writeCommSettings(const std::string& path, const CommSettings& settings) {
    return common::writeLinesAtomically(path, {settings.port, settings.baud, settings.deviceId});
}

int16_t portNumberFromText(const std::string& portText) {
    if (portText.empty()) return 0;
    const size_t digits = portText.size() == 5 ? 2 : 1;
    const int32_t number = common::leadingInteger(portText.substr(portText.size() - digits));
    if (number < 0 || number > std::numeric_limits<int16_t>::max()) return 0;
    return static_cast<int16_t>(number);
}

} // namespace connection
