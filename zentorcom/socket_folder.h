#pragma once
// The folder of the device sockets must be the user's own. Whoever made it first, or can write
// into it, could put a socket of their own there under a device's name: every command a program
// sends to that device (a whole download) would go to them, and they would answer for it. The
// library and controller-sim both refuse such a folder.

#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace zentorcom {

// Why the folder cannot be trusted, or nullopt when it is a real folder (not a symbolic link) of
// this user that no one else can write into. A folder that does not exist is nullopt as well: the
// library finds no devices in it, the simulator makes it.
inline std::optional<std::string> unsafeSocketFolder(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return std::nullopt;
    const char* reason = nullptr;
    if (S_ISLNK(info.st_mode))
        reason = "it is a symbolic link";
    else if (!S_ISDIR(info.st_mode))
        reason = "it is not a folder";
    else if (info.st_uid != ::geteuid())
        reason = "it belongs to another user";
    else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        reason = "other users can write to it";
    else
        return std::nullopt;
    return "USB socket folder " + folder + " is not safe: " + reason;
}

} // namespace zentorcom
