#pragma once
// The user-interface services as real Qt dialogs: the one place that opens message boxes and
// file dialogs. Texts cross this boundary as Latin-1 bytes.

#include "motiondesk/ui/user_interface.h"

class QWidget;

namespace ui {

class QtUserInterface final : public UserInterface {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> openFileName(const std::string& caption,
                                            const std::string& filter) override;
    std::optional<std::string> saveFileName(const std::string& caption,
                                            const std::string& filter) override;
    void quitProgram() override;
};

} // namespace ui
