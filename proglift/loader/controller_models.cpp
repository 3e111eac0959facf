#include "proglift/loader/controller_models.h"

#include "common/controller_models.h"
#include "common/numbers.h"

#include <algorithm>

namespace proglift {

std::optional<int32_t> PageSize(const std::string& modelCode) {
    const auto* model = common::findControllerModel(modelCode);
    if (!model) return std::nullopt;
    return model->pageLines;
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
