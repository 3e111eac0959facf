#pragma once
// Runs Motiondesk from a private program folder of its own: a copy of its scripted build (the
// program's own windows and services, worked by a window script named by MOTIONDESK_SCRIPT) with
// an EXE folder beside it, whose ports/COM1 links to a simulator's pseudo-terminal and which
// holds the USB library and the helper programs. Offscreen, so tests running at the same time
// never share a settings file, a port or a USB device.

#include "support/qt_printing.h"
#include "support/sim_process.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>

#include <optional>

#include <unistd.h>

namespace app_testing {

struct ProgramResult {
    int exitCode = -1;
    QStringList output; // the lines the script printed
    QString errors;
};

class ProgramFolder {
public:
    // Links COM1 to the simulator's pseudo-terminal "{dir}/COM1" and points the USB library at
    // its socket folder "{dir}/usb".
    bool prepare(const testing_support::SimProcess& sim) {
        sim_ = &sim;
        const QString program = folder_.filePath("motiondesk");
        return QDir().mkpath(exe("ports")) &&
               QFile::copy(SUITE_BUILD_DIR "/motiondesk-scripted", program) &&
               QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner) &&
               QFile::link(sim.path("COM1"), exe("ports/COM1")) &&
               QFile::copy(SUITE_EXE_DIR "/libZentorCom.so", exe("libZentorCom.so")) &&
               copyProgram("progsmith") && copyProgram("proglift");
    }

    // Starts the program working its windows by the script and returns at once.
    void start(QProcess& process, const QStringList& scriptLines) {
        QFile script(folder_.filePath("window.script"));
        script.open(QIODevice::WriteOnly | QIODevice::Truncate);
        script.write(scriptLines.join('\n').toUtf8());
        script.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MOTIONDESK_SCRIPT", script.fileName());
        environment.insert("ZENTORCOM_DIR", sim_->path("usb"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(folder_.filePath("motiondesk"), {});
        process.waitForStarted();
    }

    ProgramResult run(const QStringList& scriptLines, int deadlineMs = 120000) {
        QProcess process;
        start(process, scriptLines);
        ProgramResult result;
        if (!process.waitForFinished(deadlineMs)) {
            process.kill();
            process.waitForFinished();
            result.errors = "motiondesk did not finish in time; ";
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.output =
            QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        result.errors += QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    QString exe(const QString& name) const { return folder_.filePath("EXE/" + name); }
    // A helper program copied beside the job files, as an installation has it.
    bool copyProgram(const QString& name) const {
        return QFile::copy(SUITE_EXE_DIR "/" + name, exe(name)) &&
               QFile::setPermissions(exe(name), QFile::permissions(exe(name)) | QFile::ExeOwner);
    }
    QByteArray readExeFile(const QString& name) const {
        QFile file(exe(name));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    // Reads the running program's output until a line starting with prefix; that line, or
    // nothing when the program ended or the time ran out first.
    static std::optional<QString> waitForLine(QProcess& process, const QString& prefix,
                                              int deadlineMs = 60000) {
        QDeadlineTimer deadline(deadlineMs);
        while (!deadline.hasExpired()) {
            while (process.canReadLine()) {
                const QString line = QString::fromLocal8Bit(process.readLine()).trimmed();
                if (line.startsWith(prefix)) return line;
            }
            if (process.state() != QProcess::Running) return std::nullopt;
            process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        }
        return std::nullopt;
    }

    // The share of one core the process used over the next milliseconds (user and system time).
    static double coreShareOver(qint64 pid, int milliseconds) {
        const double before = cpuSeconds(pid);
        QElapsedTimer clock;
        clock.start();
        QThread::msleep(milliseconds);
        return (cpuSeconds(pid) - before) / (clock.elapsed() / 1000.0);
    }

private:
    // Fields 14 and 15 of /proc/<pid>/stat, after the command name in parentheses.
    static double cpuSeconds(qint64 pid) {
        QFile stat(QString("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) return 0;
        const QString text = QString::fromLatin1(stat.readAll());
        const QStringList fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) /
               double(::sysconf(_SC_CLK_TCK));
    }

    QTemporaryDir folder_;
    const testing_support::SimProcess* sim_ = nullptr;
};

} // namespace app_testing
