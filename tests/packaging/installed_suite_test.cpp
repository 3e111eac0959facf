// The suite as installed: the install rules put into a scratch root (or, from scripts/package, a
// copy of the unpacked Debian package named by SUITE_PACKAGE_ROOT), started through its launcher
// by users whose home folders are the test's own. The shipped motiondesk carries no script
// driver, so in the scratch root it gives way to its scripted build (the same windows); the
// launcher, the helpers, the USB library and controller-sim are the installed ones.

#include "support/sim_process.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <gtest/gtest.h>

#include <map>

namespace {

QByteArray contents(const QString& fileName) {
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void write(const QString& fileName, const QByteArray& bytes, QIODevice::OpenMode mode = {}) {
    QFile file(fileName);
    file.open(QIODevice::WriteOnly | mode);
    file.write(bytes);
}

// Every file below the folder with a digest of what it holds.
std::map<QString, QByteArray> snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator entries(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString name = entries.next();
        files[name] = QCryptographicHash::hash(contents(name), QCryptographicHash::Md5);
    }
    return files;
}

class InstalledSuite : public testing::Test {
protected:
    void SetUp() override {
        const QString package = qEnvironmentVariable("SUITE_PACKAGE_ROOT");
        root = scratch.filePath("root");
        QProcess install;
        if (package.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("DESTDIR", root);
            install.setProcessEnvironment(environment);
            install.start(SUITE_CMAKE, {"--install", SUITE_BUILD_DIR, "--prefix", "/usr"});
        } else {
            install.start("cp", {"-a", package, root});
        }
        ASSERT_TRUE(install.waitForFinished(120000) && install.exitCode() == 0)
            << install.readAllStandardError().toStdString();
        const QString program = installed("lib/motiondesk/motiondesk");
        ASSERT_TRUE(QFile::remove(program) &&
                    QFile::copy(SUITE_BUILD_DIR "/motiondesk-scripted", program));
    }
    QString installed(const QString& path) const { return root + "/usr/" + path; }
    QString home(const QString& name) const {
        QDir().mkpath(scratch.filePath(name));
        return scratch.filePath(name);
    }
    static QString programFolder(const QString& home) { return home + "/.local/share/motiondesk"; }

    // Starts the installed launcher as the user of that home, working the windows with the
    // script; returns its exit code, and what it printed in output and errors.
    int launch(const QString& user, const QStringList& script, const QString& usbFolder = {}) {
        write(scratch.filePath("window.script"), script.join('\n').toUtf8(), QIODevice::Truncate);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME"})
            environment.remove(name);
        environment.insert("HOME", user);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("MOTIONDESK_SCRIPT", scratch.filePath("window.script"));
        if (!usbFolder.isEmpty()) environment.insert("ZENTORCOM_DIR", usbFolder);
        QProcess launcher;
        launcher.setProcessEnvironment(environment);
        launcher.start(installed("bin/motiondesk"), {});
        if (!launcher.waitForFinished(120000)) launcher.kill();
        output = QString::fromLocal8Bit(launcher.readAllStandardOutput())
                     .split('\n', Qt::SkipEmptyParts);
        errors = QString::fromLocal8Bit(launcher.readAllStandardError());
        return launcher.exitStatus() == QProcess::NormalExit ? launcher.exitCode() : -1;
    }

    QTemporaryDir scratch;
    QString root;
    QStringList output;
    QString errors;
};

TEST_F(InstalledSuite, EachUserCompilesThroughTheInstalledProgramsInAFolderOfTheirOwn) {
    testing_support::SimProcess sim({"--usb", "{dir}/usb", "--id", "01"},
                                    installed("bin/controller-sim"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    const auto installedBefore = snapshot(root);
    const QStringList compile = {"wait CommType",
                                 "click Command1",
                                 "wait frmSelect 30000",
                                 "select frmSelect/DeviceList 0",
                                 "click frmSelect/cmdOK",
                                 "wait frmMain 30000",
                                 "settext frmMain/OrgProgram PRG 0\\nV1 = 3\\nEND",
                                 "click frmMain/CompileAll",
                                 "answer 60000",
                                 "print frmMain/CompiledTotal",
                                 "close frmMain",
                                 "waitgone frmMain",
                                 "click CommType/Close"};

    for (const QString& user : {home("first"), home("second")}) {
        SCOPED_TRACE(user.toStdString());
        ASSERT_EQ(launch(user, compile, sim.path("usb")), 0) << errors.toStdString();
        EXPECT_EQ(output, (QStringList{"message=Done!", "frmMain/CompiledTotal=Total Lines: 5"}));
        EXPECT_TRUE(contents(programFolder(user) + "/EXE/CompileOut.txt").startsWith("PS0\r\n"));
        EXPECT_FALSE(QFileInfo(programFolder(user)).permissions() &
                     (QFile::ReadGroup | QFile::ReadOther))
            << "job files are the user's alone";
        for (const char* program : {"motiondesk", "EXE/progsmith", "EXE/proglift"})
            EXPECT_FALSE(QFileInfo(programFolder(user) + "/" + program).isSymLink())
                << program << ": a linked program takes the installed folder for its own";
    }
    EXPECT_EQ(snapshot(root), installedBefore) << "nothing is written where the suite is installed";
}

// The installed motionctl loads the installed USB library and follows the port assignments of
// the user's own program folder.
TEST_F(InstalledSuite, TheCommandLineReachesControllersOverUsbAndTheUsersPorts) {
    testing_support::SimProcess sim({"--usb", "{dir}/usb", "--pty", "{dir}/line", "--id", "01"},
                                    installed("bin/controller-sim"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    const QString user = home("cli");
    QDir().mkpath(programFolder(user) + "/EXE/ports");
    ASSERT_TRUE(QFile::link(sim.path("line"), programFolder(user) + "/EXE/ports/COM2"));
    for (const QString& port : {QString("usb:KTR01"), QString("COM2")}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("XDG_DATA_HOME");
        environment.remove("MOTIONCTL_PROGRAM_FOLDER");
        environment.insert("HOME", user);
        environment.insert("ZENTORCOM_DIR", sim.path("usb"));
        QProcess motionctl;
        motionctl.setProcessEnvironment(environment);
        motionctl.start(installed("bin/motionctl"), {"send", "--port", port, "VER"});
        ASSERT_TRUE(motionctl.waitForFinished(60000));
        EXPECT_EQ(motionctl.exitCode(), 0) << motionctl.readAllStandardError().toStdString();
        EXPECT_EQ(motionctl.readAllStandardOutput(), "V223\n") << port.toStdString();
    }
}

TEST_F(InstalledSuite, ChangedInstalledProgramsReachTheUsersFolderAndTheUsersFilesStay) {
    const QString user = home("user");
    ASSERT_EQ(launch(user, {"quit"}), 0) << errors.toStdString();
    write(programFolder(user) + "/EXE/commsetup.ini", "COM4\r\n19200\r\n02\r\n");
    QDir().mkpath(programFolder(user) + "/EXE/ports");
    QFile::link("/dev/null", programFolder(user) + "/EXE/ports/COM4");

    const QString helper = installed("lib/motiondesk/EXE/proglift");
    const QByteArray original = contents(helper);
    write(helper, "a newer build", QIODevice::Append);
    const int exitCode = launch(user, {"quit"});
    write(helper, original, QIODevice::Truncate);

    ASSERT_EQ(exitCode, 0) << errors.toStdString();
    EXPECT_EQ(contents(programFolder(user) + "/EXE/proglift"), original + "a newer build");
    EXPECT_EQ(contents(programFolder(user) + "/EXE/commsetup.ini"), "COM4\r\n19200\r\n02\r\n");
    EXPECT_EQ(QFileInfo(programFolder(user) + "/EXE/ports/COM4").symLinkTarget(), "/dev/null");
}

TEST_F(InstalledSuite, ProgramFolderThatCannotBeMadeIsToldAndNothingStarts) {
    const QString user = home("blocked");
    write(user + "/.local", "a file where a folder belongs");
    const auto before = snapshot(user);

    EXPECT_EQ(launch(user, {"quit"}), 1);
    EXPECT_TRUE(output.isEmpty());
    EXPECT_EQ(errors.trimmed(), "motiondesk: cannot create the program folder " +
                                    programFolder(user) +
                                    ": Not a directory. Motiondesk keeps its job and settings "
                                    "files there; make " +
                                    user + "/.local/share a writable folder of yours.");
    EXPECT_EQ(snapshot(user), before);
}

} // namespace
