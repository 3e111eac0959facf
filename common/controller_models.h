#pragma once
// The thirteen controller models as every program of the suite knows them: the model code the
// set-up files carry, the key a model's USB product text starts with, the lines one page of its
// program memory holds and how many program slots it has. The compiler's code tables, the loader
// and Motiondesk read this one table; the simulator keeps its own list as an independent check.

#include <iterator>
#include <string_view>

namespace common {

struct ControllerModel {
    std::string_view code;   // "KT-210", exactly as the set-up files write it
    std::string_view usbKey; // product-text key ("KTR"); empty: the loader cannot find it by USB
    int pageLines;           // program memory is erased and written in pages of this many lines
    int slotCount;           // program slots SA0 .. SA<slotCount - 1>

    constexpr bool foundOverUsb() const { return !usbKey.empty(); }
};

inline constexpr ControllerModel kControllerModels[] = {
    {"QB-450", "B45", 85, 1785}, {"QB-440", "", 170, 1785},   {"QB-430", "B43", 85, 1785},
    {"QB-420", "B42", 85, 1785}, {"QB-410", "B41", 85, 1785}, {"KT-210", "KTR", 85, 1785},
    {"KT-220", "K22", 85, 1785}, {"KT-230", "K23", 85, 1785}, {"QW-310", "", 170, 1785},
    {"QW-320", "R32", 85, 1785}, {"QW-330", "", 85, 1785},    {"QW-340", "", 85, 1785},
    {"QW-350", "R35", 85, 1785},
};

// nullptr for a text that is none of the thirteen codes (compared exactly).
constexpr const ControllerModel* findControllerModel(std::string_view code) {
    for (const ControllerModel& model : kControllerModels)
        if (model.code == code) return &model;
    return nullptr;
}

// The most program slots any model has: no line limit above it can be meant.
constexpr int largestSlotCount() {
    int largest = 0;
    for (const ControllerModel& model : kControllerModels)
        if (model.slotCount > largest) largest = model.slotCount;
    return largest;
}

// Motiondesk talks to one model only.
inline constexpr std::string_view kMotiondeskModel = "KT-210";

static_assert(std::size(kControllerModels) == 13);
// Compared by code rather than by pointer: a pointer comparison is no constant expression for a
// compiler that checks it at run time (gcc's UndefinedBehaviorSanitizer).
static_assert([] {
    for (const ControllerModel& model : kControllerModels)
        if (model.code == kMotiondeskModel) return true;
    return false;
}());
static_assert([] {
    for (const ControllerModel& model : kControllerModels)
        if (model.pageLines <= 0 || model.slotCount < model.pageLines ||
            !(model.usbKey.empty() || model.usbKey.size() == 3))
            return false;
    return true;
}());

} // namespace common
