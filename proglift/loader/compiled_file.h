#pragma once
// The compiled program to download: the file Progsmith wrote, one compiled line per program slot,
// followed by one empty line that marks the end.

#include <string>
#include <vector>

namespace proglift {

struct CompiledProgram {
    bool ok = false;
    std::vector<std::string> lines; // the program lines only, slot 0 first
    std::string errorText;          // why the file cannot be downloaded
};

// Splits at LF (a CR before it belongs to the line end); a last line without a line end counts.
std::vector<std::string> splitCrLfLines(const std::string& bytes);

// Reads folder/fileName. Refuses a missing or empty file, and lines holding a CR or NUL
// character, which would cut the command short on the wire and shift every later slot.
CompiledProgram LoadDownloadFile(const std::string& folder, const std::string& fileName);

} // namespace proglift
