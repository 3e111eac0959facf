#pragma once
// Bit helpers over the 24 low bits that the controllers' status words use, and the
// exact 32-bit packing of a value with a one-byte selector.

#include <cstdint>
#include <optional>

namespace common {

// Bitwise AND / OR over bits 23..0. Defined for 0 .. 2^24 - 1; higher bits are dropped.
int32_t BitAnd24(int32_t a, int32_t b);
int32_t BitOr24(int32_t a, int32_t b);

// value * 2^n as a 32-bit integer; nullopt when the result does not fit.
std::optional<int32_t> ShiftLeft(int32_t value, int n);
// value / 2^n, rounding toward minus infinity (arithmetic shift).
int32_t ShiftRight(int32_t value, int n);

// operand = value * 256 + selector, exact in 32 bits; nullopt when it does not fit.
std::optional<int32_t> packSelector(int64_t value, int selector);
inline int32_t selectorOf(int32_t operand) { return operand & 255; }
inline int32_t byteValueOf(int32_t operand) { return (operand >> 8) & 255; }
inline int32_t shiftedValueOf(int32_t operand) { return operand >> 8; }

} // namespace common
