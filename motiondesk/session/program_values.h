#pragma once
// Program-wide values of Motiondesk: set by the connection window and the main window, read by
// the job files, the set-up windows and the program editor.

#include "common/controller_models.h"

#include <cstdint>
#include <string>

namespace session {

// The version of this program, shown in the connection window and by "About".
inline constexpr const char* kGuiVersion = "223";

// The one controller model Motiondesk talks to, from the suite's table of models.
inline const common::ControllerModel& motiondeskModel() {
    return *common::findControllerModel(common::kMotiondeskModel);
}

struct ProgramValues {
    std::string ModelName = std::string(common::kMotiondeskModel);
    // The most compiled program lines the controller accepts; handed to the loader.
    std::string LineLimit = std::to_string(motiondeskModel().slotCount);
    // Characters 2 to 4 of the "VER" reply as a number (V231 gives 231).
    int16_t FirmwareVersion = 0;
    std::string GuiVersion = kGuiVersion;
    // True only while the program editor window is open.
    bool CompileFromEditor = false;
};

} // namespace session
