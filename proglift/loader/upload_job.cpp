#include "proglift/loader/upload_job.h"

#include "jobfiles/file_names.h"

namespace proglift {

void UploadJob::start() {
    display_.showPhase("Uploading the program...");
}

bool UploadJob::writeResult() const {
    return jobfiles::writeUploadResult(jobfiles::pathIn(folder_, jobfiles::kUploadResultFile),
                                       outcome_);
}

void UploadJob::step() {
    if (!readingStarted_) {
        if (!checkLineLimit()) return;
        setProgressMaximum(*setup_.LineLimit);
        readingStarted_ = true;
    }
    readSlots();
}

// The limit itself is read too: a controller whose slots are all filled answers it empty. The
// loop stops when the tick's slice is used up and goes on from the next slot at the next tick.
void UploadJob::readSlots() {
    while (linesComcounted <= *setup_.LineLimit) {
        const int32_t i = linesComcounted;
        std::string reply;
        if (!exchange("SA" + std::to_string(i), reply)) return;
        ++linesComcounted;
        setProgressValue(i / 2);
        if (reply.empty()) break;
        outcome_.uploadedLines.push_back(reply);
        if (sliceUsedUp()) return;
    }
    finish();
}

void UploadJob::finish() {
    setProgressValue(static_cast<int32_t>(*setup_.LineLimit * 0.6));
    setProgressValue(*setup_.LineLimit);
    succeed();
}

} // namespace proglift
