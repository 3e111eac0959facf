#pragma once
// What the controller's logic asks the user: a Yes/No question with a title (none when empty).
// Motiondesk asks in a box; the command line answers from its options.

#include <string>

namespace setup {

class Questions {
public:
    virtual ~Questions() = default;
    // True only for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
};

} // namespace setup
