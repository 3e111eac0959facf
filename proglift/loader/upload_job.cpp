#include "proglift/loader/upload_job.h"

namespace proglift {

void UploadJob::start() {
    display_.showPhase("Uploading the program...");
}

bool UploadJob::writeResult() const {
    return writeUploadResult(folder_, outcome_);
}

void UploadJob::step() {
    if (UploadStep == 1) {
        if (!readingStarted_) {
            if (!checkLineLimit()) return;
            setProgressMaximum(*setup_.LineLimit);
            if (overEthernet()) {
                queueSlotReads();
                return;
            }
            readingStarted_ = true;
        }
        readSlots();
        return;
    }
    if (!pumpQueue()) finish();
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

// Over TCP slots 0 .. LineLimit - 1 are read; the first empty reply ends the queue early.
void UploadJob::queueSlotReads() {
    for (int32_t i = 0; i <= *setup_.LineLimit; ++i)
        queue_.QueueEthernetCommand("SA" + std::to_string(i), UploadRead, i + 1);
    UploadStep = 2;
    queue_.StartEthernetQueue(*setup_.LineLimit + 1);
}

void UploadJob::finish() {
    setProgressValue(static_cast<int32_t>(*setup_.LineLimit * 0.6));
    setProgressValue(*setup_.LineLimit);
    succeed();
}

} // namespace proglift
