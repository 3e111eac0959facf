#include "simulator/model_table.h"

#include <array>

namespace simulator {
namespace {

constexpr std::array<ModelInfo, 13> models{{
    {"KT-210", "KTR", "KTR", 1785},
    {"KT-220", "K22", "K22", 1785},
    {"KT-230", "K23", "K23", 1785},
    {"QB-410", "B41", "B41", 1785},
    {"QB-420", "B42", "B42", 1785},
    {"QB-430", "B43", "B43", 1785},
    {"QB-440", "B44", "B44", 1785},
    {"QB-450", "B45", "B45", 1785},
    {"QW-310", "R31", "R31", 1785},
    {"QW-320", "R32", "R32", 1785},
    {"QW-330", "R33", "R33", 1785},
    {"QW-340", "R34", "R34", 1785},
    {"QW-350", "R35", "R35", 1785},
}};

static_assert([] {
    for (const auto& m : models)
        if (m.nameWord.size() != 3 || m.productKey.size() != 3 || m.lineLimit <= 0) return false;
    return true;
}());

} // namespace

const ModelInfo* findModel(std::string_view code) {
    for (const auto& m : models)
        if (m.code == code) return &m;
    return nullptr;
}

const ModelInfo* modelsBegin() {
    return models.data();
}
const ModelInfo* modelsEnd() {
    return models.data() + models.size();
}

} // namespace simulator
