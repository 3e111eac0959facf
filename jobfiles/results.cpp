#include "jobfiles/results.h"

#include "common/numbers.h"
#include "common/result_file.h"
#include "common/textfile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace jobfiles {

namespace {

// A failure report is shown in a message box: it stays readable whatever the file holds.
constexpr size_t kShownLines = 40;
constexpr size_t kShownLineLength = 200;

std::string printable(const std::string& line) {
    std::string shown;
    for (const char c : line.substr(0, kShownLineLength)) {
        const auto byte = static_cast<unsigned char>(c);
        shown.push_back(byte < 32 && c != '\t' ? '?' : c);
    }
    if (line.size() > kShownLineLength) shown += "...";
    return shown;
}

// A line end inside an uploaded slot would add a line to the file and shift every later slot.
std::string withoutLineEnds(std::string line) {
    line.erase(
        std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
        line.end());
    return line;
}

bool isFailureLine(const std::string& line) {
    return line.find("FAILED") != std::string::npos || line.find("Failed") != std::string::npos;
}

} // namespace

std::optional<std::string> removePreviousResult(const std::string& path) {
    return common::removePreviousResult(path);
}

bool writeCompiledLines(const std::string& path, const std::vector<std::string>& lines) {
    std::vector<std::string> withEnd = lines;
    withEnd.emplace_back();
    return common::writeResult(path, withEnd, kCompileFailedText);
}

std::vector<std::string> compileErrorLines(const std::string& message, int lineNumber) {
    return {kCompileFailedText, message, "Line: " + std::to_string(lineNumber)};
}

bool writeCompileError(const std::string& path, const std::string& message, int lineNumber) {
    return common::writeResult(path, compileErrorLines(message, lineNumber), kCompileFailedText);
}

bool writeDecompiledLines(const std::string& path, const std::vector<std::string>& lines) {
    return common::writeResult(path, lines, kDecompileFailedText);
}

bool writeDecompileFailure(const std::string& path) {
    return common::writeResult(path, {kDecompileFailedText}, kDecompileFailedText);
}

bool writeRunFailure(const std::string& path, const char* failedText, const std::string& reason) {
    return common::writeResult(path, {failedText, reason}, failedText);
}

bool writeDownloadResult(const std::string& path, const LoaderOutcome& outcome) {
    if (outcome.success)
        return common::writeResult(path, {kDownloadSuccessText}, kDownloadFailedText);
    return writeRunFailure(path, kDownloadFailedText, outcome.LastErrorText);
}

bool writeUploadResult(const std::string& path, const LoaderOutcome& outcome) {
    if (!outcome.success) return writeRunFailure(path, kUploadFailedText, outcome.LastErrorText);
    std::vector<std::string> lines;
    lines.reserve(outcome.uploadedLines.size());
    for (const auto& line : outcome.uploadedLines)
        lines.push_back(withoutLineEnds(line));
    return common::writeResult(path, lines, kUploadFailedText);
}

ResultFile readResultFile(const std::string& path, std::size_t maxBytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {{}, "File " + path + " does not exist!"};
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return {{},
                "File " + path + " is " + std::to_string(info.st_size) +
                    " bytes long, more than a result can be: it was not read."};
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in && !in.eof()) return {{}, "File " + path + " cannot be read."};
    return {common::splitLines(bytes), std::nullopt};
}

ResultVerdict judgeResult(const std::vector<std::string>& lines, const std::string& fileName,
                          EmptyResult empty) {
    if (lines.empty()) {
        if (empty == EmptyResult::Success) return {true, "Done!"};
        return {false, fileName + " is empty: the job left no result."};
    }
    if (!isFailureLine(lines.front())) return {true, "Done!"};
    std::string message;
    for (size_t i = 0; i < lines.size() && i < kShownLines; ++i)
        message += printable(lines[i]) + "\r\n";
    if (lines.size() > kShownLines)
        message += "(" + std::to_string(lines.size() - kShownLines) + " more lines)\r\n";
    return {false, message};
}

int CountCompiledLines(const std::vector<std::string>& lines) {
    return lines.empty() ? 0 : static_cast<int>(lines.size()) - 1;
}

std::optional<int> ReadFailedLine(const std::vector<std::string>& lines) {
    std::optional<int> line;
    for (const std::string& text : lines) {
        if (text.find("Line") == std::string::npos) continue;
        const auto number = text.size() > 6 ? common::toWholeNumber(text.substr(6)) : std::nullopt;
        line = number ? std::optional<int>(*number) : std::nullopt;
    }
    return line;
}

} // namespace jobfiles
