#pragma once
// Program-wide values of Motiondesk: set by the connection window and the main window, read by
// the job files and the program editor.

#include <cstdint>
#include <string>

namespace mainwindow {

struct ProgramValues {
    std::string ModelName = "KT-210";
    // The most compiled program lines the controller accepts; handed to the loader.
    std::string LineLimit = "1785";
    // Characters 2 to 4 of the "VER" reply as a number (V231 gives 231).
    int16_t FirmwareVersion = 0;
    std::string GuiVersion = "223";
    // True only while the program editor window is open.
    bool CompileFromEditor = false;
};

} // namespace mainwindow
