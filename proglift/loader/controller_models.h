#pragma once
// What the loader needs to know about each controller model: how many lines one page of its
// program memory holds (read from the models' code tables), and the short key its USB product
// text carries.

#include <cstdint>
#include <optional>
#include <string>

namespace proglift {

struct ControllerModel {
    const char* ModelCode;
    const char* UsbKey; // empty: this model is not reached over USB
};

// The most program slots any controller model has: every model has 1785 today. A line limit
// above it names no real controller, and a clear or an upload up to it would run for days. To be
// read from the shared table of controller models once there is one.
inline constexpr int32_t LargestSlotCount = 1785;

// nullptr for a text that is none of the thirteen model codes (compared exactly).
const ControllerModel* findControllerModel(const std::string& modelCode);

// Lines per page of program memory; nullopt for an unknown model.
std::optional<int32_t> PageSize(const std::string& modelCode);

// The product-text key of the model; empty when the model has none.
std::string UsbModelKey(const std::string& modelCode);

// The last slot to empty after a program of totalLine lines: the end of the page the program
// ends in, never past the last slot of the controller. -1 for an empty program.
int32_t LastPageLine(int32_t totalLine, int32_t lineLimit, int32_t pageSize);

} // namespace proglift
