#pragma once
// What the terminal does with a typed command: it addresses the device in the ID box (on the
// serial line), runs the terminal exchange (the reply as the controller sent it, a silent
// time-out, an empty USB reply accepted) and writes both to the transcript. Plain logic: the
// window only passes the texts in and shows the transcript.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace transport {
class CommandTransport;
}

namespace ui {
class UserInterface;
}

namespace windows {

class TerminalSession {
public:
    // transport: the terminal's own exchange (terminal policy) over the window's port.
    TerminalSession(transport::CommandTransport& transport, ui::UserInterface& ui);

    // Load: remembers the device name the terminal must give back on close, and tells the user
    // when there is no link to talk over (unless the window's port has just said why).
    void load(bool tellClosedLink = true);
    // Close: the device name as it was when the terminal opened (serial line).
    void close();

    struct Entered {
        bool sent = false;
        std::string deviceId; // the ID box as written back ("1" becomes "01")
    };
    // Enter in the command box, with the ID box's text.
    Entered enter(const std::string& command, const std::string& deviceIdText);

    // F1: the last command entered; Up and Down walk every command of this session.
    const std::string& PreviousCommand() const { return previous_; }
    std::optional<std::string> olderCommand();
    std::optional<std::string> newerCommand();

    // The transcript as the window shows it, every line ended by CR LF: bytes of a reply that
    // cannot be shown appear as \xNN. With time stamps each line starts with one.
    const std::string& transcript() const { return shown_; }
    void setTimeStamps(bool on) { timeStamps_ = on; }
    void setClockText(std::function<std::string()> now) { now_ = std::move(now); }

    // The transcript as a file, with the bytes the controller sent as they came: its text, one
    // more line end if it does not end in one, and an empty line.
    std::string fileText() const;

private:
    // The line as it came, and as the window shows it.
    void appendLine(const std::string& line, const std::string& shown);
    void appendLine(const std::string& line) { appendLine(line, line); }

    transport::CommandTransport& transport_;
    ui::UserInterface& ui_;
    std::string remembered_;
    std::string previous_;
    std::vector<std::string> history_;
    size_t historyAt_ = 0;
    std::string transcript_; // as it came
    std::string shown_;
    bool timeStamps_ = false;
    std::function<std::string()> now_;
};

// A reply as the transcript shows it: bytes that cannot be shown (control bytes, NUL) as \xNN.
std::string shownReply(const std::string& reply);

} // namespace windows
