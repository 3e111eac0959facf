#pragma once
// DIO files (.dio): the digital I/O table on disk, 80 lines with CR LF, five per row for rows 0
// to 15. A row's lines are its move type position (" 5 "), then the Target, Acc, Hspd and Lspd
// texts: not the order of the field numbers, and files already written depend on it.

#include "motiondesk/setup/dio_table.h"

#include <string>
#include <vector>

namespace ui {
class UserInterface;
}

namespace setup {

inline constexpr int kDioFileLines = kDioRows * 5;

std::vector<std::string> dioFileLines(const DioPanel& panel);

// Fills the table row by row from the lines, each converted to a whole number, and stops,
// silently, at the first row it cannot take whole (the file ends, a line is no number, a move
// type outside the list): that row and the ones after it keep what they held.
void applyDioFileLines(const std::vector<std::string>& lines, DioPanel& panel);

void saveDioFile(ui::UserInterface& ui, const DioPanel& panel);
// True when the table was filled from a file (wholly or in part).
bool openDioFile(ui::UserInterface& ui, const std::string& modelName, DioPanel& panel);

} // namespace setup
