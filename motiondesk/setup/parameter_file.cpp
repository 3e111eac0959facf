#include "motiondesk/setup/parameter_file.h"

#include "controller/parameter_file_format.h"
#include "motiondesk/setup/setup_files.h"
#include "motiondesk/ui/user_interface.h"

namespace setup {

void saveParameterFile(ui::UserInterface& ui, const SetupPanel& panel) {
    const auto name = ui.saveFileName(
        {"Save Setup Parameters As", "Parameter Files (*.par)|*.par", std::string()});
    if (!name) return;
    if (name->empty()) return ui.showMessage("No Parameter File Name!");
    if (isPattern(*name)) return;
    writeSetupFile(ui, *name, parameterFileLines(panel), kSaveDone);
}

bool openParameterFile(ui::UserInterface& ui, const std::string& modelName, SetupPanel& panel) {
    const auto name = ui.openFileName({"Open " + modelName + " Parameter File",
                                       modelName + " Parameter Files (*.par)|*.par", "*.par"});
    if (!name || name->empty() || isPattern(*name)) return false;
    const auto lines = readSetupFile(ui, *name, "parameter file");
    if (!lines) return false;
    applyParameterFileLines(*lines, panel);
    return true;
}

} // namespace setup
