#include "common/textfile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    bool pendingLine = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pendingLine = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            current.push_back(c);
            pendingLine = true;
        }
    }
    if (pendingLine) lines.push_back(std::move(current));
    return lines;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TextFile readTextFile(const std::string& path) {
    TextFile result;
    if (!fileExists(path)) return result;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.status = FileStatus::Unreadable;
        return result;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        result.status = FileStatus::Unreadable;
        return result;
    }
    result.lines = splitLines(buffer.str());
    result.status = FileStatus::Ok;
    return result;
}

bool writeTextAtomically(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool writeLinesAtomically(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return writeTextAtomically(path, bytes);
}

std::string saveFailureReason(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return "it is a folder.";
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    if (::stat(folder.c_str(), &info) != 0) return "its folder does not exist.";
    if (::access(folder.c_str(), W_OK) != 0) return "its folder cannot be written.";
    return "the disk may be full. The file as it was before is unchanged.";
}

} // namespace common
