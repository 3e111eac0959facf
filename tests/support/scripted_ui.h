#pragma once
// A user interface for tests: records every message and question, answers questions and file
// dialogs from queues the test fills (Yes and "cancel" when a queue is empty).

#include "motiondesk/ui/user_interface.h"

#include <deque>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedUi final : public ui::UserInterface {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> openFileName(const std::string& caption,
                                            const std::string&) override {
        return nextFile(caption);
    }
    std::optional<std::string> saveFileName(const std::string& caption,
                                            const std::string&) override {
        return nextFile(caption);
    }
    void quitProgram() override { ++quitRequests; }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> dialogCaptions;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> fileNames;
    int quitRequests = 0;

private:
    std::optional<std::string> nextFile(const std::string& caption) {
        dialogCaptions.push_back(caption);
        if (fileNames.empty()) return std::nullopt;
        auto name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

} // namespace testing_support
