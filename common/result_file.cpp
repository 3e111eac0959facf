#include "common/result_file.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

std::string crlfText(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// The errno of the step that failed, 0 when the bytes are in the file.
int writeFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            return error;
        }
        done += static_cast<size_t>(written);
    }
    return ::close(fd) == 0 ? 0 : errno;
}

std::string temporaryPathFor(const std::string& path) {
    return path + ".tmp" + std::to_string(::getpid());
}

// "<name>.tmp<digits>": what a run writes before renaming it to name.
bool isTemporaryOf(const std::string& entry, const std::string& name) {
    const std::string prefix = name + ".tmp";
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return false;
    return entry.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

void removeLeftoverTemporaries(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, name)) continue;
        const std::string leftover = folder + entry->d_name;
        struct stat info {};
        // Only files: a folder of that name is not something a run left.
        if (::lstat(leftover.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}

} // namespace

std::optional<std::string> removePreviousResult(const std::string& path) {
    removeLeftoverTemporaries(path);
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return std::nullopt;
    return "Could not remove the previous result " + path + ": " + std::strerror(errno);
}

bool writeResult(const std::string& path, const std::vector<std::string>& lines,
                 const std::string& failedText) {
    const std::string temporary = temporaryPathFor(path);
    int error = writeFile(temporary, crlfText(lines));
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return true;
    ::unlink(temporary.c_str());

    const bool isFailure = !lines.empty() && lines.front() == failedText;
    const std::vector<std::string> failure =
        isFailure ? lines
                  : std::vector<std::string>{failedText, "Could not write the result " + path +
                                                             ": " + std::strerror(error)};
    // Half a failure report could read as anything; no file at all cannot pass for a result.
    if (writeFile(path, crlfText(failure)) != 0) ::unlink(path.c_str());
    return false;
}

} // namespace common
