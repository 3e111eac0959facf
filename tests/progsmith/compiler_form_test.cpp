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

// Each phase by hand on what the phase before left; the window then stays open and writes
// nothing, and a failing phase selects its line.
TEST(CompilerForm, PhasesRunByHandOneAtATime) {
    ExeFolder folder("form_by_hand");
    folder.writeSetup("KT-210");
    folder.write("Program.prg", "END\r\n");
    Window window(folder.exe());
    auto* text = window.form->findChild<QPlainTextEdit*>("OrgProgram");
    auto* output = window.form->findChild<QPlainTextEdit*>("PhaseOutput");
    auto* caption = window.form->findChild<QLabel*>("PhaseCaption");
    const auto press = [&](const char* name) {
        auto* button = window.form->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    };

    press("Clean");
    EXPECT_TRUE(window.form->runByHand());
    EXPECT_FALSE(text->isReadOnly());
    text->setPlainText("hspd=5\nIF V1 > 0\nV2 = 1\nENDIF\nEND");
    press("Clean");
    EXPECT_EQ(caption->text().toStdString(), "Clean: 5 lines");
    EXPECT_EQ(output->toPlainText(),
              "1 1 HSPD = 5\n2 2 IF V1 > 0\n3 3 V2 = 1\n4 4 ENDIF \n5 5 END");
    press("Token");
    EXPECT_EQ(caption->text().toStdString(), "Token: 5 rows");
    EXPECT_TRUE(output->toPlainText().startsWith("1 1 | HSPD | = | 5\n"))
        << output->toPlainText().toStdString();
    press("Check");
    EXPECT_EQ(caption->text().toStdString(), "Check: OK");
    press("Compile");
    EXPECT_EQ(caption->text().toStdString(), "Compile: 10 compiled lines");
    EXPECT_TRUE(output->toPlainText().startsWith("&84$5\nVR1\nCV0\nJI1$2\n"));
    press("AddSpaces");
    EXPECT_EQ(text->toPlainText(), "hspd=5\nIF V1 > 0\n V2 = 1\nENDIF\nEND\n");

    text->setPlainText("HSPD = 5\nSTOPY\nEND\n");
    press("Clean");
    press("Token");
    press("Check");
    press("Compile");
    EXPECT_EQ(caption->text().toStdString(), "Compile failed: Unknown Command! (Line: 2)");
    EXPECT_EQ(text->textCursor().selectedText(), "STOPY");

    // The timer no longer steps the job: nothing is written, and Cancel still ends it.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 400)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(window.form->isVisible());
    EXPECT_FALSE(folder.has("CompileOut.txt"));
    press("Cancel");
    ASSERT_TRUE(window.waitUntilClosed());
    EXPECT_FALSE(folder.has("CompileOut.txt"));
}
