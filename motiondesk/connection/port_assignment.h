#pragma once
// Which of the machine's serial devices a COM number opens. The stored files (commsetup.ini, the
// loader's set-up file) keep the port number, so a device is given a number: EXE/ports/COM<n>
// becomes a symbolic link to it, by its stable name in /dev/serial/by-id where one leads to it,
// so that an adapter keeps its number after a replug and the loader opens the same device.
// A COM number without a link keeps the fixed mapping to /dev/ttyS<n-1>.

#include <optional>
#include <string>
#include <vector>

namespace connection {

inline constexpr const char* DefaultByIdFolder = "/dev/serial/by-id";
// The port list offers COM1 to COM15, and the search tries those.
inline constexpr int HighestAssignablePort = 15;

class PortAssignment {
public:
    explicit PortAssignment(std::string exeFolder, std::string byIdFolder = DefaultByIdFolder);

    // What a link for the device should name: the first name (in name order) in the by-id
    // folder that leads to the same device and is plain text, else the device path itself.
    std::string linkTargetFor(const std::string& device) const;

    struct Outcome {
        std::string target;  // what COM<n> now leads to
        std::string failure; // why nothing was changed; empty on success
    };
    // Makes COM<n> open the device. A failure changes nothing.
    Outcome assign(int portNumber, const std::string& device) const;
    // Takes the link away, so COM<n> is /dev/ttyS<n-1> again; nothing when there is none.
    std::optional<std::string> release(int portNumber) const;

    // The COM numbers whose links lead to the device, in order.
    std::vector<int> portsOf(const std::string& device) const;
    // Whether COM<n> has a link of its own.
    bool isAssigned(int portNumber) const;

    std::string linkPath(int portNumber) const;

private:
    std::optional<std::string> checkLinkPlace(int portNumber) const;

    std::string exeFolder_;
    std::string byIdFolder_;
};

// Plain text for a device name: printable ASCII without blanks (the program's messages and
// files are single-byte text).
bool isPlainDeviceName(const std::string& name);

} // namespace connection
