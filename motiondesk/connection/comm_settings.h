#pragma once
// The last serial choice, kept in commsetup.ini in the EXE folder: three lines holding the texts
// of the port, baud and device-ID lists. The texts are taken as they are; a damaged file gives
// odd texts in the lists, never a failure here.

#include <cstdint>
#include <optional>
#include <string>

namespace connection {

struct CommSettings {
    std::string port;
    std::string baud;
    std::string deviceId;
};

inline const char* const CommSettingsFileName = "commsetup.ini";

// What the lists show when there is no file.
CommSettings defaultCommSettings();

// Nothing when the file does not exist. Lines it lacks, or all three when it cannot be read,
// are empty texts.
std::optional<CommSettings> readCommSettings(const std::string& path);

// Creates or overwrites the file; false when it could not be written.
bool writeCommSettings(const std::string& path, const CommSettings& settings);

// The port number in a port text: its last two characters when it is five characters long
// ("COM12" is 12), else its last character ("COM7" is 7); 0 when those are not a number.
int16_t portNumberFromText(const std::string& portText);

} // namespace connection
