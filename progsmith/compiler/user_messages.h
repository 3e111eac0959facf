#pragma once
// The one message box a Progsmith run may show (a DECOMPILE input file that is missing).
// The window supplies a real box; tests record the texts.

#include <string>

namespace progsmith {

class UserMessages {
public:
    virtual ~UserMessages() = default;
    virtual void showMessage(const std::string& text) = 0;
};

} // namespace progsmith
