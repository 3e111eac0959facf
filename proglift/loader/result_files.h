#pragma once
// The loader's result files, in its own folder. Each is written to a temporary file beside it and
// renamed into place, so Motiondesk never reads half a result.

#include <string>
#include <vector>

namespace proglift {

inline constexpr const char* DownloadResultFileName = "DownloadOut.txt";
inline constexpr const char* UploadResultFileName = "UploadOut.txt";
inline constexpr const char* DownloadSuccessText = "DOWNLOAD SUCCESS!";
inline constexpr const char* DownloadFailedText = "DOWNLOAD FAILED!";
inline constexpr const char* UploadFailedText = "UPLOAD FAILED!";

// Outcome of a job, as its result file reports it.
struct JobOutcome {
    bool success = false;
    std::string LastErrorText;
    std::vector<std::string> uploadedLines; // upload only
};

// DownloadOut.txt: "DOWNLOAD SUCCESS!", or "DOWNLOAD FAILED!" and the error text.
bool writeDownloadResult(const std::string& folder, const JobOutcome& outcome);

// UploadOut.txt: the uploaded lines (none gives an empty file), or "UPLOAD FAILED!" and the
// error text. Every line is written, however long the upload.
bool writeUploadResult(const std::string& folder, const JobOutcome& outcome);

} // namespace proglift
