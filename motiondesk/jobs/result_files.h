#pragma once
// Reading what a helper program left: whether its job failed (the first line of its result file
// says "FAILED" or "Failed"), how many lines a compile produced, and which program line a failed
// compile names.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jobs {

// A job that could not run to its end (a helper that would not start or did not finish, a
// result file that is missing or unreadable). Its text is what the user is shown.
class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The lines of a result file. Throws JobError when the file is missing, unreadable, or larger
// than any result a helper writes (maxBytes).
std::vector<std::string> readResultLines(const std::string& path, size_t maxBytes);

struct JobOutcome {
    bool success = false;
    // What the user is told: "Done!", or every line of the failure report, each followed by CR LF.
    std::string message;
};

// The first line decides: "FAILED" or "Failed" in it is a failure, shown whole; anything else is
// "Done!". A file without a single line is a success where it can be one (an upload or decompile
// of an empty program); a compile or download result always has a line, and one without was not
// written by a helper that finished its job.
enum class EmptyResult { Success, Failure };
JobOutcome judgeResult(const std::vector<std::string>& lines, const std::string& fileName,
                       EmptyResult empty);

// The compiled lines of a CompileOut.txt: its lines but the final empty one (never below 0).
int CountCompiledLines(const std::vector<std::string>& lines);

// The program line a failed compile names: the whole number after "Line: " of the last line
// that holds "Line"; nullopt when there is none.
std::optional<int> ReadFailedLine(const std::vector<std::string>& lines);

} // namespace jobs
