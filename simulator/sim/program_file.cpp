#include "simulator/sim/program_file.h"

#include "common/textfile.h"
#include "simulator/controller_model.h"

namespace simulator {

bool loadCompiledFile(const std::string& path, ControllerModel& controller, std::string& error) {
    const common::TextFile file = common::readTextFile(path);
    if (!file.ok()) {
        error = "cannot read the compiled file " + path;
        return false;
    }
    std::vector<std::string> lines = file.lines;
    if (!lines.empty() && (lines.front().find("Failed") != std::string::npos ||
                           lines.front().find("FAILED") != std::string::npos)) {
        error = path + " holds no program, it reports a failed compilation: " + lines.front();
        for (size_t i = 1; i < lines.size(); ++i)
            error += " " + lines[i];
        return false;
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    const size_t slots = size_t(controller.model().lineLimit);
    if (lines.size() > slots) {
        error = path + " has " + std::to_string(lines.size()) + " lines, the controller " +
                std::to_string(slots) + " program slots";
        return false;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || !controller.setState("SA" + std::to_string(i) + "=" + lines[i])) {
            error = "line " + std::to_string(i + 1) + " of " + path + " is no compiled line";
            return false;
        }
    }
    return true;
}

ProgramTraceFile::~ProgramTraceFile() {
    if (file_) std::fclose(file_);
}

bool ProgramTraceFile::open(const std::string& fileName, int64_t lineLimit) {
    lineLimit_ = lineLimit;
    if (fileName.empty()) return true;
    file_ = std::fopen(fileName.c_str(), "w");
    return file_ != nullptr;
}

void ProgramTraceFile::write(std::string_view id, std::string_view line) {
    if (!file_ || full()) return;
    if (written_++ == lineLimit_) {
        std::fprintf(file_, "trace stopped: the limit of %lld lines was reached\n",
                     static_cast<long long>(lineLimit_));
        return;
    }
    std::fwrite(id.data(), 1, id.size(), file_);
    std::fputc(' ', file_);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fputc('\n', file_);
}

void ProgramTraceFile::flush() {
    if (file_) std::fflush(file_);
}

} // namespace simulator
