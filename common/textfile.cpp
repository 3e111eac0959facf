#include "common/textfile.h"

#include "common/atomic_file.h"

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

ChosenFile readChosenFile(const std::string& path, long long maxBytes) {
    ChosenFile file;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return file;
    file.size = static_cast<long long>(info.st_size);
    if (!S_ISREG(info.st_mode)) {
        file.status = ChosenFile::Status::NotRegular;
        return file;
    }
    if (file.size > maxBytes) {
        file.status = ChosenFile::Status::TooLarge;
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (!in.is_open() || in.bad()) {
        file.status = ChosenFile::Status::Unreadable;
        return file;
    }
    file.bytes = buffer.str();
    file.status = ChosenFile::Status::Ok;
    return file;
}

std::string chosenFileProblem(const ChosenFile& file, const std::string& path,
                              const std::string& kind) {
    switch (file.status) {
    case ChosenFile::Status::Ok:
        return {};
    case ChosenFile::Status::Missing:
        return "File " + path + " does not exist!";
    case ChosenFile::Status::NotRegular:
        return "File " + path + " is not a regular file (a folder, a device or a pipe); " +
               "nothing was opened.";
    case ChosenFile::Status::TooLarge:
        return "File " + path + " is too large for a " + kind + " (" + std::to_string(file.size) +
               " bytes); nothing was opened.";
    case ChosenFile::Status::Unreadable:
        break;
    }
    return "File " + path + " cannot be read; nothing was opened.";
}

ChosenText readChosenTextFile(const std::string& path, long long maxBytes,
                              const std::string& kind) {
    const ChosenFile file = readChosenFile(path, maxBytes);
    if (file.status != ChosenFile::Status::Ok) return {{}, chosenFileProblem(file, path, kind)};
    if (file.bytes.find('\0') != std::string::npos)
        return {{},
                "File " + path + " holds binary data and is no " + kind + "; nothing was opened."};
    return {splitLines(file.bytes), {}};
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
    return replaceFile(path, bytes) == 0;
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
