#include "progsmith/compiler/clean.h"

namespace progsmith {

namespace {

bool isAxisLetter(char c) {
    return c == 'X' || c == 'Y' || c == 'Z' || c == 'U';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isOneOf(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}

// Character at 0-based position `i`, or 0 beyond either end. 0 is never a blank.
char at(std::string_view text, size_t i) {
    return i < text.size() ? text[i] : '\0';
}

std::string dropLeadingBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string squeezeBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != ' ' || out.empty() || out.back() != ' ') out.push_back(c);
    return out;
}

std::string dropComment(std::string text) {
    const size_t comment = text.find_first_of("';");
    if (comment != std::string::npos) text.erase(comment);
    return text;
}

// Blanks are single here, so a blank's neighbours are never blanks and one pass suffices.
std::string joinMinusSigns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const bool besideMinus = (i > 0 && text[i - 1] == '-') || at(text, i + 1) == '-';
        if (text[i] == ' ' && besideMinus) continue;
        out.push_back(text[i]);
    }
    return out;
}

bool needsBlankAfter(const std::string& out, char c, char next) {
    if (next == ' ') return false;
    switch (c) {
    case '>':
        return next != '=' && next != '>';
    case '<':
        return next != '<' && next != '=';
    case '=':
    case 'F':
        return !out.empty() && !isOneOf(out.back(), "NTCOF");
    case 'E':
        return out.size() >= 2 && out[out.size() - 2] == 'I' && out.back() == 'L';
    case '*':
    case '+':
    case '/':
    case '&':
    case '|':
    case '%':
        return next != '=';
    default:
        return false;
    }
}

std::string spaceAfterOperators(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool blank = needsBlankAfter(out, c, at(text, i + 1));
        out.push_back(c);
        if (blank) out.push_back(' ');
    }
    return out;
}

bool needsBlankBefore(char previous, char c) {
    switch (c) {
    case '>':
        return previous != '>';
    case '<':
        return previous != '<';
    case '!':
        return true;
    case '=':
        return !isOneOf(previous, "!><");
    default:
        return isOneOf(c, "*+/%&|~");
    }
}

std::string spaceBeforeOperators(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        const char previous = out.empty() ? '\0' : out.back();
        if (previous != '\0' && previous != ' ') {
            if (c == '-' && isDigit(previous)) {
                out += " - ";
                continue;
            }
            if (needsBlankBefore(previous, c)) out.push_back(' ');
        }
        out.push_back(c);
    }
    return out;
}

std::string withoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != ' ') out.push_back(c);
    return out;
}

// "HOMEX+" -> "HOMEX +": the direction becomes a token of its own.
std::string splitAfterAxis(std::string_view text, size_t axisPosition) {
    std::string out(text);
    if (isAxisLetter(at(text, axisPosition)) && at(text, axisPosition + 1) != ' ')
        out.insert(axisPosition + 1, 1, ' ');
    return out;
}

std::string spaceKeywords(std::string_view text) {
    if (at(text, 0) == 'I' && at(text, 1) != 'F') return withoutBlanks(text);
    if (isAxisLetter(at(text, 0))) {
        const std::string packed = withoutBlanks(text);
        std::string out;
        out.reserve(packed.size() + 4);
        for (size_t i = 0; i < packed.size(); ++i) {
            if (i > 0 && isAxisLetter(packed[i])) out.push_back(' ');
            out.push_back(packed[i]);
        }
        return out;
    }
    if (text.starts_with("ARC") || text.starts_with("CIR")) return withoutBlanks(text);
    if (text.starts_with("HOME")) return splitAfterAxis(text, 4);
    if (text.starts_with("LHOME")) return splitAfterAxis(text, 5);
    if (text.starts_with("HLHOME")) return splitAfterAxis(text, 6);
    if (text.starts_with("JOG")) return splitAfterAxis(text, 3);
    return std::string(text);
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace

std::string CleanSpaces(std::string_view line) {
    std::string text = dropComment(squeezeBlanks(dropLeadingBlanks(line)));
    text = joinMinusSigns(text);
    text = spaceAfterOperators(text);
    text = spaceBeforeOperators(text);
    return spaceKeywords(text);
}

std::vector<std::string> Clean(std::string_view source) {
    std::vector<std::string> cleanList;
    int index = 1;
    int sourceLine = 1;
    std::string current;
    const auto endOfLine = [&](char c) {
        current = CleanSpaces(current);
        if (!current.empty()) {
            cleanList.push_back(std::to_string(index) + ' ' + std::to_string(sourceLine) + ' ' +
                                CleanSpaces(upperCase(current)));
            ++index;
        }
        if (c == '\r') {
            current.clear();
            ++sourceLine;
        }
    };
    for (const char c : source) {
        if (c == '\r' || c == '\n')
            endOfLine(c);
        else
            current.push_back(c);
    }
    endOfLine('\r');
    return cleanList;
}

} // namespace progsmith
