#include "common/atomic_file.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

// "<name>.tmp<digits>": what a writer makes before renaming it to name.
bool isTemporaryOf(const std::string& entry, const std::string& name) {
    const std::string prefix = name + ".tmp";
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return false;
    return entry.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

// The errno of the step that failed, 0 when the bytes are in the file; the descriptor is closed.
int writeAll(int fd, const std::string& bytes) {
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

// A temporary of its own beside path: a name nobody holds, made by this call alone.
int createTemporary(const std::string& path, std::string& temporary) {
    const std::string base = path + ".tmp" + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = attempt == 0 ? base : base + std::to_string(attempt);
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

void removeLeftoverTemporaries(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, name)) continue;
        const std::string leftover = folder + entry->d_name;
        struct stat info {};
        // Only files and links: a folder of that name is not something a writer left.
        if (::lstat(leftover.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            ::unlink(leftover.c_str());
    }
    ::closedir(dir);
}

int replaceFile(const std::string& path, const std::string& bytes) {
    removeLeftoverTemporaries(path);
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) return errno;
    int error = writeAll(fd, bytes);
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

int overwriteFile(const std::string& path, const std::string& bytes) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    return writeAll(fd, bytes);
}

} // namespace common
