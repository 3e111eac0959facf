#include "proglift/loader/result_files.h"

#include "common/result_file.h"
#include "proglift/loader/loader_setup.h"

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

std::optional<std::string> removePreviousResult(const std::string& folder,
                                                int16_t loaderOperation) {
    const char* name = loaderOperation == Upload ? UploadResultFileName : DownloadResultFileName;
    return common::removePreviousResult(folder + "/" + name);
}

bool writeDownloadResult(const std::string& folder, const JobOutcome& outcome) {
    const std::string path = folder + "/" + DownloadResultFileName;
    if (outcome.success)
        return common::writeResult(path, {DownloadSuccessText}, DownloadFailedText);
    return common::writeResult(path, {DownloadFailedText, outcome.LastErrorText},
                               DownloadFailedText);
}

bool writeUploadResult(const std::string& folder, const JobOutcome& outcome) {
    const std::string path = folder + "/" + UploadResultFileName;
    if (!outcome.success)
        return common::writeResult(path, {UploadFailedText, outcome.LastErrorText},
                                   UploadFailedText);
    std::vector<std::string> lines;
    lines.reserve(outcome.uploadedLines.size());
    for (const auto& line : outcome.uploadedLines)
        lines.push_back(withoutLineEnds(line));
    return common::writeResult(path, lines, UploadFailedText);
}

} // namespace proglift
