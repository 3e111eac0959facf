#pragma once
// Opening and saving the set-up windows' files (parameter files, DIO files): the checks both
// kinds share. A file that is missing, too large, binary or unreadable is refused with a message
// before anything of it is taken; a save goes through a temporary file, so a failed save leaves
// the old file as it was and says why.

#include "controller/parameter_file_format.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {
class UserInterface;
}

namespace setup {

inline constexpr const char* kSaveDone = "Save Parameters to file done!";

// True for a name the dialogs hand back as a pattern ("*.par"): nothing is to be done with it.
bool isPattern(const std::string& name);

// The lines of the chosen file (CR LF, a lone CR or a lone LF end a line), or nullopt after
// telling the user why it was not read. kind names the file in messages ("parameter file").
std::optional<std::vector<std::string>>
readSetupFile(ui::UserInterface& ui, const std::string& name, const std::string& kind);

// Writes the lines with CR LF and says doneMessage, or why the file could not be saved.
void writeSetupFile(ui::UserInterface& ui, const std::string& name,
                    const std::vector<std::string>& lines, const std::string& doneMessage);

} // namespace setup
