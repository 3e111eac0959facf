// A stand-in USB library for the loader tests: two devices; a send/receive echoes the block.

#include "zentorcom/zentorcom.h"

#include <cstring>

extern "C" {

int32_t fnZentorComGetNumDevices(int32_t* count) {
    *count = 2;
    return 1;
}

int32_t fnZentorComGetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t) {
    const char* product = deviceIndex == 0 ? "FAKE01" : "FAKE02";
    std::strcpy(reinterpret_cast<char*>(buffer), product);
    return 1;
}

int32_t fnZentorComSetTimeouts(int32_t, int32_t) {
    return 1;
}

int32_t fnZentorComOpen(int32_t deviceIndex, int32_t* handle) {
    *handle = 100 + deviceIndex;
    return 1;
}

int32_t fnZentorComSendRecv(int32_t, const uint8_t* send, int32_t bytesToWrite, int32_t bytesToRead,
                            uint8_t* receive) {
    std::memset(receive, 0, bytesToRead);
    std::memcpy(receive, send, bytesToWrite < bytesToRead ? bytesToWrite : bytesToRead);
    return 1;
}

int32_t fnZentorComFlush(int32_t) {
    return 1;
}

int32_t fnZentorComClose(int32_t handle) {
    return handle >= 100 ? 1 : 0;
}
}
