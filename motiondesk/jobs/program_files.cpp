#include "motiondesk/jobs/program_files.h"

#include "common/textfile.h"
#include "jobfiles/program_file.h"
#include "motiondesk/ui/user_interface.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace jobs {

namespace {

// Far more than any controller holds; a larger file is no program.
constexpr long long kMaxProgramFileBytes = 16ll << 20;

bool hasPattern(const std::string& name) {
    return name.find('*') != std::string::npos;
}

std::string programFilter(const std::string& modelName) {
    return modelName + " Program Files (*.prg)|*.prg";
}

} // namespace

ui::FileDialog openProgramDialog(const std::string& modelName) {
    return {"Open " + modelName + " Program", programFilter(modelName), "*.prg"};
}

ui::FileDialog saveProgramDialog(const std::string& modelName) {
    return {"Save " + modelName + " Program As", programFilter(modelName), ""};
}

std::optional<std::string> openProgramFile(ui::UserInterface& ui, const std::string& modelName) {
    const auto name = ui.openFileName(openProgramDialog(modelName));
    if (!name || name->empty() || hasPattern(*name)) return std::nullopt;
    struct stat info {};
    if (::stat(name->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        ui.showMessage("File " + *name + " does not exist!");
        return std::nullopt;
    }
    if (info.st_size > kMaxProgramFileBytes) {
        ui.showMessage("File " + *name + " is too large for a program (" +
                       std::to_string(info.st_size) + " bytes); nothing was opened.");
        return std::nullopt;
    }
    std::ifstream in(*name, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in && !in.eof()) {
        ui.showMessage("File " + *name + " cannot be read; nothing was opened.");
        return std::nullopt;
    }
    if (bytes.find('\0') != std::string::npos) {
        ui.showMessage("File " + *name +
                       " holds binary data and is no program; nothing was opened.");
        return std::nullopt;
    }
    std::string text;
    for (const std::string& line : common::splitLines(bytes))
        text += line + "\r\n";
    return text;
}

void saveProgramFile(ui::UserInterface& ui, const std::string& modelName, const std::string& text) {
    const auto name = ui.saveFileName(saveProgramDialog(modelName));
    if (!name) return;
    if (name->empty()) return ui.showMessage("No Program Name!");
    if (hasPattern(*name)) return;
    if (!common::writeLinesAtomically(*name, jobfiles::programFileLines(text)))
        return ui.showMessage("File " + *name + " could not be saved: " + saveFailureReason(*name));
    ui.showMessage("Save Done!");
}

std::string saveFailureReason(const std::string& path) {
    return common::saveFailureReason(path);
}

} // namespace jobs
