#pragma once
// The controller models the simulator can play. Models differ by this table only: the word a
// controller answers "DN" with (followed by its two-digit ID), the key its USB product text
// starts with (key + ID, e.g. "B4501"), and how many program slots it has.

#include <string>
#include <string_view>

namespace simulator {

struct ModelInfo {
    std::string_view code;       // model code as the set-up files write it, e.g. "KT-210"
    std::string_view nameWord;   // "DN" reply starts with this
    std::string_view productKey; // USB product text starts with this
    int lineLimit;               // program slots SA0 .. SA<lineLimit - 1>
};

// nullptr for an unknown model code.
const ModelInfo* findModel(std::string_view code);
// Every known model, in table order.
const ModelInfo* modelsBegin();
const ModelInfo* modelsEnd();

} // namespace simulator
