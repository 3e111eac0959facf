#include "proglift/loader/loader_job.h"

#include "proglift/loader/controller_models.h"
#include "proglift/loader/download_job.h"
#include "proglift/loader/upload_job.h"

namespace proglift {

// An upload queues LineLimit + 1 reads.
static_assert(LargestSlotCount < LoaderJob::EthernetQueueCapacity,
              "the TCP queue holds every command of a job");

LoaderJob::LoaderJob(LoaderSetup setup, std::string folder, JobLinks links, JobDisplay& display)
    : setup_(std::move(setup)), folder_(std::move(folder)), links_(links), display_(display) {
    if (links_.ethernet) {
        links_.ethernet->onReply = [this](const std::string& reply) { ethernetReply(reply); };
        links_.ethernet->onFailure = [this](const std::string& text) { fail(text); };
    }
}

LoaderJob::~LoaderJob() {
    if (links_.ethernet) {
        links_.ethernet->onReply = nullptr;
        links_.ethernet->onFailure = nullptr;
    }
}

void LoaderJob::tick() {
    if (finished_) return;
    if (StartTicks < StartDelayTicks) {
        ++StartTicks;
        return;
    }
    advance();
}

// A reply may arrive while a step runs (a link that answers at once); the step then runs again
// after the current one instead of inside it.
void LoaderJob::advance() {
    if (stepping_) {
        stepAgain_ = true;
        return;
    }
    do {
        stepAgain_ = false;
        stepping_ = true;
        stepStarted_ = std::chrono::steady_clock::now();
        if (linkUsable()) step();
        stepping_ = false;
    } while (stepAgain_ && !finished_);
}

// A TCP connection still being made is waited for; one that failed or was closed ends the job.
bool LoaderJob::linkUsable() {
    if (!overEthernet()) return true;
    const auto state = links_.ethernet ? links_.ethernet->state() : EthernetLink::State::Closed;
    if (state == EthernetLink::State::Connected) return true;
    if (state == EthernetLink::State::Closed) fail("Could not open TCP/IP socket!");
    return false;
}

void LoaderJob::ethernetReply(const std::string& reply) {
    if (finished_) return;
    replyReceived();
    queue_.HandleEthernetReply(reply, outcome_.uploadedLines);
    // The next command goes out at once rather than on the next tick: one command per reply.
    advance();
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
    if (!links_.transport) {
        fail("Communication Error!");
        return false;
    }
    if (links_.transport->SendCommand(command, reply) >= 0) return true;
    links_.transport->state().LinkOpen = false;
    fail(links_.transport->LastErrorText);
    return false;
}

bool LoaderJob::pumpQueue() {
    if (!queue_.queueActive()) return false;
    if (!queue_.readyToSend()) return true;
    const std::string command = queue_.takeNextCommand();
    display_.showCommand(command);
    if (progressValue_ != progressMaximum_) setProgressValue(progressValue_ + 1);
    links_.ethernet->send(command);
    return true;
}

void LoaderJob::setProgressMaximum(int32_t maximum) {
    progressMaximum_ = maximum;
    display_.setProgressMaximum(maximum);
}

void LoaderJob::setProgressValue(int32_t value) {
    progressValue_ = value;
    display_.setProgressValue(value);
}

std::unique_ptr<LoaderJob> makeLoaderJob(const LoaderSetup& setup, const std::string& folder,
                                         JobLinks links, JobDisplay& display) {
    switch (setup.LoaderOperation) {
    case DownloadOrClear:
        return std::make_unique<DownloadJob>(setup, folder, links, display);
    case Upload:
        return std::make_unique<UploadJob>(setup, folder, links, display);
    default:
        return nullptr;
    }
}

} // namespace proglift
