#include "simulator/sim/command_log_file.h"

namespace simulator {

CommandLogFile::~CommandLogFile() {
    if (file_) std::fclose(file_);
}

bool CommandLogFile::open(const std::string& fileName) {
    if (fileName.empty()) return true;
    file_ = std::fopen(fileName.c_str(), "a");
    return file_ != nullptr;
}

void CommandLogFile::write(std::string_view endpoint, std::string_view id,
                           std::string_view command) {
    if (!file_) return;
    std::string line;
    line.append(endpoint).append(" ").append(id).append(" ");
    for (unsigned char c : command) {
        if (c >= 32 && c < 127 && c != '\\') {
            line.push_back(char(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            line += escaped;
        }
    }
    line.push_back('\n');
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

} // namespace simulator
