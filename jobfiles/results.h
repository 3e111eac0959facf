#pragma once
// The result files the helpers leave in their folder, written and judged here. Progsmith writes
// CompileOut.txt and DecompileOut.prg, Proglift DownloadOut.txt and UploadOut.txt; Motiondesk
// reads them once the helper has ended. A failed job's file starts with its failure word, and a
// reader tells success from failure by that first line alone.
//
// Every result is written to a temporary file beside it and renamed into place, so nobody reads
// half a result; when that fails, the failure word and why take its place where that is still
// possible. A run removes its previous result before it starts working, so a run that is killed
// or cannot write leaves no earlier result standing for its own.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace jobfiles {

inline constexpr const char* kCompileFailedText = "Failed Compile!";
inline constexpr const char* kDecompileFailedText = "FAILED DECOMPILE";
inline constexpr const char* kDownloadSuccessText = "DOWNLOAD SUCCESS!";
inline constexpr const char* kDownloadFailedText = "DOWNLOAD FAILED!";
inline constexpr const char* kUploadFailedText = "UPLOAD FAILED!";

// Removes the result at path and any temporary file an earlier run left beside it; why it could
// not, when it could not.
std::optional<std::string> removePreviousResult(const std::string& path);

// Writers. Each returns false when the result could not be written.

// CompileOut.txt: the compiled lines, then one empty line (readers count the lines but that one).
bool writeCompiledLines(const std::string& path, const std::vector<std::string>& lines);
// CompileOut.txt of a program with an error: "Failed Compile!", the message, "Line: <n>".
bool writeCompileError(const std::string& path, const std::string& message, int lineNumber);
std::vector<std::string> compileErrorLines(const std::string& message, int lineNumber);
// DecompileOut.prg: the program text's lines.
bool writeDecompiledLines(const std::string& path, const std::vector<std::string>& lines);
// DecompileOut.prg of a decompile that could not be done: "FAILED DECOMPILE".
bool writeDecompileFailure(const std::string& path);
// The failure word of the file and the reason: a run that could not do its job at all.
bool writeRunFailure(const std::string& path, const char* failedText, const std::string& reason);

// What a loader job came to, as its result file reports it.
struct LoaderOutcome {
    bool success = false;
    std::string LastErrorText;
    std::vector<std::string> uploadedLines; // upload only
};
// DownloadOut.txt: "DOWNLOAD SUCCESS!", or "DOWNLOAD FAILED!" and the error text.
bool writeDownloadResult(const std::string& path, const LoaderOutcome& outcome);
// UploadOut.txt: the uploaded lines (none gives an empty file), or "UPLOAD FAILED!" and the error
// text. Every line is written, however long the upload.
bool writeUploadResult(const std::string& path, const LoaderOutcome& outcome);

// Readers.

// The lines of a result file, or why it could not be read (missing, unreadable, or larger than
// any result a helper writes: maxBytes).
struct ResultFile {
    std::vector<std::string> lines;
    std::optional<std::string> error;
};
ResultFile readResultFile(const std::string& path, std::size_t maxBytes);

// What the user is told of a result: "Done!", or every line of the failure report, each
// followed by CR LF, shown readably (control bytes as "?", at most 40 lines of 200 characters).
struct ResultVerdict {
    bool success = false;
    std::string message;
};
// The first line decides: "FAILED" or "Failed" in it is a failure, shown whole; anything else is
// "Done!". A file without a single line is a success where it can be one (an upload or decompile
// of an empty program); a compile or download result always has a line, and one without was not
// written by a helper that finished its job.
enum class EmptyResult { Success, Failure };
ResultVerdict judgeResult(const std::vector<std::string>& lines, const std::string& fileName,
                          EmptyResult empty);

// The compiled lines of a CompileOut.txt: its lines but the final empty one (never below 0).
int CountCompiledLines(const std::vector<std::string>& lines);

// The program line a failed compile names: the whole number after "Line: " of the last line
// that holds "Line"; nullopt when there is none.
std::optional<int> ReadFailedLine(const std::vector<std::string>& lines);

} // namespace jobfiles
