#pragma once
// The settings a serial port is opened with. The controllers' line is always no parity, eight
// data bits and one stop bit; only the port and the baud rate vary.

#include <optional>
#include <string>

namespace transport {

struct SerialSettings {
    int portNumber = 1; // COM<portNumber>
    int baudRate = 9600;
    // A device opened by its path instead of a COM number (portNumber is then 0).
    std::string devicePath = {};

    // The settings as the port control's text shows them: "9600,N,8,1".
    std::string text() const;
    bool operator==(const SerialSettings&) const = default;
};

// Port n at the baud rate given as text (the connection state keeps it as text, as typed or read
// from commsetup.ini). Nothing when the text is not a positive whole number of digits only.
std::optional<SerialSettings> serialSettingsFor(int portNumber, const std::string& baudRate);

// Why a baud rate text cannot open a port, in the words every program uses.
std::string invalidSettingsText(const std::string& baudRate);

} // namespace transport
