#include "motiondesk/setup/setup_files.h"

#include "common/textfile.h"
#include "motiondesk/ui/user_interface.h"

namespace setup {

bool isPattern(const std::string& name) {
    return name.find('*') != std::string::npos;
}

std::optional<std::vector<std::string>>
readSetupFile(ui::UserInterface& ui, const std::string& name, const std::string& kind) {
    common::ChosenText file = common::readChosenTextFile(name, kLargestSetupFileBytes, kind);
    if (!file.ok()) {
        ui.showMessage(file.problem);
        return std::nullopt;
    }
    return std::move(file.lines);
}

void writeSetupFile(ui::UserInterface& ui, const std::string& name,
                    const std::vector<std::string>& lines, const std::string& doneMessage) {
    if (!common::writeLinesAtomically(name, lines))
        return ui.showMessage("File " + name +
                              " could not be saved: " + common::saveFailureReason(name));
    ui.showMessage(doneMessage);
}

} // namespace setup
