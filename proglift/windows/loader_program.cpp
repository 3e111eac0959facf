#include "proglift/windows/loader_program.h"

#include "proglift/loader/loader_job.h"
#include "proglift/loader/loader_link.h"
#include "proglift/windows/job_window.h"

#include <cstdio>

namespace proglift {

namespace {

const char* cancelledText(const LoaderSetup& setup) {
    return setup.LoaderOperation == Upload ? "Upload cancelled!" : "Download cancelled!";
}

} // namespace

int runLoader(const std::string& folder, transport::LinkFactory factory) {
    const LoaderSetup setup = ReadLoaderSetup(folder);
    if (setup.LoaderOperation == NoOperation) return LoaderNothingToDo;

    JobWindow window(setup.LoaderOperation == Upload ? JobWindow::Kind::Upload
                                                     : JobWindow::Kind::Download);
    transport::ControllerLink link(std::move(factory), transport::TransportPolicy::proglift());
    // Before any work: a run that is killed, or cannot write its own result, must not leave the
    // previous one to be read as this run's. A result that cannot be removed stops the run before
    // anything is sent, as this run could not report what it did.
    auto failure = removePreviousResult(folder, setup.LoaderOperation);
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
