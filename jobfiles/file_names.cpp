#include "jobfiles/file_names.h"

namespace jobfiles {

std::string pathIn(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

bool hasWildcard(const std::string& path) {
    return path.find('*') != std::string::npos;
}

SetupEntry splitSetupLine(const std::string& line) {
    return {line.substr(0, 3), line.size() > 4 ? line.substr(4) : std::string()};
}

} // namespace jobfiles
