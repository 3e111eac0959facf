#include "proglift/loader/loader_job.h"

#include "proglift/loader/controller_models.h"
#include "proglift/loader/download_job.h"
#include "proglift/loader/upload_job.h"

namespace proglift {

LoaderJob::LoaderJob(jobfiles::LoaderSetup setup, std::string folder,
                     transport::CommandTransport* transport, JobDisplay& display)
    : setup_(std::move(setup)), folder_(std::move(folder)), transport_(transport),
      display_(display) {}

LoaderJob::~LoaderJob() = default;

void LoaderJob::tick() {
    if (finished_) return;
    if (StartTicks < StartDelayTicks) {
        ++StartTicks;
        return;
    }
    stepStarted_ = std::chrono::steady_clock::now();
    step();
}

void LoaderJob::fail(const std::string& text) {
    if (finished_) return;
    outcome_.success = false;
    outcome_.LastErrorText = describeFailure(text);
    outcome_.uploadedLines.clear();
    finished_ = true;
}

void LoaderJob::succeed() {
    if (finished_) return;
    outcome_.success = true;
    finished_ = true;
}

bool LoaderJob::checkLineLimit() {
    if (!setup_.LineLimit) {
        fail("Invalid line limit \"" + setup_.LineLimitText + "\"!");
        return false;
    }
    if (*setup_.LineLimit > LargestSlotCount) {
        fail("Line limit " + std::to_string(*setup_.LineLimit) + " is more than the " +
             std::to_string(LargestSlotCount) + " slots of any controller!");
        return false;
    }
    return true;
}

bool LoaderJob::sliceUsedUp() const {
    return std::chrono::steady_clock::now() - stepStarted_ >= SliceLength;
}

bool LoaderJob::exchange(const std::string& command, std::string& reply) {
    display_.showCommand(command);
    if (!transport_) {
        fail("Communication Error!");
        return false;
    }
    if (transport_->SendCommand(command, reply) >= 0) return true;
    transport_->state().LinkOpen = false;
    fail(transport_->LastErrorText);
    return false;
}

void LoaderJob::setProgressMaximum(int32_t maximum) {
    display_.setProgressMaximum(maximum);
}

void LoaderJob::setProgressValue(int32_t value) {
    display_.setProgressValue(value);
}

std::unique_ptr<LoaderJob> makeLoaderJob(const jobfiles::LoaderSetup& setup,
                                         const std::string& folder,
                                         transport::CommandTransport* transport,
                                         JobDisplay& display) {
    switch (setup.LoaderOperation) {
    case jobfiles::DownloadOrClear:
        return std::make_unique<DownloadJob>(setup, folder, transport, display);
    case jobfiles::Upload:
        return std::make_unique<UploadJob>(setup, folder, transport, display);
    default:
        return nullptr;
    }
}

} // namespace proglift
