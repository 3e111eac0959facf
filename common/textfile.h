#pragma once
// Single-byte text files with CR LF line ends, as every file of the suite is written.
// Readers accept CR LF, a lone CR and a lone LF; a last line without a line end counts,
// a final line end adds no empty line. Bytes are kept as they are (Latin-1).

#include <string>
#include <vector>

namespace common {

enum class FileStatus { Ok, Missing, Unreadable };

struct TextFile {
    FileStatus status = FileStatus::Missing;
    std::vector<std::string> lines;
    bool ok() const { return status == FileStatus::Ok; }
};

std::vector<std::string> splitLines(const std::string& text);
TextFile readTextFile(const std::string& path);
bool fileExists(const std::string& path);

// A file the user chose, read whole when it is a regular file of at most maxBytes. A FIFO, a
// device or a folder is no file to read (reading a FIFO or /dev/zero would never end).
struct ChosenFile {
    enum class Status { Ok, Missing, NotRegular, TooLarge, Unreadable } status = Status::Missing;
    std::string bytes;
    long long size = 0;
};
ChosenFile readChosenFile(const std::string& path, long long maxBytes);
// "File <path> does not exist!", "... is not a regular file ...", "... is too large for a <kind>
// (<n> bytes) ...", "... cannot be read ...": what the user is told when a chosen file is not
// read; empty for Ok.
std::string chosenFileProblem(const ChosenFile& file, const std::string& path,
                              const std::string& kind);

// The lines of a chosen text file (CR LF, a lone CR or a lone LF end a line), or what the user is
// told instead: chosenFileProblem, or that the file holds a NUL byte and so is binary data, no
// text (any other byte may stand in a text file: a form feed, a closing Ctrl-Z).
struct ChosenText {
    std::vector<std::string> lines;
    std::string problem; // empty when the lines were read
    bool ok() const { return problem.empty(); }
};
ChosenText readChosenTextFile(const std::string& path, long long maxBytes, const std::string& kind);

// Writes each line followed by CR LF into a temporary file beside `path`, then renames it into
// place, so a reader never sees half a file and a failed write leaves the old file intact.
bool writeLinesAtomically(const std::string& path, const std::vector<std::string>& lines);
bool writeTextAtomically(const std::string& path, const std::string& bytes);

// Why a file could not be written, as far as can be told afterwards.
std::string saveFailureReason(const std::string& path);

} // namespace common
