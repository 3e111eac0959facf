#pragma once
// controller-sim's --program and --trace files.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simulator {

class ControllerModel;

// A compiled file as the compiler writes it (CompileOut.txt): one compiled line per line, slot
// 0 first, then one empty line that ends the program. Writes its lines into the controller's
// slots; false with `error` saying why for no such file, a file reporting a failed
// compilation, more lines than the controller has slots, or a line no slot can hold.
bool loadCompiledFile(const std::string& path, ControllerModel& controller, std::string& error);

// The trace of the programs: "<id> <thread> <slot> <line>[ V<n>=<value>| fault: <reason>]"
// per executed slot. Written in bursts; flush() makes everything so far readable. A loop
// without DELAY makes about a million lines a second, so after `lineLimit` lines one more says
// that the limit was reached and nothing else is written.
class ProgramTraceFile {
public:
    static constexpr int64_t kDefaultLineLimit = 1'000'000;

    ProgramTraceFile() = default;
    ~ProgramTraceFile();
    ProgramTraceFile(const ProgramTraceFile&) = delete;
    ProgramTraceFile& operator=(const ProgramTraceFile&) = delete;

    // An empty name traces nothing. The file is started afresh. False when it cannot be made.
    bool open(const std::string& fileName, int64_t lineLimit = kDefaultLineLimit);
    bool isOpen() const { return file_ != nullptr; }
    // The limit was reached: the writers can stop calling write().
    bool full() const { return written_ > lineLimit_; }
    void write(std::string_view id, std::string_view line);
    void flush();

private:
    std::FILE* file_ = nullptr;
    int64_t lineLimit_ = kDefaultLineLimit;
    int64_t written_ = 0;
};

} // namespace simulator
