#pragma once
// The loader's jobs (download, clear, upload), the ones Proglift runs, driven to their end from
// the command line with a progress bar; and the per-ID loop of the commands that take a LINK.

#include "jobfiles/loader_setup.h"
#include "jobfiles/results.h"
#include "motionctl/link_options.h"
#include "motionctl/output.h"

#include <functional>
#include <string>

#include "proglift/loader/job_display.h"

namespace proglift {
class LoaderJob;
}

namespace motionctl {

// A loader job's phase and progress on the progress bar.
class ProgressDisplay final : public proglift::JobDisplay {
public:
    explicit ProgressDisplay(Progress& progress) : progress_(progress) {}
    void showPhase(const std::string& text) override { progress_.setLabel(text); }
    void showCommand(const std::string&) override {}
    void setProgressMaximum(int32_t maximum) override { progress_.setMaximum(maximum); }
    void setProgressValue(int32_t value) override { progress_.setValue(value); }

private:
    Progress& progress_;
};

// The set-up of a loader job for the model: its slots as the line limit.
jobfiles::LoaderSetup loaderSetup(const std::string& model, jobfiles::LoaderOperationKind kind,
                                  bool clearOnly);

// Runs the job until it has finished; what it came to.
jobfiles::LoaderOutcome runLoaderJob(proglift::LoaderJob& job, Progress& progress);

// Runs work once per ID of the link, in order, each after opening the link for it. A failure to
// open is reported (code 4) and the next ID goes on. The first failing ID's code is the result.
int forEachId(LinkSession& session, Output& out,
              const std::function<int(const std::string& id)>& work);

// JSON fields every per-ID object starts with.
QJsonObject idObject(const LinkSession& session, const std::string& id);

// An ID that failed: its object with "ok": false and the error, and the one line on standard
// error; returns code.
int failId(Output& out, QJsonObject object, const std::string& error, int code);

} // namespace motionctl
