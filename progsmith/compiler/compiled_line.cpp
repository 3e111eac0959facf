#include "progsmith/compiler/compiled_line.h"

#include <charconv>

namespace progsmith {

int codeNumber(std::string_view code) {
    if (code.empty() || code.size() > 3 || (code.size() > 1 && code[0] == '0')) return -1;
    int value = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
    if (error != std::errc{} || end != code.data() + code.size() || value > 255) return -1;
    return value;
}

CompiledLine readCompiledLine(std::string_view line) {
    if (line.starts_with("VR")) return {CompiledLine::Kind::Variable, -1, {}, line.substr(2)};
    if (line.starts_with("CV")) return {CompiledLine::Kind::Constant, -1, {}, line.substr(2)};
    if (!line.starts_with("&")) return {};
    line.remove_prefix(1);
    const size_t dollar = line.find('$');
    const std::string_view code = line.substr(0, dollar);
    const std::string_view operand =
        dollar == std::string_view::npos ? std::string_view() : line.substr(dollar + 1);
    return {CompiledLine::Kind::Device, codeNumber(code), code, operand};
}

} // namespace progsmith
