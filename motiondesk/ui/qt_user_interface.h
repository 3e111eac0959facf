#pragma once
// The user-interface services as real Qt dialogs: the one place that opens message boxes and
// file dialogs. Texts cross this boundary as Latin-1 bytes.

#include "motiondesk/ui/user_interface.h"

#include <QString>

class QWidget;

namespace ui {

class QtUserInterface final : public UserInterface {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    using UserInterface::askYesNo;
    std::optional<std::string> openFileName(const FileDialog& dialog) override;
    std::optional<std::string> saveFileName(const FileDialog& dialog) override;
    void quitProgram() override;
};

// "Program Files (*.prg)|*.prg" as a Qt name filter: "Program Files (*.prg)". A description
// without its pattern in brackets gets it appended; several pairs become several filters.
QString qtNameFilter(const std::string& filter);

} // namespace ui
