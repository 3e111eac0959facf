#pragma once
// "Save" and "Open" of the set-up window's parameter files (the format is in
// controller/parameter_file_format.h). They never talk to the controller.

#include "controller/parameter_file_format.h"

#include <string>

namespace ui {
class UserInterface;
}

namespace setup {

// "Save" and "Open" of the set-up window: the dialogs, the checks and the messages.
void saveParameterFile(ui::UserInterface& ui, const SetupPanel& panel);
// True when the panel was filled from a file (wholly or in part).
bool openParameterFile(ui::UserInterface& ui, const std::string& modelName, SetupPanel& panel);

} // namespace setup
