#pragma once
// Result files: what a helper program leaves in its folder for the program that started it, read
// once it has ended. A result of an earlier run must never pass for this run's, so a run removes
// the previous result before it starts working (a run that is killed then leaves none), and a
// result that cannot be written in full is replaced by a short failure report where possible.

#include <optional>
#include <string>
#include <vector>

namespace common {

// Removes the previous result at path and any temporary file an earlier run left beside it while
// writing it. nullopt when no previous result remains; otherwise why it could not be removed.
std::optional<std::string> removePreviousResult(const std::string& path);

// Writes the lines, each followed by CR LF, to a temporary file beside path and renames it into
// place. When that fails, a short failure report is written straight into path instead (a folder
// that takes no new file may still let an old one be rewritten): the lines themselves when they
// already are a failure report (first line failedText), otherwise failedText and why the result
// could not be written. When even that fails the file is removed, so that no earlier result stays.
// True when the lines were written.
bool writeResult(const std::string& path, const std::vector<std::string>& lines,
                 const std::string& failedText);

} // namespace common
