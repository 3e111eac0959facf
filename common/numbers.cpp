#include "common/numbers.h"

#include <cstdlib>

namespace common {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<int32_t> toWholeNumber(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t whole = 0;
    size_t i = 0;
    size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > int64_t{1} << 32) return std::nullopt;
    }
    // The fraction decides the rounding: above a half rounds up, exactly a half goes to even.
    int fractionCompare = 0; // -1 below a half, 0 none or exactly a half, 1 above
    bool hasFraction = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        const size_t fractionStart = i;
        while (i < text.size() && isDigit(text[i])) ++i;
        const std::string_view fraction = text.substr(fractionStart, i - fractionStart);
        digits += fraction.size();
        if (!fraction.empty()) {
            hasFraction = true;
            if (fraction[0] > '5') fractionCompare = 1;
            else if (fraction[0] < '5') fractionCompare = -1;
            else fractionCompare = fraction.find_first_not_of('0', 1) == std::string_view::npos ? 0 : 1;
        }
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    if (hasFraction && (fractionCompare > 0 || (fractionCompare == 0 && whole % 2 == 1))) ++whole;
    const int64_t value = negative ? -whole : whole;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<int16_t> toWholeNumber16(std::string_view text) {
    const auto value = toWholeNumber(text);
    if (!value || *value < INT16_MIN || *value > INT16_MAX) return std::nullopt;
    return static_cast<int16_t>(*value);
}

int32_t leadingInteger(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    return static_cast<int32_t>(value);
}

int64_t roundHalfEven(int64_t value, int64_t divisor) {
    if (divisor < 0) {
        value = -value;
        divisor = -divisor;
    }
    int64_t quotient = value / divisor;
    int64_t remainder = value % divisor;
    if (remainder < 0) {
        remainder += divisor;
        --quotient;
    }
    const int64_t twice = remainder * 2;
    if (twice > divisor || (twice == divisor && quotient % 2 != 0)) ++quotient;
    return quotient;
}

} // namespace common
