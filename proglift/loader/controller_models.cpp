#include "proglift/loader/controller_models.h"

#include "common/numbers.h"
#include "progsmith/compiler/model_tables.h"

#include <algorithm>
#include <array>

namespace proglift {

namespace {

constexpr std::array<ControllerModel, 13> controllerModels{{
    {"QB-450", "B45"},
    {"QB-440", ""},
    {"QB-430", "B43"},
    {"QB-420", "B42"},
    {"QB-410", "B41"},
    {"KT-210", "KTR"},
    {"KT-220", "K22"},
    {"KT-230", "K23"},
    {"QW-310", ""},
    {"QW-320", "R32"},
    {"QW-330", ""},
    {"QW-340", ""},
    {"QW-350", "R35"},
}};

} // namespace

const ControllerModel* findControllerModel(const std::string& modelCode) {
    for (const auto& model : controllerModels) {
        if (modelCode == model.ModelCode) return &model;
    }
    return nullptr;
}

std::optional<int32_t> PageSize(const std::string& modelCode) {
    // The page size belongs to the compiled program format, kept with the models' code tables.
    const auto* model = progsmith::findModel(modelCode);
    if (!model) return std::nullopt;
    return model->pageLines;
}

std::string UsbModelKey(const std::string& modelCode) {
    const auto* model = findControllerModel(modelCode);
    return model ? model->UsbKey : "";
}

int32_t LastPageLine(int32_t totalLine, int32_t lineLimit, int32_t pageSize) {
    // The page ends considered are those of the first m pages, m = lineLimit / pageSize rounded
    // half to even. A program that reaches past all of them (1701..1785 lines on 170-line pages)
    // is followed by empty slots up to the controller's last slot.
    const int64_t pages = common::roundHalfEven(lineLimit, pageSize);
    const int64_t pagesUsed = totalLine <= 0 ? 0 : (int64_t{totalLine} + pageSize - 1) / pageSize;
    const int64_t pageEnd = pagesUsed <= pages ? pageSize * pagesUsed - 1 : int64_t{lineLimit} - 1;
    return static_cast<int32_t>(std::min<int64_t>(pageEnd, lineLimit - 1));
}

} // namespace proglift
