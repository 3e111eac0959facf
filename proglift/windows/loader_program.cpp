#include "proglift/windows/loader_program.h"

#include "jobfiles/file_names.h"
#include "proglift/loader/loader_job.h"
#include "proglift/loader/loader_link.h"
#include "proglift/windows/job_window.h"

#include <cstdio>

namespace proglift {

namespace {

const char* cancelledText(const jobfiles::LoaderSetup& setup) {
    return setup.LoaderOperation == jobfiles::Upload ? "Upload cancelled!" : "Download cancelled!";
}

} // namespace

int runLoader(const std::string& folder, transport::LinkFactory factory) {
    const jobfiles::LoaderSetup setup = jobfiles::ReadLoaderSetup(folder);
    if (setup.LoaderOperation == jobfiles::NoOperation) return LoaderNothingToDo;

    const bool upload = setup.LoaderOperation == jobfiles::Upload;
    JobWindow window(upload ? JobWindow::Kind::Upload : JobWindow::Kind::Download);
    transport::ControllerLink link(std::move(factory), transport::TransportPolicy::proglift());
    // Before any work: a run that is killed, or cannot write its own result, must not leave the
    // previous one to be read as this run's. A result that cannot be removed stops the run before
    // anything is sent, as this run could not report what it did.
    auto failure = jobfiles::removePreviousResult(jobfiles::pathIn(
        folder, upload ? jobfiles::kUploadResultFile : jobfiles::kDownloadResultFile));
    if (!failure) failure = openLoaderLink(link, setup);
    auto job = makeLoaderJob(setup, folder, link.transport(), window);
    job->start();
    if (failure) {
        job->fail(*failure);
    } else {
        window.show();
        // A window closed before the job's end leaves no earlier result standing for this run.
        if (!window.runJob(*job)) job->fail(cancelledText(setup));
    }
    link.close();
    if (!job->writeResult()) {
        std::fprintf(stderr, "proglift: could not write the result file in %s\n", folder.c_str());
        return LoaderFailed;
    }
    return job->outcome().success ? LoaderSucceeded : LoaderFailed;
}

} // namespace proglift
