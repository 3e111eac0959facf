#include "motiondesk/setup/setup_files.h"

#include "common/textfile.h"
#include "motiondesk/ui/user_interface.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace setup {

namespace {

// Text files hold no control characters but tabs and line ends.
bool isBinary(const std::string& bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && c != '\t' && c != '\r' && c != '\n';
    });
}

} // namespace

bool isPattern(const std::string& name) {
    return name.find('*') != std::string::npos;
}

std::optional<std::vector<std::string>>
readSetupFile(ui::UserInterface& ui, const std::string& name, const std::string& kind) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        ui.showMessage("File " + name + " does not exist!");
        return std::nullopt;
    }
    if (info.st_size > kLargestSetupFileBytes) {
        ui.showMessage("File " + name + " is too large for a " + kind + " (" +
                       std::to_string(info.st_size) + " bytes); nothing was opened.");
        return std::nullopt;
    }
    std::ifstream in(name, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.is_open() || in.bad()) {
        ui.showMessage("File " + name + " cannot be read; nothing was opened.");
        return std::nullopt;
    }
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
