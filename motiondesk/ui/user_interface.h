#pragma once
// The one way windows and the transport talk to the user: plain message boxes with an OK
// button, Yes/No questions, file dialogs. The Qt implementation shows real dialogs; tests use a
// scripted implementation that records every message and answers every question.
// Texts are single-byte (Latin-1) strings, as everything the controllers exchange.

#include "controller/questions.h"
#include "link/failure_notices.h"

#include <optional>
#include <string>

namespace ui {

// A file dialog as the windows describe it. filter is written "Description (*.ext)|*.ext"
// (pairs of description and pattern joined by "|"); initialName is the name the dialog starts
// with, a pattern such as "*.prg" or empty.
struct FileDialog {
    std::string caption;
    std::string filter;
    std::string initialName;
};

class UserInterface : public transport::FailureNotices, public setup::Questions {
public:
    // A plain message box with one OK button and no title.
    void showMessage(const std::string& text) override = 0;
    // A Yes/No box with the title (none when empty); true only for Yes.
    bool askYesNo(const std::string& text, const std::string& title) override = 0;
    bool askYesNo(const std::string& text) { return askYesNo(text, std::string()); }
    // File dialogs; nullopt when the user cancels.
    virtual std::optional<std::string> openFileName(const FileDialog& dialog) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialog& dialog) = 0;
    // Ends the program at once (the transport's fatal USB error).
    void quitProgram() override = 0;
};

} // namespace ui
