#pragma once
// Small text helpers shared by every program.

#include <string>
#include <string_view>

namespace common {

// The text without the given blank characters at either end.
inline std::string trimmed(std::string_view text, std::string_view blanks = " ") {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

} // namespace common
