#include "progsmith/compiler/indent.h"

#include <array>

namespace progsmith {

namespace {

// Keywords are compared as prefixes of their exact length, case-sensitive; "ELSE" therefore
// also stands for "ELSEIF".
constexpr std::array<std::string_view, 5> kClosers = {"ENDWHILE", "LOOPWHILE", "ENDIF", "ELSE",
                                                      "ENDSUB"};
constexpr std::array<std::string_view, 5> kOpeners = {"WHILE", "IF", "ELSE", "REPEAT", "SUB"};

template <size_t N>
bool startsWithAny(std::string_view text, const std::array<std::string_view, N>& words) {
    for (std::string_view word : words) {
        if (text.substr(0, word.size()) == word) return true;
    }
    return false;
}

} // namespace

std::string AddSpacesToProg(std::string_view prog) {
    std::string result;
    result.reserve(prog.size() + prog.size() / 4);
    long level = 0;
    std::string line;
    for (char c : prog) {
        if (c == '\n') continue;
        if (c != '\r') {
            line.push_back(c);
            continue;
        }
        const size_t firstWord = line.find_first_not_of(' ');
        const std::string_view words = firstWord == std::string::npos
                                           ? std::string_view{}
                                           : std::string_view(line).substr(firstWord);
        if (startsWithAny(words, kClosers)) --level;
        if (level > 0) result.append(static_cast<size_t>(level), ' ');
        result += line;
        result += "\r\n";
        if (startsWithAny(words, kOpeners)) ++level;
        line.clear();
    }
    return result;
}

} // namespace progsmith
