#pragma once
// A USB library for tests: devices with product texts, reply blocks from a queue or a
// responder, and a record of every call and every 64-byte block that was sent.

#include "link/usb_library.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class ScriptedUsbLibrary final : public transport::UsbLibrary {
public:
    using Block = std::array<uint8_t, 64>;

    // The text zero-padded to a block (cut at 64 bytes).
    static Block block(const std::string& text) {
        Block bytes{};
        std::memcpy(bytes.data(), text.data(), std::min<std::size_t>(text.size(), bytes.size()));
        return bytes;
    }
    // The text of a sent block up to its first zero.
    static std::string text(const Block& bytes) {
        const auto end = std::find(bytes.begin(), bytes.end(), 0);
        return std::string(bytes.begin(), end);
    }

    bool available() override { return loaded; }

    int32_t GetNumDevices(int32_t& count) override {
        if (!loaded) return 0;
        count = static_cast<int32_t>(products.size());
        return 1;
    }
    int32_t GetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option) override {
        productOptions.push_back(option);
        if (!loaded || deviceIndex < 0 || deviceIndex >= static_cast<int32_t>(products.size()))
            return 0;
        const std::string& product = products[deviceIndex];
        const std::size_t length = std::min<std::size_t>(product.size(), 256);
        std::memcpy(buffer, product.data(), length);
        buffer[length] = 0;
        return 1;
    }
    int32_t SetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs) override {
        timeouts.emplace_back(readTimeoutMs, writeTimeoutMs);
        return loaded ? 1 : 0;
    }
    int32_t Open(int32_t deviceIndex, int32_t& handle) override {
        openedIndexes.push_back(deviceIndex);
        if (!loaded || !openSucceeds) return 0;
        handle = nextHandle++;
        return 1;
    }
    int32_t SendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite, int32_t bytesToRead,
                     uint8_t* receive) override {
        if (!loaded) return 0;
        Block sent{};
        std::memcpy(sent.data(), send, std::min<std::size_t>(bytesToWrite, sent.size()));
        sentBlocks.push_back(sent);
        transferSizes.emplace_back(bytesToWrite, bytesToRead);
        sendHandles.push_back(handle);
        Block reply{};
        if (!replies.empty()) {
            reply = replies.front();
            replies.pop_front();
        } else if (responder) {
            reply = block(responder(text(sent)));
        }
        std::memcpy(receive, reply.data(), std::min<std::size_t>(bytesToRead, reply.size()));
        return sendRecvResult;
    }
    int32_t Flush(int32_t handle) override {
        flushedHandles.push_back(handle);
        return loaded ? 1 : 0;
    }
    int32_t Close(int32_t handle) override {
        closedHandles.push_back(handle);
        return loaded ? 1 : 0;
    }

    // Set up by the test.
    bool loaded = true;
    bool openSucceeds = true;
    int32_t nextHandle = 1;
    int32_t sendRecvResult = 1;
    std::vector<std::string> products;
    std::deque<Block> replies; // taken first, one per exchange
    std::function<std::string(const std::string&)> responder;

    // Recorded.
    std::vector<Block> sentBlocks;
    std::vector<std::pair<int32_t, int32_t>> transferSizes; // bytes to write, bytes to read
    std::vector<int32_t> sendHandles;
    std::vector<int32_t> openedIndexes;
    std::vector<int32_t> flushedHandles;
    std::vector<int32_t> closedHandles;
    std::vector<std::pair<int32_t, int32_t>> timeouts;
    std::vector<int32_t> productOptions;
};

} // namespace testing_support
