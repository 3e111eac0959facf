#include "proglift/loader/compiled_file.h"

#include "common/textfile.h"

#include <fstream>
#include <sstream>

namespace proglift {

std::vector<std::string> splitCrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) end = bytes.size();
        size_t lineEnd = end;
        if (terminated && lineEnd > start && bytes[lineEnd - 1] == '\r') --lineEnd;
        lines.push_back(bytes.substr(start, lineEnd - start));
        start = end + 1;
    }
    return lines;
}

namespace {

bool readBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    bytes = buffer.str();
    return true;
}

CompiledProgram failure(std::string text) {
    CompiledProgram program;
    program.errorText = std::move(text);
    return program;
}

} // namespace

CompiledProgram LoadDownloadFile(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + "/" + fileName;
    if (!common::fileExists(path)) return failure("File " + path + " does not exist!");
    std::string bytes;
    if (!readBytes(path, bytes)) return failure("File " + path + " could not be read!");
    if (bytes.empty()) return failure("File " + path + " is empty!");

    CompiledProgram program;
    program.lines = splitCrLfLines(bytes);
    // The closing empty line is not a program line. A file without it keeps its last line.
    if (!program.lines.empty() && program.lines.back().empty()) program.lines.pop_back();
    for (size_t slot = 0; slot < program.lines.size(); ++slot) {
        if (program.lines[slot].find_first_of(std::string("\r\0", 2)) != std::string::npos) {
            return failure("Invalid character (CR or NUL) in the compiled line for slot " +
                           std::to_string(slot) + "!");
        }
    }
    program.ok = true;
    return program;
}

} // namespace proglift
