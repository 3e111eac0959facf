#pragma once
// A compiled program file: the CompileOut.txt Progsmith wrote (or an UploadOut.txt, a .cpg), one
// compiled line per program slot, followed by one empty line that marks the end.

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace jobfiles {

struct CompiledProgram {
    bool ok = false;
    std::vector<std::string> lines; // the program lines only, slot 0 first
    std::string errorText;          // why the file cannot be downloaded
};

// No compiled line comes near this; a longer one means the file is not a compiled program.
inline constexpr size_t LongestCompiledLine = 4096;

// Reads the compiled program file path from in: lines end at LF (a CR before it belongs to the line
// end), a last line without a line end counts, and the closing empty line is dropped. Refuses an
// empty file, lines holding a CR or NUL (they would cut the command short on the wire and shift
// every later slot) and lines too long to be compiled lines. Reading stops after maxLines program
// lines plus one, which is enough to tell that the program is too long.
CompiledProgram readCompiledProgram(std::istream& in, const std::string& path, size_t maxLines);

// Reads folder/fileName; a missing file is refused too.
CompiledProgram LoadDownloadFile(const std::string& folder, const std::string& fileName,
                                 size_t maxLines);

} // namespace jobfiles
