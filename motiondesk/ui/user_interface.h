#pragma once
// The one way windows and the transport talk to the user: plain message boxes with an OK
// button, Yes/No questions, file dialogs. The Qt implementation shows real dialogs; tests use a
// scripted implementation that records every message and answers every question.
// Texts are single-byte (Latin-1) strings, as everything the controllers exchange.

#include <optional>
#include <string>

namespace ui {

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A plain message box with one OK button and no title.
    virtual void showMessage(const std::string& text) = 0;
    // A Yes/No box; true only for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // File dialogs; nullopt when the user cancels. filter is a Qt name filter ("Program (*.prg)").
    virtual std::optional<std::string> openFileName(const std::string& caption,
                                                    const std::string& filter) = 0;
    virtual std::optional<std::string> saveFileName(const std::string& caption,
                                                    const std::string& filter) = 0;
    // Ends the program at once (the transport's fatal USB error).
    virtual void quitProgram() = 0;
};

} // namespace ui
