#pragma once
// The loader's result files, in its own folder. Each is written to a temporary file beside it and
// renamed into place, so Motiondesk never reads half a result. The previous result is removed
// before a run starts working, so a run that is killed or cannot write leaves no earlier result
// standing for its own.

#include <cstdint>
#include <optional>
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

// Removes the result file of the operation (DownloadOut.txt, or UploadOut.txt for an upload) and
// a temporary file an earlier run left beside it. The failure text when it cannot be removed.
std::optional<std::string> removePreviousResult(const std::string& folder, int16_t loaderOperation);

// The writers below return false when the result could not be written; the failure ("... FAILED!"
// and why) is then written in its place where that is still possible.

// DownloadOut.txt: "DOWNLOAD SUCCESS!", or "DOWNLOAD FAILED!" and the error text.
bool writeDownloadResult(const std::string& folder, const JobOutcome& outcome);

// UploadOut.txt: the uploaded lines (none gives an empty file), or "UPLOAD FAILED!" and the
// error text. Every line is written, however long the upload.
bool writeUploadResult(const std::string& folder, const JobOutcome& outcome);

} // namespace proglift
