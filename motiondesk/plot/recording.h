#pragma once
// "Record": every poll cycle as one row of a CSV file, streamed to disk as it comes, so an hour
// costs no more memory than a minute. The header names the columns; each row starts with the
// milliseconds since the recording began, then the numbers in decimal. A write that fails (a
// full disk) ends the recording; what was written before stays in the file.

#include "motiondesk/plot/plot_columns.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plot {

class Recording {
public:
    Recording() = default;
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Starts a recording into path (made afresh) with the picked variables as extra columns;
    // why not, when it cannot.
    std::optional<std::string> start(const std::string& path, std::vector<int> variables = {});
    // One row; startMs is subtracted from the sample's time. false once the recording has
    // failed (failure() says why).
    bool add(const Sample& sample, const std::vector<std::optional<double>>& variables = {});
    // Closes the file; why, when what was written could not be finished.
    std::optional<std::string> stop();

    bool active() const { return file_ != nullptr; }
    const std::string& failure() const { return failure_; }
    long long rows() const { return rows_; }

private:
    bool fail();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string failure_;
    long long startMs_ = -1;
    long long rows_ = 0;
    std::size_t variableCount_ = 0;
};

// A number as the file writes it: whole numbers without a point, others with up to six digits.
std::string csvNumber(double value);

} // namespace plot
