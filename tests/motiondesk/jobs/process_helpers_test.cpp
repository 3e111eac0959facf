// The helper programs as real processes: started by their path, waited for while the event loop
// keeps running, and a helper that is missing, cannot be run or dies told apart from one that
// finished.

#include "motiondesk/jobs/process_helpers.h"

#include "support/scratch_folder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using session::HelperRun;

std::string script(const testing_support::ScratchFolder& folder, const std::string& name,
                   const std::string& body, bool executable = true) {
    folder.write(name, "#!/bin/sh\n" + body + "\n");
    const QString path = QString::fromStdString(folder.str() + "/" + name);
    if (executable) QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path.toStdString();
}

TEST(ProcessHelpers, AFinishedHelperGivesItsExitCode) {
    testing_support::ScratchFolder folder;
    jobs::ProcessHelpers helpers;
    const HelperRun run = helpers.run(script(folder, "helper", "pwd > ran_in; exit 1"));
    EXPECT_EQ(run.outcome, HelperRun::Finished);
    EXPECT_EQ(run.exitCode, 1);
    // It runs in its own folder, where its job files are.
    EXPECT_EQ(folder.read("ran_in"), folder.str() + "\n");
}

TEST(ProcessHelpers, AMissingOrUnrunnableHelperDoesNotStart) {
    testing_support::ScratchFolder folder;
    jobs::ProcessHelpers helpers;
    const HelperRun missing = helpers.run(folder.str() + "/progsmith");
    EXPECT_EQ(missing.outcome, HelperRun::FailedToStart);
    EXPECT_FALSE(missing.errorText.empty());
    const HelperRun notExecutable = helpers.run(script(folder, "helper", "exit 0", false));
    EXPECT_EQ(notExecutable.outcome, HelperRun::FailedToStart);
}

// The wait has no time-out, but a helper that is killed ends it at once.
TEST(ProcessHelpers, AKilledHelperEndsTheWaitAtOnce) {
    testing_support::ScratchFolder folder;
    jobs::ProcessHelpers helpers;
    QElapsedTimer waited;
    waited.start();
    const HelperRun run = helpers.run(script(folder, "helper", "kill -9 $$; sleep 30"));
    EXPECT_EQ(run.outcome, HelperRun::Crashed);
    EXPECT_LT(waited.elapsed(), 10000);
}

// Timers and repaints go on while a helper runs, so the window never looks frozen.
TEST(ProcessHelpers, TheEventLoopRunsWhileAHelperWorks) {
    testing_support::ScratchFolder folder;
    jobs::ProcessHelpers helpers;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    const HelperRun run = helpers.run(script(folder, "helper", "sleep 0.5"));
    EXPECT_EQ(run.outcome, HelperRun::Finished);
    EXPECT_GE(ticks, 5);
}

} // namespace
