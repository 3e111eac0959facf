#include "link/serial_settings.h"

#include "common/text.h"

namespace transport {

std::string SerialSettings::text() const {
    return std::to_string(baudRate) + ",N,8,1";
}

// Digits only, blanks around them aside, so "9600x", "-1" and "1e5" are refused rather than read
// in part.
std::optional<SerialSettings> serialSettingsFor(int portNumber, const std::string& baudRate) {
    const std::string digits = common::trimmed(baudRate);
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value <= 0) return std::nullopt;
    return SerialSettings{portNumber, value};
}

std::string invalidSettingsText(const std::string& baudRate) {
    return "Invalid port settings \"" + baudRate + ",N,8,1\".";
}

} // namespace transport
