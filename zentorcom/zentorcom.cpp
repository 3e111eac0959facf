// libZentorCom.so: the USB library's seven functions over the device sockets of controller-sim.

// The seven functions are the library's only visible symbols; everything else stays hidden.
#pragma GCC visibility push(default)
#include "zentorcom/zentorcom.h"
#pragma GCC visibility pop

#include "zentorcom/device_sockets.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {

// Product text, open, close and flush are answered at once by a live device.
constexpr int kControlTimeoutMs = 2000;

struct State {
    std::mutex mutex;
    int32_t readTimeoutMs = 5000;
    int32_t writeTimeoutMs = 5000;
    // Handles this process opened and has not closed, with the device each belongs to.
    std::map<int32_t, std::string> openedHere;
};

// Never destroyed: the exit-time release below runs after the library's static destructors.
State& state() {
    static State* instance = new State;
    return *instance;
}

std::optional<std::string> deviceAt(int32_t index) {
    const auto devices = zentorcom::liveDevices();
    if (index < 0 || size_t(index) >= devices.size()) return std::nullopt;
    return devices[size_t(index)];
}

std::optional<std::string> knownDevice(int32_t handle) {
    std::lock_guard lock(state().mutex);
    auto it = state().openedHere.find(handle);
    if (it == state().openedHere.end()) return std::nullopt;
    return it->second;
}

// Asks the device that issued the handle; a handle from another process (one left over from
// an earlier run) is offered to every device in turn, and only its owner accepts it.
std::optional<zentorcom::Response> callOwner(const zentorcom::Request& request, int writeMs,
                                             int readMs) {
    if (auto path = knownDevice(request.handle))
        return zentorcom::call(*path, request, writeMs, readMs);
    for (const auto& path : zentorcom::liveDevices()) {
        auto response = zentorcom::call(path, request, writeMs, readMs);
        if (response && response->status != 0) return response;
    }
    return std::nullopt;
}

int32_t handleRequest(char operation, int32_t handle) {
    zentorcom::Request request;
    request.operation = operation;
    request.handle = handle;
    auto response = callOwner(request, kControlTimeoutMs, kControlTimeoutMs);
    return response && response->status != 0 ? 1 : 0;
}

// A program that ends normally gives back what it left open. One that is killed cannot, and
// its device then refuses new opens until the old handle is closed.
__attribute__((destructor)) void releaseHandlesAtExit() {
    std::map<int32_t, std::string> left;
    {
        std::lock_guard lock(state().mutex);
        left.swap(state().openedHere);
    }
    for (const auto& [handle, path] : left) {
        zentorcom::Request request;
        request.operation = zentorcom::CloseDevice;
        request.handle = handle;
        zentorcom::call(path, request, 500, 500);
    }
}

} // namespace

extern "C" {

int32_t fnZentorComGetNumDevices(int32_t* count) {
    if (!count) return 0;
    if (zentorcom::refusedFolder(zentorcom::socketFolder())) return 0;
    *count = int32_t(zentorcom::liveDevices().size());
    return 1;
}

int32_t fnZentorComGetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option) {
    if (!buffer) return 0;
    std::memset(buffer, 0, ZENTORCOM_PRODUCT_BUFFER_SIZE);
    if (option == ZENTORCOM_OPTION_LAST_ERROR) {
        const std::string error = zentorcom::lastError();
        std::memcpy(buffer, error.data(),
                    std::min<size_t>(error.size(), ZENTORCOM_PRODUCT_BUFFER_SIZE - 1));
        return error.empty() ? 0 : 1;
    }
    auto path = deviceAt(deviceIndex);
    if (!path) return 0;
    zentorcom::Request request;
    request.operation = zentorcom::ProductText;
    auto response = zentorcom::call(*path, request, kControlTimeoutMs, kControlTimeoutMs);
    if (!response || response->status == 0) return 0;
    // The block is zero-terminated by the device; its last byte is forced to 0 all the same.
    std::memcpy(buffer, response->block.data(), zentorcom::kBlockSize - 1);
    return 1;
}

int32_t fnZentorComSetTimeouts(int32_t readTimeout, int32_t writeTimeout) {
    std::lock_guard lock(state().mutex);
    state().readTimeoutMs = std::max(readTimeout, 0);
    state().writeTimeoutMs = std::max(writeTimeout, 0);
    return 1;
}

int32_t fnZentorComOpen(int32_t deviceIndex, int32_t* handle) {
    if (!handle) return 0;
    auto path = deviceAt(deviceIndex);
    if (!path) return 0;
    zentorcom::Request request;
    request.operation = zentorcom::OpenDevice;
    auto response = zentorcom::call(*path, request, kControlTimeoutMs, kControlTimeoutMs);
    if (!response || response->status == 0) return 0;
    *handle = response->value;
    std::lock_guard lock(state().mutex);
    state().openedHere[response->value] = *path;
    return 1;
}

int32_t fnZentorComSendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite,
                            int32_t bytesToRead, uint8_t* receive) {
    const size_t toRead = size_t(std::clamp<int32_t>(bytesToRead, 0, ZENTORCOM_BLOCK_SIZE));
    if (receive) std::memset(receive, 0, toRead);
    if (!send || !receive) return 0;
    zentorcom::Request request;
    request.operation = zentorcom::SendReceive;
    request.handle = handle;
    const size_t toWrite = size_t(std::clamp<int32_t>(bytesToWrite, 0, ZENTORCOM_BLOCK_SIZE));
    std::memcpy(request.block.data(), send, toWrite);
    int writeMs, readMs;
    {
        std::lock_guard lock(state().mutex);
        writeMs = state().writeTimeoutMs;
        readMs = state().readTimeoutMs;
    }
    auto response = callOwner(request, writeMs, readMs);
    // No answer in time: the receive block stays all zero.
    if (!response || response->status == 0) return 0;
    std::memcpy(receive, response->block.data(), toRead);
    return 1;
}

int32_t fnZentorComFlush(int32_t handle) {
    return handleRequest(zentorcom::FlushDevice, handle);
}

int32_t fnZentorComClose(int32_t handle) {
    const int32_t result = handleRequest(zentorcom::CloseDevice, handle);
    std::lock_guard lock(state().mutex);
    state().openedHere.erase(handle);
    return result;
}

} // extern "C"
