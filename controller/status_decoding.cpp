#include "controller/status_decoding.h"

#include "common/bits.h"
#include "common/numbers.h"

#include <array>

namespace controller {

namespace {

bool bitSet(int32_t value, int32_t bit) {
    return common::BitAnd24(value, bit) != 0;
}

template <size_t N>
std::optional<std::string> textFromTable(const std::array<const char*, N>& table, int32_t value) {
    if (value < 0 || static_cast<size_t>(value) >= N || table[value] == nullptr)
        return std::nullopt;
    return std::string(table[value]);
}

} // namespace

std::optional<int32_t> replyNumber(const std::string& reply) {
    return common::toWholeNumber(reply);
}

std::optional<std::string> replyDecimalText(const std::string& reply) {
    const auto value = replyNumber(reply);
    if (!value) return std::nullopt;
    return std::to_string(*value);
}

std::string motionModeText(int32_t value) {
    return value != 0 ? "INC" : "ABS";
}

std::optional<std::string> programStatusText(int32_t value) {
    static constexpr std::array<const char*, 5> texts = {"Idle", "Running", "Paused", nullptr,
                                                         "Errored"};
    return textFromTable(texts, value);
}

std::optional<std::string> stepLoopStatusText(int32_t value) {
    static constexpr std::array<const char*, 14> texts = {
        "IDLE",     "MOVING",    "CORRECTING", "STOPPING",  "ABORTING", "JOGGING", "HOMING",
        "Z-HOMING", "ERR-RANGE", "ERR-ATMPT",  "ERR-STALL", "ERR-LIM",  "NA",      "LHOMING"};
    return textFromTable(texts, value);
}

std::optional<std::string> syncStatusText(int32_t value) {
    static constexpr std::array<const char*, 3> texts = {"OFF", "WAITING", "ON"};
    return textFromTable(texts, value);
}

std::string latchStatusText(int32_t value) {
    static constexpr std::array<const char*, 3> texts = {"OFF", "WAITING", "ON"};
    return textFromTable(texts, value).value_or(std::to_string(value));
}

MotionStatus decodeMotionStatus(int32_t value) {
    MotionStatus status;
    status.Stat = "IDLE";
    if (bitSet(value, 1)) status.Stat = "CONST";
    if (bitSet(value, 2)) status.Stat = "ACCEL";
    if (bitSet(value, 4)) status.Stat = "DECEL";
    status.PosLim = bitSet(value, 32);
    status.Home = bitSet(value, 8);
    status.NegLim = bitSet(value, 16);
    if (bitSet(value, 64)) status.Stat = "-LIM ERR";
    if (bitSet(value, 128)) status.Stat = "+LIM ERR";
    status.LatchIn = bitSet(value, 256);
    status.ZIndex = bitSet(value, 512);
    return status;
}

InputLamps decodeDigitalInputs(int32_t value) {
    return {!bitSet(value, 1), !bitSet(value, 2),  !bitSet(value, 4),
            !bitSet(value, 8), !bitSet(value, 16), !bitSet(value, 32)};
}

OutputLamps decodeDigitalOutputs(int32_t value) {
    return {bitSet(value, 1), bitSet(value, 2)};
}

int16_t firmwareVersionFromReply(const std::string& reply) {
    if (reply.size() < 2) return 0;
    return static_cast<int16_t>(common::leadingInteger(reply.substr(1, 3)));
}

} // namespace controller
