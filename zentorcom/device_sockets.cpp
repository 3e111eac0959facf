#include "zentorcom/device_sockets.h"

#include "zentorcom/socket_folder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zentorcom {
namespace {

using Clock = std::chrono::steady_clock;

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

int connectTo(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return -1;
    address.sun_family = AF_UNIX;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return int(std::max<int64_t>(0, left.count()));
}

// Moves all n bytes in the direction of events (POLLOUT: send, POLLIN: receive) before the
// deadline.
bool transfer(int fd, uint8_t* data, size_t n, short events, Clock::time_point deadline) {
    size_t done = 0;
    while (done < n) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t moved = events == POLLOUT ? ::send(fd, data + done, n - done, MSG_NOSIGNAL)
                                                : ::recv(fd, data + done, n - done, 0);
        if (moved < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (moved <= 0) return false;
        done += size_t(moved);
    }
    return true;
}

struct Refusals {
    std::mutex mutex;
    std::string last;
    std::string reported; // the last refusal written to stderr
};

// Never destroyed: the library's exit-time release may still check a folder.
Refusals& refusals() {
    static Refusals* instance = new Refusals;
    return *instance;
}

} // namespace

std::string socketFolder() {
    if (const char* folder = std::getenv("ZENTORCOM_DIR"); folder && *folder) return folder;
    return "/tmp/zentorcom-" + std::to_string(::getuid());
}

std::optional<std::string> refusedFolder(const std::string& folder) {
    auto problem = unsafeSocketFolder(folder);
    std::lock_guard lock(refusals().mutex);
    refusals().last = problem.value_or("");
    if (!problem) refusals().reported.clear();
    // The program using the library may show nothing of it; a person at a terminal sees this.
    if (problem && *problem != refusals().reported) {
        refusals().reported = *problem;
        std::fprintf(stderr, "libZentorCom: %s\n", problem->c_str());
    }
    return problem;
}

std::string lastError() {
    std::lock_guard lock(refusals().mutex);
    return refusals().last;
}

std::vector<std::string> liveDevices() {
    std::vector<std::string> names;
    const std::string folder = socketFolder();
    if (refusedFolder(folder)) return {};
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 5 && name.ends_with(".sock")) names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> live;
    for (const auto& name : names) {
        const std::string path = folder + "/" + name;
        Socket probe(connectTo(path));
        if (probe.fd() >= 0) live.push_back(path);
    }
    return live;
}

std::optional<Response> call(const std::string& socketPath, const Request& request,
                             int writeTimeoutMs, int readTimeoutMs) {
    auto after = [](int ms) { return Clock::now() + std::chrono::milliseconds(std::max(ms, 0)); };
    const size_t slash = socketPath.rfind('/');
    if (slash != std::string::npos && refusedFolder(socketPath.substr(0, slash)))
        return std::nullopt;
    Socket socket(connectTo(socketPath));
    if (socket.fd() < 0) return std::nullopt;
    auto out = encode(request);
    if (!transfer(socket.fd(), out.data(), out.size(), POLLOUT, after(writeTimeoutMs)))
        return std::nullopt;
    std::array<uint8_t, kResponseSize> in{};
    if (!transfer(socket.fd(), in.data(), in.size(), POLLIN, after(readTimeoutMs)))
        return std::nullopt;
    return decodeResponse(in.data());
}

} // namespace zentorcom
