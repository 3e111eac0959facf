#include "controller/parameter_file_format.h"

#include "common/numbers.h"
#include "controller/polarity_word.h"

#include <algorithm>
#include <iterator>

namespace setup {

namespace {

enum class LineKind {
    Text,     // as the user left it
    Number,   // written as the text, read back as a whole number
    CheckBox, // " 0 " or " 1 " (a 2 is read as ticked)
};

struct ParameterLine {
    LineKind kind;
    std::string SetupPanel::*text;
    bool SetupPanel::*box;
};

constexpr ParameterLine text(std::string SetupPanel::*member) {
    return {LineKind::Text, member, nullptr};
}
constexpr ParameterLine number(std::string SetupPanel::*member) {
    return {LineKind::Number, member, nullptr};
}
constexpr ParameterLine box(bool SetupPanel::*member) {
    return {LineKind::CheckBox, nullptr, member};
}

// Lines 2 to 32. The positive joystick limits come outer before inner, unlike the negative
// ones, and LCA comes before HCA: files already written depend on it.
constexpr ParameterLine kLines[] = {
    text(&SetupPanel::baudCombo),
    text(&SetupPanel::DeviceIDCombo),
    box(&SetupPanel::DIOenable),
    text(&SetupPanel::JoyMaxSpdX),
    text(&SetupPanel::JoyMaxDeltaX),
    text(&SetupPanel::JoyZeroTolX),
    text(&SetupPanel::NegOuterX),
    text(&SetupPanel::NegInnerX),
    text(&SetupPanel::PosOuterX),
    text(&SetupPanel::PosInnerX),
    box(&SetupPanel::joyenable),
    box(&SetupPanel::VerimoveEnable),
    text(&SetupPanel::VerimoveRatio),
    text(&SetupPanel::VerimoveMaxAttempt),
    text(&SetupPanel::VerimoveTolRange),
    text(&SetupPanel::VerimoveErrorRange),
    text(&SetupPanel::MicrostepSelect),
    text(&SetupPanel::RunCurrentSelect),
    text(&SetupPanel::IdleCurrentSelect),
    text(&SetupPanel::IdleTimeSelect),
    box(&SetupPanel::RunOnBoot),
    box(&SetupPanel::RT),
    box(&SetupPanel::RunOnBoot2),
    number(&SetupPanel::Watchdog),
    number(&SetupPanel::EOBOOT),
    number(&SetupPanel::DOBOOT),
    box(&SetupPanel::EnaDEC),
    number(&SetupPanel::LCA),
    number(&SetupPanel::HCA),
    box(&SetupPanel::RZ),
    box(&SetupPanel::IERR),
};
static_assert(std::size(kLines) + 1 == kParameterFileLines);

// False when the line is not what its position needs.
bool applyLine(const ParameterLine& line, const std::string& read, SetupPanel& panel) {
    switch (line.kind) {
    case LineKind::Text:
        panel.*line.text = read;
        return true;
    case LineKind::Number: {
        // An empty box is saved as an empty line; it stands for 0, as a download sends it.
        if (read.find_first_not_of(" \t") == std::string::npos) {
            (panel.*line.text).assign(1, '0');
            return true;
        }
        const auto value = common::toWholeNumber(read);
        if (!value) return false;
        panel.*line.text = std::to_string(*value);
        return true;
    }
    // A check box takes 0, 1 and 2 (2 is its grayed state, which shows it ticked); any other
    // value is one it does not accept.
    case LineKind::CheckBox: {
        const auto value = common::toWholeNumber(read);
        if (!value || *value < 0 || *value > 2) return false;
        panel.*line.box = *value != 0;
        return true;
    }
    }
    return false;
}

} // namespace

std::vector<std::string> parameterFileLines(const SetupPanel& panel) {
    std::vector<std::string> lines{std::to_string(FilePolarityWord(panel))};
    for (const ParameterLine& line : kLines)
        lines.push_back(line.kind == LineKind::CheckBox ? numberLine(panel.*line.box ? 1 : 0)
                                                        : asFileLine(panel.*line.text));
    return lines;
}

void applyParameterFileLines(const std::vector<std::string>& lines, SetupPanel& panel) {
    if (lines.empty()) return;
    // Any whole number carries its bits: values are not range-tested.
    const auto word = common::toWholeNumber(lines[0]);
    if (!word) return;
    applyFilePolarityWord(*word, panel);
    for (size_t i = 0; i < std::size(kLines) && i + 1 < lines.size(); ++i)
        if (!applyLine(kLines[i], lines[i + 1], panel)) return;
}

std::optional<std::string> parameterFileProblem(const std::vector<std::string>& lines) {
    if (lines.empty() || !common::toWholeNumber(lines[0]))
        return std::string("line 1 holds no polarity word");
    SetupPanel scratch;
    for (size_t i = 0; i < std::size(kLines); ++i) {
        if (i + 1 >= lines.size())
            return "it ends after line " + std::to_string(lines.size()) + " of " +
                   std::to_string(kParameterFileLines);
        if (!applyLine(kLines[i], lines[i + 1], scratch))
            return "line " + std::to_string(i + 2) + " holds \"" + lines[i + 1] +
                   "\", which is not what that line takes";
    }
    return std::nullopt;
}

std::string asFileLine(const std::string& text) {
    std::string line = text;
    line.erase(
        std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
        line.end());
    return line;
}

std::string numberLine(long long value) {
    return (value < 0 ? "" : " ") + std::to_string(value) + " ";
}

} // namespace setup
