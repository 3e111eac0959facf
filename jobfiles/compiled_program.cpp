#include "jobfiles/compiled_program.h"

#include "jobfiles/file_names.h"

#include "common/textfile.h"

#include <fstream>

namespace jobfiles {

namespace {

CompiledProgram failure(std::string text) {
    CompiledProgram program;
    program.errorText = std::move(text);
    return program;
}

std::string slotText(size_t slot) {
    return std::to_string(slot);
}

// Reads lines until the end of the file or until one more than `wanted` lines are in.
class LineReader {
public:
    explicit LineReader(std::istream& in) : in_(in) {}

    // False at the end of the file; a line too long to be a compiled line sets tooLong.
    bool next(std::string& line) {
        line.clear();
        char c = 0;
        bool any = false;
        while (in_.get(c)) {
            any = true;
            if (c == '\n') break;
            if (line.size() >= LongestCompiledLine) {
                tooLong = true;
                return false;
            }
            line.push_back(c);
        }
        if (!any) return false;
        if (c == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

    bool tooLong = false;

private:
    std::istream& in_;
};

} // namespace

CompiledProgram readCompiledProgram(std::istream& in, const std::string& path, size_t maxLines) {
    CompiledProgram program;
    LineReader reader(in);
    std::string line;
    // Two beyond the limit: the closing empty line and one line too many.
    while (program.lines.size() < maxLines + 2 && reader.next(line)) {
        if (line.find_first_of(std::string("\r\0", 2)) != std::string::npos)
            return failure("Invalid character (CR or NUL) in the compiled line for slot " +
                           slotText(program.lines.size()) + "!");
        program.lines.push_back(line);
    }
    if (reader.tooLong)
        return failure("The compiled line for slot " + slotText(program.lines.size()) +
                       " is too long!");
    if (in.bad()) return failure("File " + path + " could not be read!");
    if (program.lines.empty()) return failure("File " + path + " is empty!");
    // The closing empty line is not a program line. A file without it keeps its last line.
    if (program.lines.back().empty()) program.lines.pop_back();
    program.ok = true;
    return program;
}

CompiledProgram LoadDownloadFile(const std::string& folder, const std::string& fileName,
                                 size_t maxLines) {
    const std::string path = pathIn(folder, fileName);
    if (!common::fileExists(path)) return failure("File " + path + " does not exist!");
    std::ifstream in(path, std::ios::binary);
    if (!in) return failure("File " + path + " could not be read!");
    return readCompiledProgram(in, path, maxLines);
}

} // namespace jobfiles
