#pragma once
// A strict user interface for tests. Questions and file dialogs are answered from queues the
// test fills beforehand; one that arrives with its queue empty was not expected and fails the
// test (a question is then answered No, a dialog cancelled, so nothing more happens). Every
// message is recorded; a message the test never looked at (through messages() or
// takeMessages()) fails the test when the double goes away. Titles, filters and initial names
// are recorded as shown.

#include "motiondesk/ui/user_interface.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedUi final : public ui::UserInterface {
public:
    struct Question {
        std::string text;
        std::string title;
        bool operator==(const Question&) const = default;
    };
    struct Dialog {
        enum Kind { Open, Save } kind;
        std::string caption;
        std::string filter;
        std::string initialName;
        bool operator==(const Dialog&) const = default;
    };

    ~ScriptedUi() override {
        for (size_t i = seenMessages_; i < messages_.size(); ++i)
            ADD_FAILURE() << "message the test did not expect: \"" << messages_[i] << "\"";
        if (!answers.empty()) ADD_FAILURE() << answers.size() << " answers were never asked for";
        if (!fileNames.empty())
            ADD_FAILURE() << fileNames.size() << " file names were never asked for";
    }

    void showMessage(const std::string& text) override {
        messages_.push_back(text);
        if (onMessage) onMessage(text);
    }

    bool askYesNo(const std::string& text, const std::string& title) override {
        questions.push_back({text, title});
        if (answers.empty()) {
            ADD_FAILURE() << "question the test did not expect: \"" << text << "\"";
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    using ui::UserInterface::askYesNo;

    std::optional<std::string> openFileName(const ui::FileDialog& dialog) override {
        return nextFile({Dialog::Open, dialog.caption, dialog.filter, dialog.initialName});
    }
    std::optional<std::string> saveFileName(const ui::FileDialog& dialog) override {
        return nextFile({Dialog::Save, dialog.caption, dialog.filter, dialog.initialName});
    }
    void quitProgram() override { ++quitRequests; }

    // Every message so far; the test has now seen them.
    const std::vector<std::string>& messages() {
        seenMessages_ = messages_.size();
        return messages_;
    }
    // The messages since the last look, which the test has now seen.
    std::vector<std::string> takeMessages() {
        std::vector<std::string> fresh(messages_.begin() + long(seenMessages_), messages_.end());
        seenMessages_ = messages_.size();
        return fresh;
    }
    // Forgets the messages so far, seen or not (a test that does not care what loading said).
    void clearMessages() {
        messages_.clear();
        seenMessages_ = 0;
    }

    std::vector<Question> questions;
    std::vector<Dialog> dialogs;
    std::deque<bool> answers;                         // Yes is true
    std::deque<std::optional<std::string>> fileNames; // nullopt: the user cancels
    int quitRequests = 0;
    // Called as each message is shown, for tests that look at what had happened by then.
    std::function<void(const std::string&)> onMessage;

private:
    std::optional<std::string> nextFile(Dialog dialog) {
        dialogs.push_back(dialog);
        if (fileNames.empty()) {
            ADD_FAILURE() << "file dialog the test did not expect: \"" << dialog.caption << "\"";
            return std::nullopt;
        }
        auto name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    std::vector<std::string> messages_;
    size_t seenMessages_ = 0;
};

} // namespace testing_support
