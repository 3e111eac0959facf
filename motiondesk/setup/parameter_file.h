#pragma once
// Parameter files (.par): a whole parameter set of the set-up window on disk, 32 lines with
// CR LF, the meaning of each line given by its position. Line 1 is the polarity word in the
// file's own layout; check boxes are written " 0 " or " 1 "; texts as the user left them.
// "Save" and "Open" never talk to the controller.

#include "controller/setup_panel.h"

#include <string>
#include <vector>

namespace ui {
class UserInterface;
}

namespace setup {

inline constexpr int kParameterFileLines = 32;

std::vector<std::string> parameterFileLines(const SetupPanel& panel);

// Fills the panel from the lines in order and stops, silently, at the first line it cannot
// take (the file ends, a number line holds no number, a check-box line neither 0 nor 1): what
// was filled keeps its new value, the rest its old one. Lines after the 32nd are not read.
void applyParameterFileLines(const std::vector<std::string>& lines, SetupPanel& panel);

// "Save" and "Open" of the set-up window: the dialogs, the checks and the messages.
void saveParameterFile(ui::UserInterface& ui, const SetupPanel& panel);
// True when the panel was filled from a file (wholly or in part).
bool openParameterFile(ui::UserInterface& ui, const std::string& modelName, SetupPanel& panel);

} // namespace setup
