#pragma once
// The common frame of the loader's jobs: they run on the window's step timer, start after a
// short delay, talk to the controller through the transport (USB, serial or TCP alike), and end
// with one outcome that becomes the result file.

#include "jobfiles/loader_setup.h"
#include "jobfiles/results.h"
#include "link/command_transport.h"
#include "proglift/loader/job_display.h"

#include <chrono>
#include <memory>
#include <string>

namespace proglift {

class LoaderJob {
public:
    // folder is the loader's own folder: the compiled file is read from it.
    // transport is null when no link could be named; every exchange then fails.
    LoaderJob(jobfiles::LoaderSetup setup, std::string folder,
              transport::CommandTransport* transport, JobDisplay& display);
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
    const jobfiles::LoaderOutcome& outcome() const { return outcome_; }
    // Writes the job's result file into the loader's folder.
    virtual bool writeResult() const = 0;

    // Ticks that pass before the work starts.
    static constexpr int32_t StartDelayTicks = 10;
    // How long one tick may go on sending before the loop over the slots hands back to the
    // window (which then repaints and can be closed) and goes on next tick.
    static constexpr std::chrono::milliseconds SliceLength{50};

protected:
    virtual void step() = 0;
    // The failure text as the result file gives it; a job adds what it had already done.
    virtual std::string describeFailure(const std::string& text) const { return text; }
    void succeed();

    // False (after failing the job) when LIN named no usable number of slots.
    bool checkLineLimit();
    // True once the current tick has worked for SliceLength.
    bool sliceUsedUp() const;
    // One exchange; a failure ends the job with the transport's text.
    bool exchange(const std::string& command, std::string& reply);

    void setProgressMaximum(int32_t maximum);
    void setProgressValue(int32_t value);

    jobfiles::LoaderSetup setup_;
    std::string folder_;
    transport::CommandTransport* transport_;
    JobDisplay& display_;
    jobfiles::LoaderOutcome outcome_;

private:
    int32_t StartTicks = 0;
    std::chrono::steady_clock::time_point stepStarted_;
    bool finished_ = false;
};

// The job the set-up file asks for (download, clear or upload); nullptr when it asks for none.
std::unique_ptr<LoaderJob> makeLoaderJob(const jobfiles::LoaderSetup& setup,
                                         const std::string& folder,
                                         transport::CommandTransport* transport,
                                         JobDisplay& display);

} // namespace proglift
