#pragma once
// Writing a file so that no reader ever sees half of it: the bytes go into a temporary file
// beside it, "<name>.tmp<digits>", which is made anew (never an existing name, never through a
// link someone planted there) and renamed into place. A temporary that an earlier writer, killed
// before its rename, left beside the file is removed first.

#include <string>

namespace common {

// 0 when the bytes are in place; otherwise the errno of the step that failed, and no temporary
// is left.
int replaceFile(const std::string& path, const std::string& bytes);

// Writes straight into path, made when missing, never through a link: for a folder that takes no
// new file but lets an old one be rewritten. 0 or the errno of the step that failed.
int overwriteFile(const std::string& path, const std::string& bytes);

// Removes the temporaries "<name>.tmp<digits>" beside path (files and links only).
void removeLeftoverTemporaries(const std::string& path);

} // namespace common
