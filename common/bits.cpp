#include "common/bits.h"

namespace common {

static constexpr int32_t kMask24 = 0xFFFFFF;

int32_t BitAnd24(int32_t a, int32_t b) { return (a & kMask24) & (b & kMask24); }

int32_t BitOr24(int32_t a, int32_t b) { return (a & kMask24) | (b & kMask24); }

std::optional<int32_t> ShiftLeft(int32_t value, int n) {
    if (n < 0 || n > 31) return std::nullopt;
    const int64_t result = static_cast<int64_t>(value) * (int64_t{1} << n);
    if (result < INT32_MIN || result > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(result);
}

int32_t ShiftRight(int32_t value, int n) {
    if (n <= 0) return value;
    if (n > 31) return value < 0 ? -1 : 0;
    return value >> n;
}

std::optional<int32_t> packSelector(int64_t value, int selector) {
    const int64_t operand = value * 256 + (selector & 255);
    if (operand < INT32_MIN || operand > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(operand);
}

} // namespace common
