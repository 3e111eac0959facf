#include "motiondesk/jobs/process_helpers.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

namespace jobs {

namespace {

// How long the wait blocks between two rounds of repainting.
constexpr int kRepaintEveryMs = 25;

class BusyCursor {
public:
    BusyCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (shown_) QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    }
    ~BusyCursor() {
        if (shown_) QGuiApplication::restoreOverrideCursor();
    }

private:
    bool shown_;
};

} // namespace

session::HelperRun ProcessHelpers::run(const std::string& programPath) {
    const QString program = QString::fromLocal8Bit(programPath.c_str());
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return {session::HelperRun::FailedToStart, 0, process.errorString().toStdString()};

    const BusyCursor busy;
    while (process.state() != QProcess::NotRunning) {
        process.waitForFinished(kRepaintEveryMs);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (process.exitStatus() == QProcess::CrashExit)
        return {session::HelperRun::Crashed, process.exitCode(),
                "it crashed or was stopped (" + process.errorString().toStdString() + ")"};
    return {session::HelperRun::Finished, process.exitCode(), {}};
}

} // namespace jobs
