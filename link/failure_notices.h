#pragma once
// Who hears of a failed exchange when the transport's policy shows messages: Motiondesk's message
// boxes. The loader and the command line tell no one; they read LastErrorText.

#include <string>

namespace transport {

class FailureNotices {
public:
    virtual ~FailureNotices() = default;
    // A plain message with one OK button.
    virtual void showMessage(const std::string& text) = 0;
    // Ends the program at once (the fatal USB error).
    virtual void quitProgram() = 0;
};

} // namespace transport
