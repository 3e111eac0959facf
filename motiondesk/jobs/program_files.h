#pragma once
// Program files (.prg) opened into and saved from a program text box: the main window's and
// the program editor's "Open" and "Save". One program line per file line, each ended by CR LF.

#include <optional>
#include <string>

namespace ui {
class UserInterface;
struct FileDialog;
} // namespace ui

namespace jobs {

ui::FileDialog openProgramDialog(const std::string& modelName);
ui::FileDialog saveProgramDialog(const std::string& modelName);

// Asks for a file and returns its text, every line followed by CR LF; nullopt when nothing is
// to change (cancelled, a pattern chosen, or a file that is missing, binary or too large: the
// user is told which).
std::optional<std::string> openProgramFile(ui::UserInterface& ui, const std::string& modelName);

// Asks for a name and saves the text there, whole, through a temporary file: a failed save
// leaves the old file as it was and says why.
void saveProgramFile(ui::UserInterface& ui, const std::string& modelName, const std::string& text);

// Why a file could not be written, as far as can be told afterwards.
std::string saveFailureReason(const std::string& path);

} // namespace jobs
