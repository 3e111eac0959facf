#include "proglift/loader/result_files.h"

#include "common/textfile.h"

#include <algorithm>

namespace proglift {

namespace {

// A line end inside an uploaded slot would add a line to the file and shift every later slot.
std::string withoutLineEnds(std::string line) {
    line.erase(
        std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
        line.end());
    return line;
}

} // namespace

bool writeDownloadResult(const std::string& folder, const JobOutcome& outcome) {
    const std::string path = folder + "/" + DownloadResultFileName;
    if (outcome.success) return common::writeLinesAtomically(path, {DownloadSuccessText});
    return common::writeLinesAtomically(path, {DownloadFailedText, outcome.LastErrorText});
}

bool writeUploadResult(const std::string& folder, const JobOutcome& outcome) {
    const std::string path = folder + "/" + UploadResultFileName;
    if (!outcome.success) {
        return common::writeLinesAtomically(path, {UploadFailedText, outcome.LastErrorText});
    }
    std::vector<std::string> lines;
    lines.reserve(outcome.uploadedLines.size());
    for (const auto& line : outcome.uploadedLines)
        lines.push_back(withoutLineEnds(line));
    return common::writeLinesAtomically(path, lines);
}

} // namespace proglift
