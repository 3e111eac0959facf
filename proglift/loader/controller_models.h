#pragma once
// What the loader needs to know about each controller model, read from the suite's one table of
// controller models: how many lines one page of its program memory holds.

#include "common/controller_models.h"

#include <cstdint>
#include <optional>
#include <string>

namespace proglift {

// The most program slots any controller model has. A line limit above it names no real
// controller, and a clear or an upload up to it would run for days.
inline constexpr int32_t LargestSlotCount = common::largestSlotCount();

// Lines per page of program memory; nullopt for an unknown model.
std::optional<int32_t> PageSize(const std::string& modelCode);

// The last slot to empty after a program of totalLine lines: the end of the page the program
// ends in, never past the last slot of the controller. -1 for an empty program.
int32_t LastPageLine(int32_t totalLine, int32_t lineLimit, int32_t pageSize);

} // namespace proglift
