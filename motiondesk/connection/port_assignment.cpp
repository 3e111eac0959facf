#include "motiondesk/connection/port_assignment.h"

#include "link/port_diagnosis.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace connection {
namespace {

namespace fs = std::filesystem;
using transport::printableName;

std::string comName(int portNumber) {
    return "COM" + std::to_string(portNumber);
}

std::string systemError() {
    return std::strerror(errno);
}

// std::filesystem::equivalent refuses device files, which are all this is asked about.
bool sameDevice(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::optional<std::string> checkDevice(const std::string& device) {
    struct stat entry {};
    if (::stat(device.c_str(), &entry) != 0)
        return "The device " + printableName(device) +
               " is not there (any more). Refresh the list of serial ports.";
    if (!S_ISCHR(entry.st_mode)) return printableName(device) + " is not a serial device.";
    return std::nullopt;
}

} // namespace

bool isPlainDeviceName(const std::string& name) {
    if (name.empty()) return false;
    return std::all_of(name.begin(), name.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

PortAssignment::PortAssignment(std::string exeFolder, std::string byIdFolder)
    : exeFolder_(std::move(exeFolder)), byIdFolder_(std::move(byIdFolder)) {}

std::string PortAssignment::linkPath(int portNumber) const {
    return exeFolder_ + "/ports/" + comName(portNumber);
}

bool PortAssignment::isAssigned(int portNumber) const {
    struct stat entry {};
    return ::lstat(linkPath(portNumber).c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

std::string PortAssignment::linkTargetFor(const std::string& device) const {
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(byIdFolder_, error))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        // A link left behind by a device that is gone leads nowhere and is passed over.
        if (isPlainDeviceName(name) && sameDevice(name, device)) return name;
    }
    return device;
}

// A link may replace a link, never a file or folder someone put there.
std::optional<std::string> PortAssignment::checkLinkPlace(int portNumber) const {
    struct stat entry {};
    const std::string link = linkPath(portNumber);
    if (::lstat(link.c_str(), &entry) != 0 || S_ISLNK(entry.st_mode)) return std::nullopt;
    const char* what = S_ISDIR(entry.st_mode) ? "a folder" : "a file";
    return printableName(link) + " is " + what +
           ", not a link to a device, and was left as it is. " + "Remove it to assign a port to " +
           comName(portNumber) + ".";
}

PortAssignment::Outcome PortAssignment::assign(int portNumber, const std::string& device) const {
    if (portNumber < 1 || portNumber > HighestAssignablePort)
        return {{}, "Choose a port from COM1 to COM15 to assign " + printableName(device) + " to."};
    if (!isPlainDeviceName(device))
        return {{},
                "The device name \"" + printableName(device) +
                    "\" holds blanks or characters outside plain ASCII; it cannot be "
                    "assigned to " +
                    comName(portNumber) + "."};
    if (auto failure = checkDevice(device)) return {{}, *failure};
    if (auto failure = checkLinkPlace(portNumber)) return {{}, *failure};

    const std::string ports = exeFolder_ + "/ports";
    std::error_code error;
    fs::create_directories(ports, error);
    if (error)
        return {{},
                "Cannot create the folder " + printableName(ports) + ": " + error.message() + ". " +
                    comName(portNumber) + " was not assigned."};

    // Made aside and renamed into place, so COM<n> is at every moment the old link or the new.
    const std::string target = linkTargetFor(device);
    const std::string link = linkPath(portNumber);
    const std::string fresh =
        ports + "/." + comName(portNumber) + ".new" + std::to_string(getpid());
    ::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0)
        return {{},
                "Cannot write in the folder " + printableName(ports) + ": " + systemError() + ". " +
                    comName(portNumber) + " was not assigned."};
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        const std::string reason = systemError();
        ::unlink(fresh.c_str());
        return {{},
                "Cannot replace " + printableName(link) + ": " + reason + ". " +
                    comName(portNumber) + " was not assigned."};
    }
    return {target, {}};
}

std::optional<std::string> PortAssignment::release(int portNumber) const {
    if (auto failure = checkLinkPlace(portNumber)) return failure;
    const std::string link = linkPath(portNumber);
    if (!isAssigned(portNumber)) return std::nullopt;
    if (::unlink(link.c_str()) != 0)
        return "Cannot remove " + printableName(link) + ": " + systemError() + ".";
    return std::nullopt;
}

std::vector<int> PortAssignment::portsOf(const std::string& device) const {
    std::vector<int> numbers;
    for (int n = 1; n <= HighestAssignablePort; ++n)
        if (isAssigned(n) && sameDevice(linkPath(n), device)) numbers.push_back(n);
    return numbers;
}

} // namespace connection
