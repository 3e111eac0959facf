#pragma once
// How libZentorCom.so reaches the devices controller-sim publishes.
//
// Every device is a Unix stream socket "<name>.sock" in one folder: $ZENTORCOM_DIR when it is
// set, otherwise /tmp/zentorcom-<uid>. Devices enumerate in the byte order of their socket
// names; a socket nobody listens on any more (a simulator that was killed) is not a device.
//
// Each library call opens a connection to the device, sends one request and reads one response:
//
//   request  (69 bytes): operation (1 byte) | handle (int32, little endian) | block (64 bytes)
//   response (72 bytes): status (int32)     | value (int32)                 | block (64 bytes)
//
//   'P' product text  -> status 1, block = the product text, zero-terminated (at most 63 chars)
//   'O' open          -> status 1 and value = a new handle, or status 0 while a handle is out
//   'C' close handle  -> status 1 when the handle was this device's open handle
//   'F' flush handle  -> status 1 when the handle is this device's open handle
//   'S' send/receive  -> block = the command (up to the first zero byte); the response block is
//                        the reply, zero-padded. A handle the device did not issue gets status 0
//                        at once. A device that does not answer sends no response at all; the
//                        library then gives up after its read time-out.
//
// The device, not the connection, owns the handle: it stays open when the program that opened
// it goes away, until some program closes it with that handle. Handles are unique across
// devices, so a handle from an earlier run can be closed without knowing which device it was.

#include <array>
#include <cstdint>
#include <cstring>

namespace zentorcom {

constexpr size_t kBlockSize = 64;
constexpr size_t kRequestSize = 1 + 4 + kBlockSize;
constexpr size_t kResponseSize = 4 + 4 + kBlockSize;

enum Operation : char {
    ProductText = 'P',
    OpenDevice = 'O',
    CloseDevice = 'C',
    FlushDevice = 'F',
    SendReceive = 'S',
};

struct Request {
    char operation = 0;
    int32_t handle = 0;
    std::array<uint8_t, kBlockSize> block{};
};

struct Response {
    int32_t status = 0;
    int32_t value = 0;
    std::array<uint8_t, kBlockSize> block{};
};

inline void putInt(uint8_t* out, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline int32_t getInt(const uint8_t* in) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(in[i]) << (8 * i);
    return static_cast<int32_t>(v);
}

inline std::array<uint8_t, kRequestSize> encode(const Request& request) {
    std::array<uint8_t, kRequestSize> bytes{};
    bytes[0] = static_cast<uint8_t>(request.operation);
    putInt(&bytes[1], request.handle);
    std::memcpy(&bytes[5], request.block.data(), kBlockSize);
    return bytes;
}

inline Request decodeRequest(const uint8_t* bytes) {
    Request request;
    request.operation = static_cast<char>(bytes[0]);
    request.handle = getInt(&bytes[1]);
    std::memcpy(request.block.data(), &bytes[5], kBlockSize);
    return request;
}

inline std::array<uint8_t, kResponseSize> encode(const Response& response) {
    std::array<uint8_t, kResponseSize> bytes{};
    putInt(&bytes[0], response.status);
    putInt(&bytes[4], response.value);
    std::memcpy(&bytes[8], response.block.data(), kBlockSize);
    return bytes;
}

inline Response decodeResponse(const uint8_t* bytes) {
    Response response;
    response.status = getInt(&bytes[0]);
    response.value = getInt(&bytes[4]);
    std::memcpy(response.block.data(), &bytes[8], kBlockSize);
    return response;
}

} // namespace zentorcom
