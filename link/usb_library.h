#pragma once
// The USB library as the transport and the connection window see it: the seven functions of
// zentorcom/zentorcom.h behind an interface. The real implementation loads libZentorCom.so by
// name at first use (the only file that knows about QLibrary); tests can script it.

#include <cstdint>

namespace transport {

// The option of GetProductString that asks the library why it failed (its text then fills the
// buffer), as libZentorCom.so defines it; option 0 asks for a device's product text.
inline constexpr int32_t UsbOptionLastError = 1;

class UsbLibrary {
public:
    virtual ~UsbLibrary() = default;

    // False when the library could not be loaded; every call below then returns 0.
    virtual bool available() = 0;

    virtual int32_t GetNumDevices(int32_t& count) = 0;
    // buffer holds 257 bytes.
    virtual int32_t GetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option) = 0;
    virtual int32_t SetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs) = 0;
    virtual int32_t Open(int32_t deviceIndex, int32_t& handle) = 0;
    virtual int32_t SendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite,
                             int32_t bytesToRead, uint8_t* receive) = 0;
    virtual int32_t Flush(int32_t handle) = 0;
    virtual int32_t Close(int32_t handle) = 0;
};

} // namespace transport
