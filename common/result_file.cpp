#include "common/result_file.h"

#include "common/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace common {

namespace {

std::string crlfText(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

std::optional<std::string> removePreviousResult(const std::string& path) {
    removeLeftoverTemporaries(path);
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return std::nullopt;
    return "Could not remove the previous result " + path + ": " + std::strerror(errno);
}

bool writeResult(const std::string& path, const std::vector<std::string>& lines,
                 const std::string& failedText) {
    const int error = replaceFile(path, crlfText(lines));
    if (error == 0) return true;

    const bool isFailure = !lines.empty() && lines.front() == failedText;
    const std::vector<std::string> failure =
        isFailure ? lines
                  : std::vector<std::string>{failedText, "Could not write the result " + path +
                                                             ": " + std::strerror(error)};
    // Half a failure report could read as anything; no file at all cannot pass for a result.
    if (overwriteFile(path, crlfText(failure)) != 0) ::unlink(path.c_str());
    return false;
}

} // namespace common
