#include "motiondesk/jobs/program_files.h"

#include "common/textfile.h"
#include "jobfiles/program_file.h"
#include "motiondesk/ui/user_interface.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace jobs {

namespace {

// Five times what any controller holds: a larger file is no program, and opening it would hold
// the window (half a MiB opens in about a tenth of a second: build/bench/program_open_bench).
constexpr long long kMaxProgramFileBytes = 512ll << 10;

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
    const common::ChosenFile file = common::readChosenFile(*name, kMaxProgramFileBytes);
    if (file.status != common::ChosenFile::Status::Ok) {
        ui.showMessage(common::chosenFileProblem(file, *name, "program"));
        return std::nullopt;
    }
    const std::string& bytes = file.bytes;
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
