// The suite as installed: the install rules put into a scratch root (or, from scripts/package,
// the unpacked Debian package named by SUITE_PACKAGE_ROOT), started through its launcher with a
// home folder of the test's own. A compile runs through the installed programs and leaves its
// files in the user's program folder, never in the installed one.

#include "support/sim_process.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

// The installed tree: installed once for all tests of this program.
class InstalledTree {
public:
    static InstalledTree& get() {
        static InstalledTree tree;
        return tree;
    }
    QString root() const { return root_; }
    QString file(const QString& path) const { return root_ + "/usr/" + path; }
    const QString& failure() const { return failure_; }

private:
    InstalledTree() {
        root_ = qEnvironmentVariable("SUITE_PACKAGE_ROOT");
        if (!root_.isEmpty()) return;
        root_ = scratch_.filePath("root");
        QProcess install;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DESTDIR", root_);
        install.setProcessEnvironment(environment);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(SUITE_CMAKE, {"--install", SUITE_BUILD_DIR, "--prefix", "/usr"});
        if (!install.waitForFinished(120000) || install.exitCode() != 0)
            failure_ = "cmake --install failed: " + QString::fromLocal8Bit(install.readAll());
    }

    QTemporaryDir scratch_;
    QString root_;
    QString failure_;
};

struct LaunchResult {
    int exitCode = -1;
    QStringList output;
    QString errors;
};

QByteArray digest(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5);
}

// Every file below the folder with a digest of what it holds.
std::map<QString, QByteArray> snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString name = entries.next();
        files[name] = digest(name);
    }
    return files;
}

class InstalledSuite : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree().failure().isEmpty()) << tree().failure().toStdString();
    }
    static InstalledTree& tree() { return InstalledTree::get(); }

    // Runs the installed launcher as a user whose home is home, working the windows with the
    // script lines.
    LaunchResult launch(const QString& home, const QStringList& script,
                        const QString& usbFolder = {}) {
        QFile file(scratch.filePath("window.script"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(script.join('\n').toUtf8());
        file.close();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME"})
            environment.remove(name);
        environment.insert("HOME", home);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("MOTIONDESK_SCRIPT", file.fileName());
        if (!usbFolder.isEmpty()) environment.insert("ZENTORCOM_DIR", usbFolder);
        QProcess launcher;
        launcher.setProcessEnvironment(environment);
        launcher.start(tree().file("bin/motiondesk"), {});
        LaunchResult result;
        if (!launcher.waitForFinished(120000)) {
            launcher.kill();
            launcher.waitForFinished();
            result.errors = "did not finish in time; ";
        }
        result.exitCode = launcher.exitStatus() == QProcess::NormalExit ? launcher.exitCode() : -1;
        result.output = QString::fromLocal8Bit(launcher.readAllStandardOutput())
                            .split('\n', Qt::SkipEmptyParts);
        result.errors += QString::fromLocal8Bit(launcher.readAllStandardError());
        return result;
    }
    QString home(const QString& name) const {
        QDir().mkpath(scratch.filePath(name));
        return scratch.filePath(name);
    }
    static QString programFolder(const QString& home) { return home + "/.local/share/motiondesk"; }

    QTemporaryDir scratch;
};

TEST_F(InstalledSuite, CompilesThroughTheInstalledProgramsInTheUsersOwnFolder) {
    testing_support::SimProcess sim({"--usb", "{dir}/usb", "--id", "01"},
                                    tree().file("bin/controller-sim"));
    ASSERT_TRUE(sim.start()) << sim.errorText().toStdString();
    const auto installedBefore = snapshot(tree().root());
    const QString user = home("user");

    const LaunchResult result =
        launch(user,
               {"wait CommType", "click Command1", "wait frmSelect 30000",
                "select frmSelect/DeviceList 0", "click frmSelect/cmdOK", "wait frmMain 30000",
                "settext frmMain/OrgProgram PRG 0\\nV1 = 3\\nEND", "click frmMain/CompileAll",
                "answer 60000", "print frmMain/CompiledTotal", "close frmMain", "waitgone frmMain",
                "click CommType/Close"},
               sim.path("usb"));

    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output,
              (QStringList{"message=Done!", "frmMain/CompiledTotal=Total Lines: 5"}));
    QFile compiled(programFolder(user) + "/EXE/CompileOut.txt");
    ASSERT_TRUE(compiled.open(QIODevice::ReadOnly)) << "the compile ran in the user's folder";
    EXPECT_TRUE(compiled.readAll().startsWith("PS0\r\n"));
    EXPECT_TRUE(QFileInfo::exists(programFolder(user) + "/EXE/commsetup.ini"));
    EXPECT_EQ(snapshot(tree().root()), installedBefore)
        << "nothing is written where the suite is installed";
}

TEST_F(InstalledSuite, EachUserHasAProgramFolderOfTheirOwnKeptInStepWithTheInstall) {
    const QString first = home("first");
    const QString second = home("second");
    ASSERT_EQ(launch(first, {"quit"}).exitCode, 0);
    ASSERT_EQ(launch(second, {"quit"}).exitCode, 0);
    for (const QString& user : {first, second}) {
        SCOPED_TRACE(user.toStdString());
        EXPECT_EQ(QFileInfo(programFolder(user)).permissions() &
                      (QFile::ReadOther | QFile::ReadGroup),
                  QFile::Permissions())
            << "job files are the user's alone";
        for (const char* program :
             {"motiondesk", "EXE/progsmith", "EXE/proglift", "EXE/libZentorCom.so"}) {
            const QFileInfo copy(programFolder(user) + "/" + program);
            EXPECT_FALSE(copy.isSymLink())
                << program << ": a linked program finds the installed folder";
            EXPECT_EQ(digest(copy.filePath()),
                      digest(tree().file(QString("lib/motiondesk/") + program)));
        }
    }

    // The user's own files stay when the installed programs change.
    QFile settings(programFolder(first) + "/EXE/commsetup.ini");
    settings.open(QIODevice::WriteOnly);
    settings.write("COM4\r\n19200\r\n02\r\n");
    settings.close();
    QDir().mkpath(programFolder(first) + "/EXE/ports");
    ASSERT_TRUE(QFile::link("/dev/null", programFolder(first) + "/EXE/ports/COM4"));
    const QString installedHelper = tree().file("lib/motiondesk/EXE/proglift");
    const QByteArray original = [&] {
        QFile file(installedHelper);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    {
        QFile upgraded(installedHelper);
        ASSERT_TRUE(upgraded.open(QIODevice::Append));
        upgraded.write("a newer build");
    }
    const LaunchResult again = launch(first, {"quit"});
    {
        QFile restored(installedHelper);
        restored.open(QIODevice::WriteOnly | QIODevice::Truncate);
        restored.write(original);
    }

    ASSERT_EQ(again.exitCode, 0) << again.errors.toStdString();
    QFile copy(programFolder(first) + "/EXE/proglift");
    copy.open(QIODevice::ReadOnly);
    EXPECT_TRUE(copy.readAll().endsWith("a newer build"));
    settings.open(QIODevice::ReadOnly);
    EXPECT_EQ(settings.readAll(), "COM4\r\n19200\r\n02\r\n");
    EXPECT_EQ(QFileInfo(programFolder(first) + "/EXE/ports/COM4").symLinkTarget(), "/dev/null");
}

TEST_F(InstalledSuite, ProgramFolderThatCannotBeMadeIsToldAndNothingStarts) {
    const QString user = home("blocked");
    QFile blocker(user + "/.local");
    blocker.open(QIODevice::WriteOnly);
    blocker.write("a file where a folder belongs");
    blocker.close();
    const auto before = snapshot(user);

    const LaunchResult result = launch(user, {"quit"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.output.isEmpty());
    EXPECT_EQ(result.errors.trimmed().toStdString(),
              "motiondesk: cannot create the program folder " + programFolder(user).toStdString() +
                  ": Not a directory. Motiondesk keeps its job and settings files there; make " +
                  user.toStdString() + "/.local/share a writable folder of yours.");
    EXPECT_EQ(snapshot(user), before);
}

} // namespace
