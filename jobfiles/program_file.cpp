#include "jobfiles/program_file.h"

#include "common/textfile.h"

namespace jobfiles {

std::vector<std::string> programFileLines(const std::string& text) {
    const std::string whole = !text.empty() && text.back() == '\n' ? text : text + "\r\n";
    std::vector<std::string> lines;
    std::string current;
    for (const char c : whole) {
        if (c == '\r') {
            lines.push_back(std::move(current));
            current.clear();
        } else if (c != '\n') {
            current.push_back(c);
        }
    }
    // Text after the last carriage return (a final bare line feed ended it) is still a line.
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

std::optional<std::string> readProgramFile(const std::string& path) {
    const auto file = common::readTextFile(path);
    if (!file.ok()) return std::nullopt;
    return programText(file.lines);
}

std::string programText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace jobfiles
