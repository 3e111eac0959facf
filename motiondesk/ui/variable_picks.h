#pragma once
// The variables a plot draws, as the user names them in a field: "1, 5, 12" or "V1 V5 V12".

#include <QString>

#include <cstddef>
#include <vector>

namespace ui {

inline constexpr std::size_t kMostPlottedVariables = 8;

// The variables 1 to 100 named, each once, the first eight.
std::vector<int> variablePicks(const QString& text);
// The picks as the field shows them again: "1, 5, 12".
QString picksText(const std::vector<int>& picks);

} // namespace ui
