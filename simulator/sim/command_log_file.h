#pragma once
// The simulator's command log: one line "<endpoint> <id> <command>" per command a controller
// received, written through at once so a test can read it while the simulator runs. Bytes a
// line cannot hold (controls, bytes above 126) are written as \xNN.

#include <cstdio>
#include <string>
#include <string_view>

namespace simulator {

class CommandLogFile {
public:
    CommandLogFile() = default;
    ~CommandLogFile();
    CommandLogFile(const CommandLogFile&) = delete;
    CommandLogFile& operator=(const CommandLogFile&) = delete;

    // An empty name logs nothing. False when the file cannot be opened.
    bool open(const std::string& fileName);
    void write(std::string_view endpoint, std::string_view id, std::string_view command);

private:
    std::FILE* file_ = nullptr;
};

} // namespace simulator
