// The main window's program-control frame and the program editor: what each button sends, the
// files it writes and the dialogs and messages it shows. The helper programs are played by the
// test.

#include "main_window_fixture.h"

#include "motiondesk/main/program_control.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/windows/program_editor.h"
#include "support/modal_helpers.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace maintest {
namespace {

using session::HelperRun;
using Dialog = testing_support::ScriptedUi::Dialog;

class ProgramControlTest : public MainWindowTest {
protected:
    ui::ProgramTextEdit* text() { return find<ui::ProgramTextEdit>("OrgProgram"); }
    std::string programText() { return text()->programText(); }

    // Proglift, answering as it would and noting whether the poll was paused while it ran.
    void loaderAnswers(const std::string& result, const char* file = "DownloadOut.txt") {
        helpers.helpers["proglift"] = [this, result, file] {
            pausedWhileLoading.push_back(window->pollPaused());
            portOpenWhileLoading.push_back(port->isOpen());
            sentBeforeLoading = sent();
            exe.write(file, result);
            return HelperRun{};
        };
    }
    void compilerAnswers(const std::string& result, const char* file = "CompileOut.txt") {
        helpers.helpers["progsmith"] = [this, result, file] {
            compiledProgram = exe.read("Program.prg");
            exe.write(file, result);
            return HelperRun{};
        };
    }

    std::vector<bool> pausedWhileLoading;
    std::vector<bool> portOpenWhileLoading;
    Commands sentBeforeLoading;
    std::string compiledProgram;
};

TEST_F(ProgramControlTest, RunControlSendsItsCommandsAndTheRunWaitsItsSecond) {
    open();
    click("RunProg");
    click("StopProg");
    click("PauseProg");
    click("ContProg");
    EXPECT_EQ(sent(), (Commands{"SR=1", "SR=0", "SR=2", "SR=3"}));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{1000, 1000, 1000, 1000}));
    EXPECT_FALSE(window->pollPaused());
    state.LinkOpen = false;
    click("RunProg");
    EXPECT_EQ(sent().size(), 4u);
}

TEST_F(ProgramControlTest, TheStateAndLineOfTheProgramShowInThePoll) {
    open();
    controller.replies["SASTAT"] = "1";
    controller.replies["SPC"] = "37";
    tick();
    EXPECT_EQ(shown("ProgStatus").toStdString(), "Running");
    EXPECT_EQ(shown("ProgIndex").toStdString(), "37");
}

TEST_F(ProgramControlTest, CompileShowsTheTotalOrSelectsTheLineAtFault) {
    open();
    type("OrgProgram", "HSPD = 5\nSTOPY\nEND");
    compilerAnswers("&84$5\r\nXX\r\n\r\n");
    click("CompileAll");
    EXPECT_EQ(compiledProgram, "HSPD = 5\r\nSTOPY\r\nEND\r\n");
    EXPECT_EQ(shown("CompiledTotal").toStdString(), "Total Lines: 2");

    compilerAnswers("Failed Compile!\r\nUnknown Command!\r\nLine: 2\r\n");
    click("CompileAll");
    EXPECT_EQ(ui.messages(),
              (Messages{"Done!", "Failed Compile!\r\nUnknown Command!\r\nLine: 2\r\n"}));
    EXPECT_EQ(text()->textCursor().selectedText().toStdString(), "STOPY");
    EXPECT_TRUE(sent().empty());
}

// "SR=0" first, then the poll pauses and the port is let go while Proglift runs; both come back.
TEST_F(ProgramControlTest, DownloadStopsTheProgramAndLendsTheLinkToTheLoader) {
    open();
    loaderAnswers("DOWNLOAD SUCCESS!\r\n");
    click("DownloadSAP");
    EXPECT_EQ(sentBeforeLoading, (Commands{"SR=0"}));
    EXPECT_EQ(pausedWhileLoading, std::vector<bool>{true});
    EXPECT_EQ(portOpenWhileLoading, std::vector<bool>{false});
    EXPECT_FALSE(window->pollPaused());
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
    EXPECT_NE(exe.read("proglift_setup.txt").find("OPE:DOWNLOAD"), std::string::npos);
    tick();
    EXPECT_GT(sent().size(), 1u);
}

TEST_F(ProgramControlTest, UploadFillsTheProgramTextAndClearCodeSpaceRunsTheLoader) {
    open();
    type("OrgProgram", "old program");
    loaderAnswers("&84$5\r\nXX\r\n", "UploadOut.txt");
    compilerAnswers("HSPD=5\r\nEND\r\n", "DecompileOut.prg");
    click("UploadSAP");
    EXPECT_EQ(programText(), "HSPD=5\r\nEND\r\n");
    EXPECT_EQ(pausedWhileLoading, std::vector<bool>{true});
    EXPECT_TRUE(sentBeforeLoading.empty());

    loaderAnswers("CLEAR SUCCESS!\r\n");
    click("Command24");
    EXPECT_NE(exe.read("proglift_setup.txt").find("OPE:CLEAR"), std::string::npos);
    EXPECT_EQ(ui.messages(), (Messages{"Done!", "Done!"}));
    EXPECT_EQ(pausedWhileLoading, (std::vector<bool>{true, true}));
}

TEST_F(ProgramControlTest, DownloadAndUploadNeedTheLinkButClearingDoesNot) {
    open();
    state.LinkOpen = false;
    click("DownloadSAP");
    click("UploadSAP");
    EXPECT_TRUE(helpers.runs.empty());
    loaderAnswers("CLEAR SUCCESS!\r\n");
    click("Command24");
    EXPECT_EQ(helpers.runs.size(), 1u);
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
}

TEST_F(ProgramControlTest, ProgramFilesOpenAndSaveWithTheirDialogs) {
    open();
    exe.write("in.prg", "V1 = 1\nEND");
    exe.write("cr.prg", "V2 = 2\rV3 = 3\r\rEND");
    ui.fileNames = {exe.str() + "/cr.prg", exe.str() + "/in.prg", exe.str() + "/missing.prg",
                    std::nullopt};
    click("OpenProg");
    EXPECT_EQ(programText(), "V2 = 2\r\nV3 = 3\r\n\r\nEND\r\n");
    click("OpenProg");
    EXPECT_EQ(programText(), "V1 = 1\r\nEND\r\n");
    click("OpenProg");
    click("OpenProg");
    EXPECT_EQ(programText(), "V1 = 1\r\nEND\r\n");

    type("OrgProgram", "HSPD = 5\nEND");
    ui.fileNames = {exe.str() + "/out.prg", std::string(), exe.str() + "/*.prg"};
    click("SaveProg");
    click("SaveProg");
    click("SaveProg");
    EXPECT_EQ(exe.read("out.prg"), "HSPD = 5\r\nEND\r\n");
    EXPECT_FALSE(exe.exists("*.prg"));
    EXPECT_EQ(ui.messages(), (Messages{"File " + exe.str() + "/missing.prg does not exist!",
                                       "Save Done!", "No Program Name!"}));
    const Dialog open{Dialog::Open, "Open KT-210 Program", "KT-210 Program Files (*.prg)|*.prg",
                      "*.prg"};
    const Dialog save{Dialog::Save, "Save KT-210 Program As", "KT-210 Program Files (*.prg)|*.prg",
                      ""};
    EXPECT_EQ(ui.dialogs, (std::vector<Dialog>{open, open, open, open, save, save, save}));
    click("NewProg");
    EXPECT_EQ(programText(), "");
}

// Longer than a 16-bit count of characters: all of it is saved.
TEST_F(ProgramControlTest, ALongProgramIsSavedWhole) {
    open();
    std::string program;
    for (int i = 0; i < 5000; ++i)
        program += "V1 = V1 + " + std::to_string(i) + "\n";
    type("OrgProgram", QString::fromLatin1(program.c_str()));
    ui.fileNames = {exe.str() + "/long.prg"};
    click("SaveProg");
    EXPECT_EQ(ui.messages(), (Messages{"Save Done!"}));
    std::string expected = program;
    for (size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += 2)
        expected.replace(at, 1, "\r\n");
    EXPECT_GT(expected.size(), 32767u);
    EXPECT_EQ(exe.read("long.prg"), expected);
}

// A program far longer than any controller holds is still handed to the compiler whole.
TEST_F(ProgramControlTest, AProgramOfThirtyThousandLinesIsCompiledWhole) {
    open();
    std::string program;
    for (int i = 0; i < 30000; ++i)
        program += "V" + std::to_string(i % 100 + 1) + " = " + std::to_string(i) + "\r\n";
    exe.write("big.prg", program);
    ui.fileNames = {exe.str() + "/big.prg"};
    click("OpenProg");
    compilerAnswers("Failed Compile!\r\nToo long\r\nLine: 29999\r\n");
    click("CompileAll");
    EXPECT_EQ(compiledProgram, program);
    EXPECT_EQ(text()->textCursor().selectedText().toStdString(), "V99 = 29998");
    EXPECT_EQ(ui.messages().size(), 1u);
}

TEST_F(ProgramControlTest, FilesThatAreNoProgramAreRefusedAndAFailedSaveSaysWhy) {
    open();
    type("OrgProgram", "kept");
    exe.write("binary.prg", std::string("V1\0\x01", 4));
    exe.write("large.prg", std::string(512 * 1024 + 1, 'V'));
    ASSERT_EQ(::mkfifo((exe.str() + "/pipe.prg").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (exe.str() + "/zero.prg").c_str()), 0);
    ui.fileNames = {exe.str() + "/binary.prg", exe.str() + "/large.prg", exe.str() + "/pipe.prg",
                    exe.str() + "/zero.prg", exe.str() + "/no/such/folder/x.prg"};
    for (int i = 0; i < 4; ++i)
        click("OpenProg");
    click("SaveProg");
    EXPECT_EQ(programText(), "kept");
    const std::string notRegular =
        " is not a regular file (a folder, a device or a pipe); nothing was opened.";
    EXPECT_EQ(
        ui.messages(),
        (Messages{"File " + exe.str() +
                      "/binary.prg holds binary data and is no program; nothing was opened.",
                  "File " + exe.str() +
                      "/large.prg is too large for a program (524289 bytes); nothing was opened.",
                  "File " + exe.str() + "/pipe.prg" + notRegular,
                  "File " + exe.str() + "/zero.prg" + notRegular,
                  "File " + exe.str() +
                      "/no/such/folder/x.prg could not be saved: its folder does not exist."}));
}

TEST_F(ProgramControlTest, ViewShowsTheCompiledLinesAndSavesThemWithAFinalEmptyLine) {
    open();
    click("ViewCompiled"); // no compile yet: nothing happens
    exe.write("CompileOut.txt", "&84$5\r\nXX\r\n\r\n");
    ui.fileNames = {exe.str() + "/prog.cpg"};
    testing_support::whenModalShown("CompiledViewer", [](QWidget* viewer) {
        EXPECT_EQ(viewer->windowTitle(), "View Compiled Program");
        auto* rows = viewer->findChild<QListWidget*>("viewList");
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->count(), 3);
        testing_support::click(viewer, "Save");
        testing_support::click(viewer, "Close");
    });
    click("ViewCompiled");
    EXPECT_EQ(exe.read("prog.cpg"), "&84$5\r\nXX\r\n\r\n\r\n");
    EXPECT_EQ(ui.messages(), (Messages{"Save Done!"}));
    EXPECT_EQ(ui.dialogs.back().caption, "Save Compiled Program As");
    EXPECT_EQ(ui.dialogs.back().filter, "Compiled Program Files (*.cpg)|*.cpg");
}

// The editor works on a copy: it compiles its own text, an upload fills both texts, and
// what it holds is not copied back on close. The main window's port is lent meanwhile.
TEST_F(ProgramControlTest, TheProgramEditorWorksOnACopyOfTheProgram) {
    open();
    type("OrgProgram", "MAIN\nEND");
    compilerAnswers("CV1\r\nXX\r\n\r\n");
    bool portOpenInEditor = true;
    bool pausedInEditor = false;
    testing_support::whenModalShown("ProgramEditForm", [&](QWidget* editor) {
        EXPECT_EQ(editor->windowTitle(), "Program Editor");
        EXPECT_TRUE(static_cast<windows::ProgramEditor*>(editor)->unboundControls().empty());
        portOpenInEditor = port->isOpen();
        pausedInEditor = window->pollPaused();
        EXPECT_TRUE(program.CompileFromEditor);
        auto* edit = editor->findChild<ui::ProgramTextEdit*>("OrgProgram");
        EXPECT_EQ(edit->programText(), "MAIN\r\nEND");
        edit->setProgramText("EDITOR\r\nEND");
        testing_support::click(editor, "Command1");
        testing_support::click(editor, "Close");
    });
    click("Command25");
    EXPECT_EQ(compiledProgram, "EDITOR\r\nEND\r\n");
    EXPECT_FALSE(portOpenInEditor);
    EXPECT_TRUE(pausedInEditor);
    EXPECT_FALSE(program.CompileFromEditor);
    EXPECT_EQ(programText(), "MAIN\r\nEND");
    EXPECT_TRUE(port->isOpen());
    EXPECT_FALSE(window->pollPaused());
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
    EXPECT_EQ(shown("CompiledTotal").toStdString(), "Total Lines: 2");
}

TEST_F(ProgramControlTest, AnUploadFromTheEditorFillsBothTexts) {
    open();
    type("OrgProgram", "MAIN");
    loaderAnswers("&84$5\r\n", "UploadOut.txt");
    compilerAnswers("HSPD=5\r\n", "DecompileOut.prg");
    std::string inEditor;
    testing_support::whenModalShown("ProgramEditForm", [&](QWidget* editor) {
        testing_support::click(editor, "UploadSAP");
        inEditor = editor->findChild<ui::ProgramTextEdit*>("OrgProgram")->programText();
        testing_support::click(editor, "Close");
    });
    click("Command25");
    EXPECT_EQ(inEditor, "HSPD=5\r\n");
    EXPECT_EQ(programText(), "HSPD=5\r\n");
    EXPECT_EQ(ui.messages(), (Messages{"Done!"}));
}

TEST_F(ProgramControlTest, TheEditorsDialogsNameTheModel) {
    open();
    ui.fileNames = {std::nullopt, std::nullopt};
    testing_support::whenModalShown("ProgramEditForm", [](QWidget* editor) {
        testing_support::click(editor, "OpenProg");
        testing_support::click(editor, "SaveProg");
        testing_support::click(editor, "Close");
    });
    click("Command25");
    EXPECT_EQ(ui.dialogs, (std::vector<Dialog>{{Dialog::Open, "Open KT-210 Program",
                                                "KT-210 Program Files (*.prg)|*.prg", "*.prg"},
                                               {Dialog::Save, "Save KT-210 Program As",
                                                "KT-210 Program Files (*.prg)|*.prg", ""}}));
}

} // namespace
} // namespace maintest
