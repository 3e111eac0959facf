#pragma once
// Clean-up of program text: comments removed, upper case, one blank between tokens.

#include <string>
#include <string_view>
#include <vector>

namespace progsmith {

// Normalises the blanks of one line so that the tokeniser can cut it at every blank.
std::string CleanSpaces(std::string_view line);

// One entry per non-empty line: "<index> <source line> <statement>", index counting the
// entries from 1 and source line counting the lines of `source` from 1.
std::vector<std::string> Clean(std::string_view source);

} // namespace progsmith
