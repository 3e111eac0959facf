// The terminal, variables and multi-thread windows as the main window opens them: each owns the
// port while it is open (the main window's poll sends nothing meanwhile), and each sends what
// its controls ask for.

#include "main_window_fixture.h"

#include "motiondesk/windows/multi_thread_window.h"
#include "motiondesk/windows/terminal_window.h"
#include "motiondesk/windows/variables_window.h"
#include "support/modal_helpers.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace maintest {
namespace {

using testing_support::whenModalShown;

class AuxiliaryWindowsTest : public MainWindowTest {
protected:
    // The refresh timers stay quiet: each test runs the ticks it wants.
    AuxiliaryWindowsTest() {
        timings.refreshIntervalMs = 3600 * 1000;
        timings.idleRefreshIntervalMs = 7200 * 1000;
    }

    // Opens the window by its main-window button and works it; the main window's port (on the
    // serial line) is checked to be closed and its poll paused the whole time.
    void withWindow(const char* button, const char* name, std::function<void(QWidget*)> work) {
        testing_support::ScriptedSerialLink* mainPort = port;
        whenModalShown(name, [=, this](QWidget* opened) {
            if (mainPort) {
                EXPECT_FALSE(mainPort->isOpen());
            }
            EXPECT_TRUE(window->pollPaused());
            const size_t before = sent().size();
            tick(2);
            EXPECT_EQ(sent().size(), before)
                << "the main window's poll sent while " << name << " had the port";
            work(opened);
            opened->close();
        });
        click(button);
        // A link lost meanwhile stays lost: the port is only taken back on a usable link.
        if (mainPort) {
            EXPECT_EQ(mainPort->isOpen(), state.LinkOpen);
        }
        EXPECT_FALSE(window->pollPaused());
    }

    static void pressEnter(QWidget* window, const char* field, const QString& text) {
        auto* box = window->findChild<QLineEdit*>(field);
        ASSERT_NE(box, nullptr) << field;
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

TEST_F(AuxiliaryWindowsTest, TheTerminalSendsToTheIdInItsBoxAndGivesTheIdBackOnClose) {
    open();
    state.DeviceName = "01";
    std::string transcript;
    withWindow("ManualTerminal", "TerminalForm", [&](QWidget* terminal) {
        EXPECT_TRUE(static_cast<windows::TerminalWindow*>(terminal)->unboundControls().empty());
        EXPECT_EQ(terminal->windowTitle(), "Terminal");
        EXPECT_EQ(terminal->findChild<QLineEdit*>("DeviceID")->text(), "01");
        terminal->findChild<QLineEdit*>("DeviceID")->setText("3");
        pressEnter(terminal, "SendText", "PX");
        EXPECT_EQ(terminal->findChild<QLineEdit*>("DeviceID")->text(), "03");
        EXPECT_EQ(state.DeviceName, "03");
        auto* send = terminal->findChild<QLineEdit*>("SendText");
        EXPECT_EQ(send->text(), "");
        QTest::keyClick(send, Qt::Key_F1);
        EXPECT_EQ(send->text(), "PX");
        // An empty Enter is the last command entered: F1 then brings back nothing.
        pressEnter(terminal, "SendText", "");
        QTest::keyClick(send, Qt::Key_F1);
        EXPECT_EQ(send->text(), "");
        EXPECT_EQ(terminal->findChild<QLineEdit*>("DeviceID")->text(), "03");
        transcript = terminal->findChild<QPlainTextEdit*>("Pad")->toPlainText().toStdString();
        ui.fileNames = {exe.str() + "/session.txt"};
        testing_support::click(terminal, "Command2");
    });
    EXPECT_EQ(sent(), (Commands{"DN", "PX"}));
    EXPECT_EQ(transcript, ">@03PX\n<0");
    EXPECT_EQ(exe.read("session.txt"), ">@03PX\r\n<0\r\n\r\n");
    EXPECT_EQ(ui.messages(), (Messages{"Save Done!"}));
    EXPECT_EQ(ui.dialogs.back().caption, "Save Terminal Text As");
    EXPECT_EQ(ui.dialogs.back().filter, "Terminal Text Files (*.txt)|*.txt");
    EXPECT_EQ(state.DeviceName, "01");
}

// The port's own reason is the one message; "Communication port not open!" would only repeat it.
TEST_F(AuxiliaryWindowsTest, ATerminalWhosePortCannotBeOpenedSaysSoOnce) {
    open();
    portOpens = false;
    withWindow("ManualTerminal", "TerminalForm", [&](QWidget*) {
        EXPECT_EQ(ui.messages(), (Messages{"Communication Error! Cannot open the port."}));
    });
    EXPECT_FALSE(state.LinkOpen);
}

TEST_F(AuxiliaryWindowsTest, OverUsbTheTerminalShowsTheIdFromTheControllersName) {
    state.LinkType = transport::LinkUsb;
    state.LinkOpen = true;
    usb.responder = [this](const std::string& command) { return controller.answer(command); };
    controller.replies["DN"] = "KTR07";
    open();
    withWindow("ManualTerminal", "TerminalForm", [&](QWidget* terminal) {
        auto* id = terminal->findChild<QLineEdit*>("DeviceID");
        EXPECT_EQ(id->text(), "07");
        EXPECT_FALSE(id->isEnabled());
        pressEnter(terminal, "SendText", "VER");
        EXPECT_EQ(terminal->findChild<QPlainTextEdit*>("Pad")->toPlainText(), "VER\n<V230");
    });
    EXPECT_EQ(sent(), (Commands{"DN", "VER"}));
}

TEST_F(AuxiliaryWindowsTest, TheVariablesRefreshOneAtATimeRoundAndRound) {
    open();
    controller.replies["V37"] = "-12";
    withWindow("Command22", "VariableForm", [&](QWidget* opened) {
        auto* variables = static_cast<windows::VariablesWindow*>(opened);
        EXPECT_TRUE(variables->unboundControls().empty());
        for (int i = 0; i < 101; ++i)
            variables->refreshTick();
        EXPECT_EQ(variables->findChild<QLineEdit*>("V0_36")->text(), "-12");
        pressEnter(opened, "CommandText", "V5=12");
        EXPECT_EQ(opened->findChild<QLineEdit*>("CommandText")->text(), "");
    });
    ASSERT_EQ(sent().size(), 102u);
    EXPECT_EQ(sent()[0], "V1");
    EXPECT_EQ(sent()[99], "V100");
    EXPECT_EQ(sent()[100], "V1");
    EXPECT_EQ(sent()[101], "V5=12");
}

// Escape in a window that owns the port stops the axis there and leaves the window open.
TEST_F(AuxiliaryWindowsTest, EscapeInAWindowWithThePortSendsStop) {
    open();
    testing_support::ScriptedSerialLink* mainPort = port;
    for (const auto& [button, name] :
         {std::pair{"ManualTerminal", "TerminalForm"}, std::pair{"Command22", "VariableForm"},
          std::pair{"Command23", "MultiThread"}}) {
        sent().clear();
        withWindow(button, name, [&](QWidget* opened) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(opened, &escape);
            EXPECT_TRUE(opened->isVisible()) << name;
        });
        EXPECT_NE(std::find(sent().begin(), sent().end(), "STOP"), sent().end()) << name;
        port = mainPort; // each window made a port of its own
    }
}

// A value that changes between two readings is marked; with the link lost the boxes turn empty
// in order, with no further message and nothing sent.
TEST_F(AuxiliaryWindowsTest, ChangedVariablesAreMarkedAndALostLinkEmptiesTheBoxes) {
    open();
    withWindow("Command22", "VariableForm", [&](QWidget* opened) {
        auto* variables = static_cast<windows::VariablesWindow*>(opened);
        auto* timer = variables->findChild<QTimer*>("Timer1");
        for (int i = 0; i < 100; ++i)
            variables->refreshTick();
        controller.replies["V1"] = "5";
        variables->refreshTick();
        auto* v1 = variables->findChild<QLineEdit*>("V0_0");
        auto* v2 = variables->findChild<QLineEdit*>("V0_1");
        EXPECT_EQ(v1->text(), "5");
        EXPECT_TRUE(v1->property("changed").toBool());
        variables->refreshTick();
        EXPECT_FALSE(v2->property("changed").toBool());

        controller.vanished = true;
        variables->refreshTick(); // V3 goes unanswered
        EXPECT_EQ(ui.takeMessages(), (Messages{"No Reply to Command: V3"}));
        const size_t before = sent().size();
        for (int i = 0; i < 10; ++i)
            variables->refreshTick();
        EXPECT_EQ(sent().size(), before);
        EXPECT_TRUE(ui.takeMessages().empty());
        for (const char* box : {"V0_3", "V0_50", "V0_99", "V0_0"})
            EXPECT_EQ(variables->findChild<QLineEdit*>(box)->text(), "") << box;
        EXPECT_EQ(timer->interval(), 7200 * 1000) << "a dead link wakes the window seldom";
    });
}

TEST_F(AuxiliaryWindowsTest, TheMultiThreadWindowRunsEitherProgramAndShowsBoth) {
    open();
    controller.replies["SASTAT0"] = "1";
    controller.replies["SPC0"] = "12";
    controller.replies["SASTAT1"] = "4";
    controller.replies["SPC1"] = "3";
    withWindow("Command23", "MultiThread", [&](QWidget* opened) {
        auto* threads = static_cast<windows::MultiThreadWindow*>(opened);
        EXPECT_TRUE(threads->unboundControls().empty());
        EXPECT_EQ(threads->windowTitle(), "Multi-Thread Control");
        EXPECT_TRUE(threads->findChild<QRadioButton*>("ProgSel0")->isChecked());
        threads->refreshTick();
        EXPECT_EQ(threads->findChild<QLineEdit*>("ProgStatus_0")->text(), "Running");
        EXPECT_EQ(threads->findChild<QLineEdit*>("ProgIndex_0")->text(), "12");
        EXPECT_EQ(threads->findChild<QLineEdit*>("ProgStatus_1")->text(), "Errored");
        controller.replies["SASTAT1"] = "3";
        threads->refreshTick();
        EXPECT_EQ(threads->findChild<QLineEdit*>("ProgStatus_1")->text(), "Errored");
        testing_support::click(threads, "StopProg");
        threads->findChild<QRadioButton*>("ProgSel1")->setChecked(true);
        testing_support::click(threads, "PauseProg");
        testing_support::click(threads, "RunProg");
        testing_support::click(threads, "ContProg");
    });
    EXPECT_EQ(sent(), (Commands{"SASTAT0", "SPC0", "SASTAT1", "SPC1", "SASTAT0", "SPC0", "SASTAT1",
                                "SPC1", "SR0=0", "ABORT", "SR1=2", "SR1=1", "SR1=3"}));
}

// The window's failure clears its own link flag, not the shared one.
TEST_F(AuxiliaryWindowsTest, AFailedStopSendsNoAbortAndLeavesTheSharedLinkOpen) {
    open();
    controller.silent.insert("SR0=0");
    withWindow("Command23", "MultiThread", [&](QWidget* opened) {
        auto* threads = static_cast<windows::MultiThreadWindow*>(opened);
        testing_support::click(threads, "StopProg");
        EXPECT_FALSE(threads->ComStatus());
        EXPECT_TRUE(state.LinkOpen);
        threads->refreshTick();
    });
    EXPECT_EQ(sent(), (Commands{"SR0=0"}));
    EXPECT_EQ(ui.messages(), (Messages{"No Reply to Command: SR0=0", "Communication Error!"}));
    EXPECT_TRUE(state.LinkOpen);
}

TEST_F(AuxiliaryWindowsTest, XThreadNeedsFirmware222) {
    controller.replies["VER"] = "V221";
    open();
    EXPECT_FALSE(enabled("Command23"));
    find<QPushButton>("Command23")->setEnabled(true);
    click("Command23");
    EXPECT_TRUE(sent().empty());
}

} // namespace
} // namespace maintest
