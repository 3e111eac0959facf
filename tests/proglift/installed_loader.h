#pragma once
// A copy of the built EXE/proglift (and the USB library beside it) in a folder of its own, so
// that concurrent tests each have their own set-up and result files. Runs it as Motiondesk does:
// no arguments, waiting for it to end.

#include "scratch_folder.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <filesystem>
#include <string>

namespace proglift_testing {

class InstalledLoader {
public:
    InstalledLoader() {
        namespace fs = std::filesystem;
        const fs::path built(SUITE_EXE_DIR);
        fs::copy_file(built / "proglift", folder.path() / "proglift");
        if (fs::exists(built / "libZentorCom.so"))
            fs::copy_file(built / "libZentorCom.so", folder.path() / "libZentorCom.so");
        fs::create_directories(folder.path() / "ports");
    }

    // Where the simulator should put the link for port COM<n>.
    std::string portPath(int number) const {
        return (folder.path() / "ports" / ("COM" + std::to_string(number))).string();
    }

    // Runs the program and returns its exit code; -1 when it had to be killed.
    int run(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            int deadlineMs = 120000) {
        QProcess process;
        process.setProgram(QString::fromStdString((folder.path() / "proglift").string()));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        if (!process.waitForFinished(deadlineMs)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    ScratchFolder folder;
};

} // namespace proglift_testing
