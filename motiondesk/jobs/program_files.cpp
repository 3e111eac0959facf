#include "motiondesk/jobs/program_files.h"

#include "common/textfile.h"
#include "jobfiles/program_file.h"
#include "motiondesk/ui/user_interface.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace jobs {

namespace {

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
    const common::ChosenText file =
        common::readChosenTextFile(*name, jobfiles::kLargestProgramFileBytes, "program");
    if (!file.ok()) {
        ui.showMessage(file.problem);
        return std::nullopt;
    }
    return jobfiles::programText(file.lines);
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
