#include "motiondesk/setup/dio_file.h"

#include "common/numbers.h"
#include "motiondesk/setup/setup_files.h"
#include "motiondesk/ui/user_interface.h"

#include <optional>

namespace setup {

namespace {

// A row's text fields in the order of its file lines, after the move type.
constexpr std::string DioRow::*kFileOrder[] = {&DioRow::Target, &DioRow::Acc, &DioRow::Hspd,
                                               &DioRow::Lspd};

std::optional<DioRow> readRow(const std::vector<std::string>& lines, size_t first) {
    if (first + 5 > lines.size()) return std::nullopt;
    const auto position = common::toWholeNumber(lines[first]);
    if (!position || !isMoveType(*position)) return std::nullopt;
    DioRow row;
    row.MoveType = *position;
    for (size_t i = 0; i < std::size(kFileOrder); ++i) {
        const auto value = common::toWholeNumber(lines[first + 1 + i]);
        if (!value) return std::nullopt;
        row.*kFileOrder[i] = std::to_string(*value);
    }
    return row;
}

} // namespace

std::vector<std::string> dioFileLines(const DioPanel& panel) {
    std::vector<std::string> lines;
    for (const DioRow& row : panel.rows) {
        lines.push_back(numberLine(row.MoveType));
        for (auto member : kFileOrder)
            lines.push_back(asFileLine(row.*member));
    }
    return lines;
}

void applyDioFileLines(const std::vector<std::string>& lines, DioPanel& panel) {
    for (size_t row = 0; row < panel.rows.size(); ++row) {
        const auto read = readRow(lines, row * 5);
        if (!read) return;
        panel.rows[row] = *read;
    }
}

void saveDioFile(ui::UserInterface& ui, const DioPanel& panel) {
    const auto name =
        ui.saveFileName({"Save DIO Parameters As", "Parameter Files (*.dio)|*.dio", std::string()});
    if (!name) return;
    if (name->empty()) return ui.showMessage("No DIO File Name!");
    if (isPattern(*name)) return;
    writeSetupFile(ui, *name, dioFileLines(panel), kSaveDone);
}

bool openDioFile(ui::UserInterface& ui, const std::string& modelName, DioPanel& panel) {
    const auto name = ui.openFileName(
        {"Open " + modelName + " DIO File", modelName + " DIO Files (*.dio)|*.dio", "*.dio"});
    if (!name || name->empty() || isPattern(*name)) return false;
    const auto lines = readSetupFile(ui, *name, "DIO file");
    if (!lines) return false;
    applyDioFileLines(*lines, panel);
    return true;
}

} // namespace setup
