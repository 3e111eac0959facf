#pragma once
// The set-up files on disk. A parameter file (.par) holds a whole parameter set, 32 lines with
// CR LF, the meaning of each line given by its position: line 1 is the polarity word in the
// file's own layout; check boxes are written " 0 " or " 1 "; texts as the user left them. The
// DIO files write their lines the same way.

#include "controller/setup_panel.h"

#include <optional>
#include <string>
#include <vector>

namespace setup {

// No set-up file comes near this; a larger one is not one of ours.
inline constexpr long long kLargestSetupFileBytes = 1 << 20;

inline constexpr int kParameterFileLines = 32;

std::vector<std::string> parameterFileLines(const SetupPanel& panel);

// Fills the panel from the lines in order and stops, silently, at the first line it cannot
// take (the file ends, a number line holds no number, a check-box line not 0, 1 or 2): what
// was filled keeps its new value, the rest its old one. Lines after the 32nd are not read.
void applyParameterFileLines(const std::vector<std::string>& lines, SetupPanel& panel);

// Why the lines are no whole parameter file (a line short, a line its position cannot take);
// nothing when all 32 lines are what they should be.
std::optional<std::string> parameterFileProblem(const std::vector<std::string>& lines);

// A text as one line of a file: a line break inside it (a controller reply may carry a line
// feed) would shift every line after it.
std::string asFileLine(const std::string& text);

// A number as the file writes list positions and check boxes: a blank where the sign goes, the
// digits, a blank (" 5 ", "-5 ").
std::string numberLine(long long value);

} // namespace setup
