#pragma once
// Runs the real controller-sim for a test. The simulator starts in a fresh temporary folder of
// its own; "{dir}" in an argument stands for that folder, so links, USB sockets and logs never
// collide with another test running at the same time. start() returns once the simulator has
// printed "ready" (every endpoint is up) or fails after the deadline; the destructor stops it
// with SIGTERM, which makes it remove the links and sockets it made.
//
//   testing_support::SimProcess sim({"--pty", "{dir}/COM1", "--tcp", "0", "--usb", "{dir}/usb",
//                                     "--log", "{dir}/commands.log"});
//   ASSERT_TRUE(sim.start()) << sim.errorText();
//   QSerialPort port(sim.path("COM1")); ...            // or sim.tcpPort(), sim.path("usb")
//   EXPECT_EQ(SimProcess::readLog(sim.path("commands.log")), (QStringList{"pty 01 PX"}));
//
// For the USB stand-in, point the library at the socket folder with
// qputenv("ZENTORCOM_DIR", sim.path("usb").toLocal8Bit()) before the first call.

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

class SimProcess {
public:
    // program is another controller-sim than the built one (an installed copy).
    explicit SimProcess(QStringList arguments, QString program = SimProcess::program())
        : arguments_(std::move(arguments)), program_(std::move(program)) {
        for (QString& argument : arguments_)
            argument.replace("{dir}", folder_.path());
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    static QString program() { return QStringLiteral(SUITE_BUILD_DIR "/controller-sim"); }

    bool start(int deadlineMs = 15000) {
        process_.setProgram(program_);
        process_.setArguments(arguments_);
        process_.setWorkingDirectory(folder_.path());
        process_.start();
        if (!process_.waitForStarted(deadlineMs)) return fail("controller-sim did not start");
        QDeadlineTimer deadline(deadlineMs);
        while (!deadline.hasExpired()) {
            while (process_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
                lines_ << line;
                if (line.startsWith("tcp ")) tcpPort_ = line.section(' ', 1, 1).toInt();
                if (line == "ready") return true;
            }
            if (process_.state() != QProcess::Running) break;
            process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        }
        return fail("no ready line: " + lines_.join(" | ") + " " +
                    QString::fromLocal8Bit(process_.readAllStandardError()));
    }

    // SIGTERM, then waits for the exit; true when the simulator ended cleanly (exit code 0).
    bool stop(int deadlineMs = 5000) {
        if (process_.state() == QProcess::NotRunning) return stopped_;
        process_.terminate();
        if (!process_.waitForFinished(deadlineMs)) {
            process_.kill();
            process_.waitForFinished(deadlineMs);
            return stopped_ = false;
        }
        return stopped_ = process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

    QString folder() const { return folder_.path(); }
    QString path(const QString& name) const { return folder_.filePath(name); }
    // The port of "--tcp 0" (or whatever port was asked for), from the simulator's own report.
    int tcpPort() const { return tcpPort_; }
    // Everything the simulator printed before "ready" ("pty ...", "tcp ...", "usb ...").
    QStringList outputLines() const { return lines_; }
    QString errorText() const { return error_; }
    QProcess& process() { return process_; }

    // Lines of a "--log" file: "<endpoint> <id> <command>" per command a controller received,
    // in order; endpoint is pty, tcp or usb.
    static QStringList readLog(const QString& fileName) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList lines;
        while (!file.atEnd())
            lines << QString::fromLatin1(file.readLine()).chopped(1);
        return lines;
    }

private:
    bool fail(const QString& text) {
        error_ = text;
        return false;
    }

    QTemporaryDir folder_;
    QStringList arguments_;
    QString program_;
    QProcess process_;
    QStringList lines_;
    QString error_;
    int tcpPort_ = 0;
    bool stopped_ = true;
};

} // namespace testing_support
