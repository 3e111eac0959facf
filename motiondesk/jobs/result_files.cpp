#include "motiondesk/jobs/result_files.h"

#include "common/numbers.h"
#include "common/textfile.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace jobs {

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

} // namespace

std::vector<std::string> readResultLines(const std::string& path, size_t maxBytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        throw JobError("File " + path + " does not exist!");
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        throw JobError("File " + path + " is " + std::to_string(info.st_size) +
                       " bytes long, more than a result can be: it was not read.");
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in && !in.eof()) throw JobError("File " + path + " cannot be read.");
    return common::splitLines(bytes);
}

JobOutcome judgeResult(const std::vector<std::string>& lines, const std::string& fileName,
                       EmptyResult empty) {
    if (lines.empty()) {
        if (empty == EmptyResult::Success) return {true, "Done!"};
        return {false, fileName + " is empty: the job left no result."};
    }
    const std::string& first = lines.front();
    if (first.find("FAILED") == std::string::npos && first.find("Failed") == std::string::npos)
        return {true, "Done!"};
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

} // namespace jobs
