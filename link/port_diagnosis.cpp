#include "link/port_diagnosis.h"

#include "link/serial_port_link.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace transport {
namespace {

std::string comName(int portNumber) {
    return "COM" + std::to_string(portNumber);
}

std::string shownName(const std::string& path);

// "COM<n> (<device>)" for a numbered port, the device alone for one opened by its path.
std::string portName(int portNumber, const std::string& path) {
    if (portNumber < 1) return shownName(path);
    return comName(portNumber) + " (" + shownName(path) + ")";
}

std::string linkTarget(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length < 0) return {};
    return std::string(target, static_cast<size_t>(length));
}

bool isSymbolicLink(const std::string& path) {
    struct stat entry {};
    return ::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

std::string resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return {};
    std::string result(real);
    std::free(real);
    return result;
}

// The name the user knows the port by: the link's target, with the device it leads to when
// that is another name (a stable by-id name leads to /dev/ttyUSB0).
std::string shownName(const std::string& path) {
    if (!isSymbolicLink(path)) return printableName(path);
    const std::string target = linkTarget(path);
    const std::string device = resolved(path);
    if (device.empty() || device == target) return printableName(target);
    return printableName(target) + " = " + printableName(device);
}

std::string groupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid)) return entry->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid)) return entry->pw_name;
    return std::to_string(uid);
}

bool processHasGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

// Membership as the group database has it now, which a login that began earlier may not have.
bool userListedInGroup(uid_t uid, gid_t gid) {
    const passwd* user = ::getpwuid(uid);
    if (!user) return false;
    const std::string name = user->pw_name;
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (::getgrouplist(name.c_str(), user->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count));
        if (::getgrouplist(name.c_str(), user->pw_gid, groups.data(), &count) < 0) return false;
    }
    return std::find(groups.begin(), groups.begin() + count, gid) != groups.begin() + count;
}

std::string permissionAdvice(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) return "permission denied.";
    const std::string name = printableName(resolved(path).empty() ? path : resolved(path));
    const std::string group = groupName(device.st_gid);
    const std::string user = userName(::getuid());
    const bool groupMayUse = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUse && !processHasGroup(device.st_gid)) {
        if (userListedInGroup(::getuid(), device.st_gid))
            return "permission denied. Your user " + user + " is a member of the group " + group +
                   ", which may use " + name +
                   ", but this login began before it joined: log out and log in again.";
        return "permission denied. " + name + " may be used by the members of the group " + group +
               ": make your user one of them (sudo adduser " + user + " " + group +
               "), then log out and log in again.";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(device.st_mode & 07777));
    return "permission denied. " + name + " belongs to " + userName(device.st_uid) + ":" + group +
           " with mode " + mode + ", which gives your user " + user +
           " no access; ask the administrator to let a group of yours use it (a udev rule).";
}

std::string holderList(const std::vector<HoldingProcess>& holders) {
    std::string text;
    for (const HoldingProcess& holder : holders) {
        if (!text.empty()) text += ", ";
        text += printableName(holder.program) + " (process " + std::to_string(holder.pid) + ")";
    }
    return text;
}

std::string busyAdvice(const HoldingProcesses& holders) {
    if (!holders.processes.empty())
        return "the port is busy: it is held by " + holderList(holders.processes) +
               ". Close that program, or choose another port.";
    if (holders.incomplete)
        return "the port is busy: another program holds it, most likely one of another user, "
               "whose programs cannot be looked into. Close it, or choose another port.";
    return "the port is busy: another program holds it for itself. Close it, or choose another "
           "port.";
}

std::string missingAdvice(int portNumber, const std::string& path) {
    if (!isSymbolicLink(path)) return "there is no such device.";
    if (portNumber < 1)
        return "it leads to " + printableName(linkTarget(path)) +
               ", which is not there: the adapter is unplugged, or it came back under another "
               "name.";
    return comName(portNumber) + " is assigned to " + printableName(linkTarget(path)) +
           ", which is not there: the adapter is unplugged, or it came back under another "
           "name. Plug it in again, or assign another port to " +
           comName(portNumber) + ".";
}

// Empty when the path is a character device (or missing, which is told otherwise).
std::string notADeviceAdvice(int portNumber, const std::string& path) {
    struct stat entry {};
    if (::stat(path.c_str(), &entry) != 0 || S_ISCHR(entry.st_mode)) return {};
    const char* what = S_ISDIR(entry.st_mode) ? "a folder" : "a file";
    if (portNumber < 1) return std::string("this is ") + what + ", not a serial device.";
    return std::string("this is ") + what + ", not a serial device. Remove " + printableName(path) +
           ", or assign a port to " + comName(portNumber) + ".";
}

bool exists(const std::string& path) {
    struct stat entry {};
    return ::stat(path.c_str(), &entry) == 0;
}

bool accessDenied(const std::string& path) {
    return ::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool isNumber(const char* text) {
    if (!*text) return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

std::string commandName(const std::string& procFolder, int pid) {
    const std::string name = firstLine(procFolder + "/" + std::to_string(pid) + "/comm");
    return name.empty() ? "a program" : name;
}

bool hasOpen(const std::string& fdFolder, DIR* descriptors, const std::string& device) {
    while (const dirent* fd = ::readdir(descriptors)) {
        if (fd->d_name[0] == '.') continue;
        if (linkTarget(fdFolder + "/" + fd->d_name) == device) return true;
    }
    return false;
}

void addHolder(HoldingProcesses& holders, int pid, const std::string& procFolder) {
    for (const HoldingProcess& known : holders.processes)
        if (known.pid == pid) return;
    holders.processes.push_back({pid, commandName(procFolder, pid)});
}

void scanProcesses(const std::string& device, const std::string& procFolder,
                   HoldingProcesses& holders) {
    DIR* processes = ::opendir(procFolder.c_str());
    if (!processes) return;
    while (const dirent* process = ::readdir(processes)) {
        if (!isNumber(process->d_name)) continue;
        const std::string fdFolder = procFolder + "/" + process->d_name + "/fd";
        DIR* descriptors = ::opendir(fdFolder.c_str());
        if (!descriptors) {
            if (errno == EACCES) holders.incomplete = true;
            continue;
        }
        if (hasOpen(fdFolder, descriptors, device))
            addHolder(holders, std::atoi(process->d_name), procFolder);
        ::closedir(descriptors);
    }
    ::closedir(processes);
}

// The lock file name of the usual convention: the name below /dev, slashes made underscores.
std::string lockFileName(std::string name) {
    if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
    std::replace(name.begin(), name.end(), '/', '_');
    return "LCK.." + name;
}

// A lock file names its process in its first line (in decimal, possibly padded with blanks).
void scanLockFiles(const std::vector<std::string>& names, const HolderSearchPlaces& places,
                   HoldingProcesses& holders) {
    for (const std::string& folder : places.lockFolders) {
        for (const std::string& name : names) {
            const std::string line = firstLine(folder + "/" + lockFileName(name));
            const int pid = std::atoi(line.c_str());
            if (pid <= 0) continue;
            if (::kill(pid, 0) != 0 && errno != EPERM) continue; // a stale lock
            addHolder(holders, pid, places.procFolder.empty() ? "/proc" : places.procFolder);
        }
    }
}

} // namespace

std::string printableName(const std::string& name) {
    std::string text;
    for (unsigned char c : name) {
        if (c >= 0x20 && c < 0x7f) {
            text.push_back(static_cast<char>(c));
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        text += escaped;
    }
    return text;
}

HoldingProcesses findHoldingProcesses(const std::string& device,
                                      const std::vector<std::string>& openedNames,
                                      const HolderSearchPlaces& places) {
    HoldingProcesses holders;
    if (!places.procFolder.empty()) scanProcesses(device, places.procFolder, holders);
    std::vector<std::string> names = openedNames;
    names.push_back(device);
    scanLockFiles(names, places, holders);
    std::sort(holders.processes.begin(), holders.processes.end(),
              [](const HoldingProcess& a, const HoldingProcess& b) { return a.pid < b.pid; });
    return holders;
}

std::string openFailureText(int portNumber, const std::string& path, OpenFailure failure,
                            const std::string& detail, const HolderSearchPlaces& places) {
    const std::string prefix = "Cannot open " + portName(portNumber, path) + ": ";
    if (!exists(path)) return prefix + missingAdvice(portNumber, path);
    if (const std::string advice = notADeviceAdvice(portNumber, path); !advice.empty())
        return prefix + advice;
    if (failure == OpenFailure::Refused) {
        if (accessDenied(path)) return prefix + permissionAdvice(path);
        return prefix + busyAdvice(findHoldingProcesses(resolved(path), {path}, places));
    }
    if (failure == OpenFailure::NotFound) return prefix + missingAdvice(portNumber, path);
    return prefix + detail;
}

std::string openFailurePrefix(int portNumber) {
    return "Cannot open " + comName(portNumber) + " (";
}

std::string vanishedPortText(int portNumber, const std::string& path, const std::string& detail) {
    if (!path.empty() && !exists(path))
        return portName(portNumber, path) + " is gone: the adapter was unplugged or switched off.";
    return "The serial port is no longer available (" + detail + ").";
}

PortState describePortState(int portNumber, const std::string& exeFolder,
                            const HolderSearchPlaces& places) {
    PortState state;
    const std::string path = serialPortPath(portNumber, exeFolder);
    if (path.empty()) return state;
    state.shownTarget = printableName(isSymbolicLink(path) ? linkTarget(path) : path);
    const std::string device = resolved(path);
    if (!device.empty() && printableName(device) != state.shownTarget)
        state.device = printableName(device);

    if (!exists(path)) {
        state.problem = missingAdvice(portNumber, path);
    } else if (std::string advice = notADeviceAdvice(portNumber, path); !advice.empty()) {
        state.problem = advice;
    } else if (accessDenied(path)) {
        state.problem = permissionAdvice(path);
    } else {
        // Only the lock files: every process has some device open, and looking through all of
        // them on each change of the list would be slow for what it can tell before an open.
        HolderSearchPlaces locksOnly = places;
        locksOnly.procFolder.clear();
        const HoldingProcesses holders = findHoldingProcesses(device, {path}, locksOnly);
        if (!holders.processes.empty()) state.problem = busyAdvice(holders);
    }
    return state;
}

} // namespace transport
