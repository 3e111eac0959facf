#pragma once
// What motionctl writes: results on standard output (plain lines, or one JSON object per line
// with --json), failures as one line on standard error, and on a terminal a progress bar on
// standard error for work that takes a while.

#include <QJsonObject>

#include <chrono>
#include <cstdint>
#include <string>

namespace motionctl {

class Output {
public:
    Output(std::string command, bool json);

    bool json() const { return json_; }
    const std::string& command() const { return command_; }

    // Bytes as they are (program text, compiled lines, replies) on standard output.
    void write(const std::string& bytes);
    // One result line of plain output; nothing with --json.
    void line(const std::string& text);
    // One JSON object on a line of its own; only with --json.
    void object(const QJsonObject& object);
    // One line on standard error; returns code, for `return out.fail(...)`.
    int fail(int code, const std::string& text);
    // A usage error: the text and where help is found; returns the usage exit code.
    int usage(const std::string& text);
    // Something the user should know that is no failure, on standard error.
    void note(const std::string& text);

private:
    std::string command_;
    bool json_;
};

// Text of the controller or of a file (single-byte, Latin-1) as a JSON string: each byte one
// character, so nothing is lost on the way.
QString jsonText(const std::string& bytes);

// A progress bar with the count and the time left, redrawn at most ten times a second on
// standard error; nothing at all when standard error is no terminal.
class Progress {
public:
    explicit Progress(std::string label);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void setLabel(std::string label);
    void setMaximum(int64_t maximum);
    void setValue(int64_t value);
    // Clears the bar, so what follows starts on a clean line.
    void finish();

private:
    void draw(bool force);

    bool shown_;
    std::string label_;
    int64_t maximum_ = 0;
    int64_t value_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point drawn_;
    bool drawnOnce_ = false;
};

} // namespace motionctl
