#pragma once
// The token table: one row per cleaned line, with its source line number and up to five tokens.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace progsmith {

// A token that is absent is stored as a single blank, never as an empty text.
inline constexpr std::string_view kNoToken = " ";

struct TokenRow {
    std::string index;      // the cleaned-line index, as text
    std::string lineNumber; // the source line number, as text
    std::array<std::string, 5> tokens;
    int count = 0; // 1 plus the tokens 2..5 that are present

    const std::string& t(int n) const { return tokens[static_cast<size_t>(n - 1)]; }
    int line() const; // the source line number as an integer (0 if it is not one)
};

using TokenTable = std::vector<TokenRow>;

bool isAbsent(std::string_view token);

// Cuts each entry "<index> <line> <statement>" at every blank; fields after the seventh
// (tokens after the fifth) are dropped without a message.
TokenTable Tokenise(const std::vector<std::string>& cleanList);

} // namespace progsmith
