#pragma once
// The USB library libZentorCom.so, loaded by name when first needed: from the given folders in
// order, then from the system search path. Without explicit folders these are the program's
// folder and its EXE sub-folder.

#include "link/usb_library.h"

#include <memory>
#include <string>
#include <vector>

class QLibrary;

namespace transport {

class LoadedUsbLibrary final : public UsbLibrary {
public:
    explicit LoadedUsbLibrary(std::vector<std::string> folders = {});
    ~LoadedUsbLibrary() override;

    bool available() override;

    int32_t GetNumDevices(int32_t& count) override;
    int32_t GetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option) override;
    int32_t SetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs) override;
    int32_t Open(int32_t deviceIndex, int32_t& handle) override;
    int32_t SendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite, int32_t bytesToRead,
                     uint8_t* receive) override;
    int32_t Flush(int32_t handle) override;
    int32_t Close(int32_t handle) override;

    // Where the library was loaded from, or why it could not be (after the first call).
    const std::string& loadedFrom() const { return loadedFrom_; }
    const std::string& loadError() const { return loadError_; }

private:
    struct Functions;
    bool load();
    bool tryLoad(const std::string& fileName);

    std::vector<std::string> folders_;
    std::unique_ptr<QLibrary> library_;
    std::unique_ptr<Functions> functions_;
    bool attempted_ = false;
    std::string loadedFrom_;
    std::string loadError_;
};

} // namespace transport
