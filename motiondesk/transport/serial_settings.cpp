#include "motiondesk/transport/serial_settings.h"

#include <cctype>
#include <vector>

namespace transport {

namespace {

std::vector<std::string> splitAtCommas(const std::string& text) {
    std::vector<std::string> items(1);
    for (char c : text) {
        if (c == ',')
            items.emplace_back();
        else
            items.back().push_back(c);
    }
    return items;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Digits only, so "9600x", "-1" and "1e5" are refused rather than read in part.
std::optional<int> positiveNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value <= 0) return std::nullopt;
    return value;
}

std::optional<SerialSettings::Parity> parityFrom(const std::string& text) {
    if (text.size() != 1) return std::nullopt;
    switch (std::toupper(static_cast<unsigned char>(text[0]))) {
    case 'N':
        return SerialSettings::Parity::None;
    case 'E':
        return SerialSettings::Parity::Even;
    case 'O':
        return SerialSettings::Parity::Odd;
    case 'M':
        return SerialSettings::Parity::Mark;
    case 'S':
        return SerialSettings::Parity::Space;
    default:
        return std::nullopt;
    }
}

std::optional<SerialSettings::StopBits> stopBitsFrom(const std::string& text) {
    if (text == "1") return SerialSettings::StopBits::One;
    if (text == "1.5") return SerialSettings::StopBits::OneAndHalf;
    if (text == "2") return SerialSettings::StopBits::Two;
    return std::nullopt;
}

} // namespace

std::optional<SerialSettings> parseSerialSettings(const std::string& text) {
    std::vector<std::string> items = splitAtCommas(text);
    if (items.size() != 4) return std::nullopt;
    for (auto& item : items)
        item = trimmed(item);

    const auto baud = positiveNumber(items[0]);
    const auto parity = parityFrom(items[1]);
    const auto dataBits = positiveNumber(items[2]);
    const auto stopBits = stopBitsFrom(items[3]);
    if (!baud || !parity || !dataBits || *dataBits < 5 || *dataBits > 8 || !stopBits)
        return std::nullopt;
    return SerialSettings{*baud, *parity, *dataBits, *stopBits};
}

} // namespace transport
