#include "motiondesk/plot/recording.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace plot {

std::string csvNumber(double value) {
    char text[48];
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    else
        std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

Recording::~Recording() {
    stop();
}

std::optional<std::string> Recording::start(const std::string& path, std::vector<int> variables) {
    stop();
    failure_.clear();
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) return "File " + path + " could not be made: " + std::strerror(errno) + ".";
    path_ = path;
    startMs_ = -1;
    rows_ = 0;
    variableCount_ = variables.size();
    std::string header = "time_ms";
    for (const Column& column : kColumns)
        header += std::string(",") + column.name;
    for (int number : variables)
        header += ",V" + std::to_string(number);
    header += "\n";
    if (std::fputs(header.c_str(), file_) < 0) {
        fail();
        return failure_;
    }
    return std::nullopt;
}

bool Recording::fail() {
    failure_ = "The recording into " + path_ + " stopped: " + std::strerror(errno) +
               ". The file holds the rows written before.";
    std::fclose(file_);
    file_ = nullptr;
    return false;
}

bool Recording::add(const Sample& sample, const std::vector<std::optional<double>>& variables) {
    if (!file_) return false;
    if (startMs_ < 0) startMs_ = sample.ms;
    std::string row = std::to_string(sample.ms - startMs_);
    for (double value : sample.values)
        row += "," + csvNumber(value);
    for (std::size_t i = 0; i < variableCount_; ++i) {
        row += ",";
        if (i < variables.size() && variables[i]) row += csvNumber(*variables[i]);
    }
    row += "\n";
    errno = 0;
    if (std::fwrite(row.data(), 1, row.size(), file_) != row.size()) return fail();
    // A full buffer is written out as the rows come; a disk that is full shows here, at once.
    if (++rows_ % 64 == 0 && std::fflush(file_) != 0) return fail();
    return true;
}

std::optional<std::string> Recording::stop() {
    if (!file_) return std::nullopt;
    const bool flushed = std::fflush(file_) == 0;
    const int error = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (flushed && closed) return std::nullopt;
    errno = flushed ? errno : error;
    failure_ = "The recording into " + path_ + " could not be finished: " + std::strerror(errno) +
               ". The file holds the rows written before.";
    return failure_;
}

} // namespace plot
