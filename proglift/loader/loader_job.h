#pragma once
// The common frame of the loader's jobs: they run on the window's step timer, start after a
// short delay, talk to the controller through the transport (USB, serial) or the TCP queue, and
// end with one outcome that becomes the result file.

#include "motiondesk/transport/command_transport.h"
#include "proglift/loader/ethernet_link.h"
#include "proglift/loader/ethernet_queue.h"
#include "proglift/loader/job_display.h"
#include "proglift/loader/loader_setup.h"
#include "proglift/loader/result_files.h"

#include <chrono>
#include <memory>
#include <string>

namespace proglift {

struct JobLinks {
    transport::CommandTransport* transport = nullptr; // USB and serial
    EthernetLink* ethernet = nullptr;                 // TCP
};

class LoaderJob {
public:
    // folder is the loader's own folder: the compiled file is read from it.
    LoaderJob(LoaderSetup setup, std::string folder, JobLinks links, JobDisplay& display);
    virtual ~LoaderJob();
    LoaderJob(const LoaderJob&) = delete;
    LoaderJob& operator=(const LoaderJob&) = delete;

    // Shows the window's opening text.
    virtual void start() = 0;
    // One tick of the step timer.
    void tick();
    // Ends the job with a failure (also for failures of the window around it).
    void fail(const std::string& text);

    bool finished() const { return finished_; }
    const JobOutcome& outcome() const { return outcome_; }
    // Writes the job's result file into the loader's folder.
    virtual bool writeResult() const = 0;

    // Ticks that pass before the work starts.
    static constexpr int32_t StartDelayTicks = 10;
    // The TCP queue holds commands at indexes 1 .. 10000.
    static constexpr int32_t EthernetQueueCapacity = 10000;
    // How long one tick may go on sending over serial or USB before the loop over the slots
    // hands back to the window (which then repaints and can be closed) and goes on next tick.
    static constexpr std::chrono::milliseconds SliceLength{50};

protected:
    virtual void step() = 0;
    // The failure text as the result file gives it; a job adds what it had already done.
    virtual std::string describeFailure(const std::string& text) const { return text; }
    // A reply to a queued TCP command has arrived.
    virtual void replyReceived() {}
    void succeed();

    bool overEthernet() const { return setup_.LinkType == transport::LinkEthernet; }
    // False (after failing the job) when LIN named no usable number of slots.
    bool checkLineLimit();
    // True once the current tick has worked for SliceLength.
    bool sliceUsedUp() const;
    // One USB or serial exchange; a failure ends the job with the transport's text.
    bool exchange(const std::string& command, std::string& reply);
    // Sends the next queued command when the last reply is in; false when the queue has ended.
    bool pumpQueue();

    void setProgressMaximum(int32_t maximum);
    void setProgressValue(int32_t value);

    LoaderSetup setup_;
    std::string folder_;
    JobLinks links_;
    JobDisplay& display_;
    EthernetQueue queue_;
    JobOutcome outcome_;

private:
    bool linkUsable();
    void ethernetReply(const std::string& reply);
    void advance();

    int32_t StartTicks = 0;
    std::chrono::steady_clock::time_point stepStarted_;
    bool finished_ = false;
    bool stepping_ = false;
    bool stepAgain_ = false;
    int32_t progressMaximum_ = 0;
    int32_t progressValue_ = 0;
};

// The job the set-up file asks for (download, clear or upload); nullptr when it asks for none.
std::unique_ptr<LoaderJob> makeLoaderJob(const LoaderSetup& setup, const std::string& folder,
                                         JobLinks links, JobDisplay& display);

} // namespace proglift
