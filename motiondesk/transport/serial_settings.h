#pragma once
// The serial-port settings text: baud rate, parity, data bits, stop bits, as in "9600,N,8,1".

#include <optional>
#include <string>

namespace transport {

struct SerialSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
};

// Nothing for a text that does not name a positive baud rate and valid framing.
std::optional<SerialSettings> parseSerialSettings(const std::string& text);

} // namespace transport
