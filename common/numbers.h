#pragma once
// Whole-number conversion of entry fields and set-up values: decimal text, optional sign,
// optional fraction, blanks around it; a half rounds to the even neighbour (2.5 -> 2, 3.5 -> 4).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// nullopt for empty text, anything that is not a decimal number, or a value outside 32 bits.
std::optional<int32_t> toWholeNumber(std::string_view text);

// The same within 16 bits (-32768 .. 32767).
std::optional<int16_t> toWholeNumber16(std::string_view text);

// Leading sign and digits as a 32-bit integer, ignoring what follows; 0 when there are none.
// Saturates instead of overflowing.
int32_t leadingInteger(std::string_view text);

// Rounds value / divisor to the nearest integer, halves to even.
int64_t roundHalfEven(int64_t value, int64_t divisor);

} // namespace common
