#include "progsmith/compiler_form.h"
#include "progsmith_process.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace progsmith;
using namespace progsmith::testing;

namespace {

class NoMessages : public UserMessages {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

struct Window {
    explicit Window(const fs::path& folder) {
        ensureApplication();
        form = std::make_unique<CompilerForm>(folder.string(), messages);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        form->show();
    }
    // Lets the event loop run until the window has closed itself.
    bool waitUntilClosed(int limitMs = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (form->isVisible() && clock.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !form->isVisible();
    }
    NoMessages messages;
    std::unique_ptr<CompilerForm> form;
};

} // namespace

TEST(CompilerForm, NamedControlsAndTheStepTimer) {
    ExeFolder folder("form_names");
    folder.writeSetup("KT-210");
    folder.write("Program.prg", "END\r\n");
    Window window(folder.exe());
    EXPECT_EQ(window.form->objectName(), "CompilerForm");
    EXPECT_EQ(window.form->windowTitle(), "Compile / Decompile");
    auto* progress = window.form->findChild<QProgressBar*>("Progress");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 1000);
    EXPECT_NE(window.form->findChild<QLabel*>("ProgressLabel"), nullptr);
    EXPECT_NE(window.form->findChild<QPlainTextEdit*>("OrgProgram"), nullptr);
    EXPECT_NE(window.form->findChild<QPushButton*>("Cancel"), nullptr);
    auto* timer = window.form->findChild<QTimer*>("StatusTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 100);
    EXPECT_TRUE(timer->isActive());
}

TEST(CompilerForm, RunsItsStepsAndClosesWithTheResultWritten) {
    ExeFolder folder("form_run");
    folder.writeSetup("KT-210");
    folder.write("Program.prg", "HSPD = 5\r\nEND\r\n");
    Window window(folder.exe());
    ASSERT_TRUE(window.waitUntilClosed());
    EXPECT_EQ(folder.read("CompileOut.txt"), "&84$5\r\nXX\r\n\r\n");
    EXPECT_EQ(window.form->findChild<QPlainTextEdit*>("OrgProgram")->toPlainText(),
              "HSPD = 5\nEND\n");
}

TEST(CompilerForm, ErrorLineIsSelectedInTheProgramText) {
    ExeFolder folder("form_error");
    folder.writeSetup("KT-210");
    folder.write("Program.prg", "HSPD = 5\r\nSTOPY\r\nEND\r\n");
    Window window(folder.exe());
    ASSERT_TRUE(window.waitUntilClosed());
    EXPECT_EQ(window.form->findChild<QPlainTextEdit*>("OrgProgram")->textCursor().selectedText(),
              "STOPY");
}

TEST(CompilerForm, CancelClosesWithoutAResult) {
    ExeFolder folder("form_cancel");
    folder.writeSetup("KT-210");
    folder.write("Program.prg", "END\r\n");
    Window window(folder.exe());
    window.form->findChild<QPushButton*>("Cancel")->click();
    ASSERT_TRUE(window.waitUntilClosed());
    EXPECT_FALSE(folder.has("CompileOut.txt"));
}
