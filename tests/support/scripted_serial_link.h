#pragma once
// A serial-port control for tests. What the controller sends is a script of bytes, pauses and
// port failures; time is virtual, so a pause shorter than the reader's silence passes unnoticed
// and a longer one is a time-out at once. What is queued before a write is the answer to it;
// what an earlier write's answer left unread is stale by the next write and is what
// discardInput() takes. Everything written is recorded. A responder can answer each write,
// which suits window tests that run many exchanges.

#include "link/serial_link.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class ScriptedSerialLink final : public transport::SerialLink {
public:
    // Bytes the controller sends, available at once.
    void queueInput(const std::string& bytes) {
        for (char c : bytes)
            script_.push_back({Step::Byte, c, 0, {}, writes.size()});
    }
    // Silence on the line before the next queued bytes arrive.
    void queuePause(int milliseconds) {
        script_.push_back({Step::Pause, 0, milliseconds, {}, writes.size()});
    }
    // The port fails when the reader reaches this point.
    void queueFailure(const std::string& description) {
        script_.push_back({Step::Failure, 0, 0, description, writes.size()});
    }
    // Bytes still waiting in the port, pauses left out.
    std::string unread() const {
        std::string bytes;
        for (const auto& step : script_)
            if (step.kind == Step::Byte) bytes.push_back(step.byte);
        return bytes;
    }

    bool open(const transport::SerialSettings& settings) override {
        opens.emplace_back(settings.portNumber, settings.text());
        if (!openSucceeds) {
            error = openFailure;
            return false;
        }
        open_ = true;
        return true;
    }
    void close() override {
        ++closes;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    bool reopen() override {
        ++reopens;
        if (!openSucceeds) {
            error = openFailure;
            return false;
        }
        open_ = true;
        return true;
    }

    bool write(const std::string& bytes) override {
        if (!open_) {
            error = "The serial port is not open.";
            return false;
        }
        if (!writeFailure.empty()) {
            error = writeFailure;
            return false;
        }
        writes.push_back(bytes);
        if (responder) queueInput(responder(bytes));
        return true;
    }

    transport::ReadResult readChar(int silenceMs) override {
        readWaits.push_back(silenceMs);
        while (!script_.empty()) {
            Step& step = script_.front();
            if (step.kind == Step::Failure) {
                error = step.failure;
                script_.pop_front();
                return {transport::ReadResult::Error, 0};
            }
            if (step.kind == Step::Byte) {
                const char byte = step.byte;
                script_.pop_front();
                return {transport::ReadResult::Char, byte};
            }
            if (step.pauseMs >= silenceMs) {
                step.pauseMs -= silenceMs;
                return {transport::ReadResult::Silence, 0};
            }
            script_.pop_front();
        }
        return {transport::ReadResult::Silence, 0};
    }

    // Takes what was queued before the last write and is still unread: late characters of an
    // earlier exchange, which have all arrived by the time the next one begins.
    std::size_t discardInput() override {
        std::size_t discarded = 0;
        while (!script_.empty() && script_.front().queuedAfterWrites < writes.size() &&
               script_.front().kind != Step::Failure) {
            if (script_.front().kind == Step::Byte) ++discarded;
            script_.pop_front();
        }
        return discarded;
    }

    std::string errorText() const override { return error; }

    std::vector<std::pair<int, std::string>> opens; // port number and settings text
    std::vector<std::string> writes;
    std::vector<int> readWaits; // the silence each read was allowed
    int closes = 0;
    int reopens = 0;
    bool openSucceeds = true;
    std::string openFailure = "Cannot open the port.";
    std::string writeFailure; // non-empty: every write fails with this description
    std::string error;
    // Called with every write; what it returns arrives on the line at once.
    std::function<std::string(const std::string&)> responder;

private:
    struct Step {
        enum Kind { Byte, Pause, Failure } kind;
        char byte;
        int pauseMs;
        std::string failure;
        std::size_t queuedAfterWrites; // how many writes had been made when it was queued
    };
    std::deque<Step> script_;
    bool open_ = false;
};

} // namespace testing_support
