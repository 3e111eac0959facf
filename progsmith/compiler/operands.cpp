#include "progsmith/compiler/operands.h"

#include <array>

namespace progsmith {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits only, at least one, within 32 bits.
std::optional<int32_t> digitsValue(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::string readLine(const ModelInfo* model, Form form, int64_t argument) {
    return instructionLine(model, form, argument);
}

// Reads whose form name is the token itself (HSPDX, PSZ, TPE, DN ...). Status words name their
// axis in the argument as well; the other quantities carry 0.
std::string namedRead(std::string_view token, const ModelInfo* model) {
    const auto form = formByName(token);
    if (!form || formInfo(*form).kind != FormKind::Read) return {};
    const bool axisArgument = formInfo(*form).packing == Packing::AxisArgument;
    return readLine(model, *form, axisArgument ? axisIndex(token.back()) : 0);
}

// DO<n>, EO<n> (bits 1 to 8), DI<n>, AI<n> (any channel).
std::string channelRead(std::string_view token, const ModelInfo* model) {
    if (token.size() < 3) return {};
    const std::string_view head = token.substr(0, 2);
    const auto channel = digitsValue(token.substr(2));
    if (!channel) return {};
    if (head == "DO" || head == "EO") {
        if (token.size() != 3 || *channel < 1 || *channel > 8) return {};
        return readLine(model, head == "DO" ? Form::DOn : Form::EOn, *channel);
    }
    if (head == "DI") return readLine(model, Form::DIn, *channel);
    if (head == "AI") return readLine(model, Form::AIn, *channel);
    return {};
}

// Status families with one code for every axis: the argument names the axis. An axis the model
// lacks has no code, so the line is caught as an unknown command.
std::string axisFamilyRead(std::string_view token, const ModelInfo* model) {
    struct Family {
        std::string_view prefix;
        Form form;
        bool bareAllowed;
    };
    static constexpr std::array<Family, 7> families{{
        {"SLS", Form::SLS, false},
        {"LTS", Form::LTS, false},
        {"LTE", Form::LTE, false},
        {"LTP", Form::LTP, false},
        {"SYNSTAT", Form::SYNSTAT, true},
        {"SYNCFG", Form::SYNCFG, true},
        {"SYNTIME", Form::SYNTIME, true},
    }};
    for (const auto& family : families) {
        if (!token.starts_with(family.prefix)) continue;
        const std::string_view rest = token.substr(family.prefix.size());
        if (rest.empty() && family.bareAllowed) return readLine(model, family.form, 0);
        if (rest.size() != 1 || axisIndex(rest[0]) < 0) return {};
        const int axis = axisIndex(rest[0]);
        const std::string code = axis < axesOf(model) ? codeText(model, family.form) : "";
        return "&" + code + "$" + std::to_string(axis);
    }
    return {};
}

} // namespace

int64_t isVar(std::string_view token) {
    if (token.empty() || token[0] != 'V') return -1;
    int64_t number = 0;
    bool anyDigit = false;
    for (const char c : token.substr(1)) {
        if (!isDigit(c)) continue;
        anyDigit = true;
        number = number * 10 + (c - '0');
        if (number > kVarTooLarge) number = kVarTooLarge;
    }
    return anyDigit ? number : -1;
}

std::optional<int32_t> numberValue(std::string_view token) {
    if (token.empty()) return std::nullopt;
    const bool negative = token[0] == '-';
    const auto magnitude = digitsValue(negative ? token.substr(1) : token);
    if (magnitude) return negative ? -*magnitude : *magnitude;
    // -2147483648 is the one value whose magnitude does not fit.
    if (token == "-2147483648") return INT32_MIN;
    return std::nullopt;
}

bool isNumber(std::string_view token) {
    return numberValue(token).has_value();
}

std::optional<Value> valueOf(std::string_view token) {
    if (const auto number = numberValue(token)) return Value{false, *number};
    const int64_t variable = isVar(token);
    if (variable >= 0 && variable <= INT32_MAX) return Value{true, static_cast<int32_t>(variable)};
    return std::nullopt;
}

int axisIndex(char letter) {
    switch (letter) {
    case 'X':
        return 0;
    case 'Y':
        return 1;
    case 'Z':
        return 2;
    case 'U':
        return 3;
    default:
        return -1;
    }
}

int axesOf(const ModelInfo* model) {
    return model != nullptr ? model->axes : 1;
}

std::string codeText(const ModelInfo* model, Form form) {
    const int code = codeOf(model, form);
    return code < 0 ? std::string() : std::to_string(code);
}

std::string instructionLine(const ModelInfo* model, Form form, int64_t operand) {
    return "&" + codeText(model, form) + "$" + std::to_string(operand);
}

std::string convertToken(std::string_view token) {
    const int64_t variable = isVar(token);
    if (variable >= 0 && variable <= INT32_MAX) return "VR" + std::to_string(variable);
    if (const auto number = numberValue(token)) return "CV" + std::to_string(*number);
    return {};
}

std::string convertOperand(std::string_view token, const ModelInfo* model) {
    if (std::string line = convertToken(token); !line.empty()) return line;
    if (std::string line = namedRead(token, model); !line.empty()) return line;
    if (std::string line = channelRead(token, model); !line.empty()) return line;
    return axisFamilyRead(token, model);
}

} // namespace progsmith
