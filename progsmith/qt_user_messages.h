#pragma once

#include "progsmith/compiler/user_messages.h"

namespace progsmith {

// A plain box with an OK button and no title. With no screen to show it on (the offscreen and
// minimal platforms of unattended runs) the text goes to the error output instead, so the run
// can never wait for a click that cannot come.
class QtUserMessages : public UserMessages {
public:
    void showMessage(const std::string& text) override;
};

} // namespace progsmith
