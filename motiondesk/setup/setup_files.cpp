#include "motiondesk/setup/setup_files.h"

#include "common/textfile.h"
#include "motiondesk/ui/user_interface.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace setup {

namespace {

// A text file may hold any byte but NUL (a form feed, a closing Ctrl-Z): only a NUL says it is
// binary.
bool isBinary(const std::string& bytes) {
    return bytes.find('\0') != std::string::npos;
}

} // namespace

bool isPattern(const std::string& name) {
    return name.find('*') != std::string::npos;
}

std::optional<std::vector<std::string>>
readSetupFile(ui::UserInterface& ui, const std::string& name, const std::string& kind) {
    const common::ChosenFile file = common::readChosenFile(name, kLargestSetupFileBytes);
    if (file.status != common::ChosenFile::Status::Ok) {
        ui.showMessage(common::chosenFileProblem(file, name, kind));
        return std::nullopt;
    }
    const std::string& bytes = file.bytes;
    if (isBinary(bytes)) {
        ui.showMessage("File " + name + " holds binary data and is no " + kind +
                       "; nothing was opened.");
        return std::nullopt;
    }
    return common::splitLines(bytes);
}

void writeSetupFile(ui::UserInterface& ui, const std::string& name,
                    const std::vector<std::string>& lines, const std::string& doneMessage) {
    if (!common::writeLinesAtomically(name, lines))
        return ui.showMessage("File " + name +
                              " could not be saved: " + common::saveFailureReason(name));
    ui.showMessage(doneMessage);
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
