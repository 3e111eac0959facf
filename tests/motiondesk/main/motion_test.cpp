// The motion, speed, I/O, latch and sync controls: what each click sends and shows.

#include "main_window_fixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QTest>

#include <algorithm>

#include "motiondesk/main/motion_control.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QShortcut>

namespace maintest {
namespace {

using Motion = MainWindowTest;

Commands withSpeeds(Commands commands, const char* high = "1000") {
    Commands all = {std::string("HSPD=") + high, "LSPD=300", "ACC=300", "DEC=300"};
    all.insert(all.end(), commands.begin(), commands.end());
    return all;
}

// STOP and ISTOP go out alone: no speed setting holds a stop up.
TEST_F(Motion, EveryMoveButtonSendsTheSpeedsThenItsCommandAndAStopGoesAlone) {
    open();
    for (const mainwindow::MoveButton& button : mainwindow::kMoveButtons) {
        sent().clear();
        click(button.control);
        const bool stop =
            button.command == std::string("STOP") || button.command == std::string("ABORT");
        EXPECT_EQ(sent(), stop ? Commands{button.command} : withSpeeds({button.command}))
            << button.caption;
        EXPECT_EQ(find<QAbstractButton>(button.control)->text().toStdString(), button.caption);
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Motion, EmptySpeedFieldBecomesZeroBeforeAJog) {
    open();
    type("SetSpeed", "");
    click("Command13");
    EXPECT_EQ(sent(), withSpeeds({"J+"}, "0"));
    EXPECT_EQ(field("SetSpeed"), "0");
}

TEST_F(Motion, SpeedFieldsAreSentAsWholeNumbers) {
    open();
    type("SetSpeed", " 2500.5 ");
    type("Decel", "-0.4");
    click("Command14");
    EXPECT_EQ(sent(), (Commands{"HSPD=2500", "LSPD=300", "ACC=300", "DEC=0", "H+"}));
}

TEST_F(Motion, MoveToPositionSendsTheTypedTarget) {
    open();
    type("SetPosition", "-2500");
    click("Command5");
    EXPECT_EQ(sent(), withSpeeds({"X-2500"}));
    sent().clear();
    type("SetPosition", "");
    click("Command5");
    EXPECT_EQ(sent(), withSpeeds({"X0"}));
    EXPECT_EQ(field("SetPosition"), "0");
}

TEST_F(Motion, DatumReturnsToZeroInAbsoluteModeAndRestoresIncrementalMode) {
    controller.replies["MM"] = "1";
    open();
    tick();
    sent().clear();
    click("Command3");
    EXPECT_EQ(sent(),
              (Commands{"ABS", "HSPD=1000", "LSPD=300", "ACC=300", "DEC=300", "X0", "INC"}));

    controller.replies["MM"] = "0";
    tick();
    sent().clear();
    click("Command3");
    EXPECT_EQ(sent(), withSpeeds({"X0"}));
}

TEST_F(Motion, SettingButtonsSendTheirCommand) {
    open();
    type("SetPosition", "1234");
    const std::pair<const char*, const char*> buttons[] = {
        {"Command2", "ABS"},      {"Command1", "INC"},    {"clear", "CLR"},
        {"ResetPos", "PX=0"},     {"Re", "EX=0"},         {"Command29", "PX=1234"},
        {"Command28", "EX=1234"}, {"Command30", "T1234"}, {"Command9", "SSPDM=0"}};
    for (const auto& [name, command] : buttons) {
        sent().clear();
        click(name);
        EXPECT_EQ(sent(), (Commands{command})) << name;
    }
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Motion, PositionChangeOnTheFlyReportsARefusal) {
    controller.replies["T500"] = "?T500";
    open();
    type("SetPosition", "500");
    click("Command30");
    EXPECT_EQ(ui.messages(), (Commands{"Error! ?T500"}));
}

TEST_F(Motion, SCurveIsRefusedWhileTheAxisMoves) {
    controller.replies["MST"] = "2";
    open();
    tick();
    click("Command11");
    EXPECT_EQ(sent().size(), 12u); // the tick's queries only
    EXPECT_EQ(ui.messages(), (Commands{"Cannot set while running!"}));
}

TEST_F(Motion, SCurveAndTrapezoidNeedTheControllersOk) {
    open();
    tick();
    sent().clear();
    click("Command11");
    click("Command12");
    EXPECT_EQ(sent(), (Commands{"SCV=1", "SCV=0"}));
    EXPECT_TRUE(ui.messages().empty());
    controller.replies["SCV=1"] = "?SCV=1";
    click("Command11");
    EXPECT_EQ(ui.messages(), (Commands{"Error Setting Scurve!"}));
}

TEST_F(Motion, AccelAndSpeedOnTheFly) {
    open();
    type("otfacc", "2000");
    type("SSPDX", "800");
    click("Command10");
    EXPECT_EQ(sent(), (Commands{"ACC=2000", "SSPD800"}));
    EXPECT_TRUE(ui.messages().empty());
    controller.replies["SSPD800"] = "?SSPD800";
    click("Command10");
    EXPECT_EQ(ui.messages(), (Commands{"Error Setting Speed! ?SSPD800"}));
}

TEST_F(Motion, SyncOutputBoxSendsComparisonPositionTimeAndSwitch) {
    open();
    choose("XSel", ">");
    type("SyncPos", "");
    choose("SynTimeX", "5");
    click("SyncEnableX");
    EXPECT_EQ(sent(), (Commands{"SYNC=3", "SYNP=0", "SYNT=5", "SYNO"}));
    sent().clear();
    choose("XSel", "<");
    type("SyncPos", "-40");
    click("SyncEnableX");
    EXPECT_EQ(sent(), (Commands{"SYNC=2", "SYNP=-40", "SYNT=5", "SYNF"}));
}

TEST_F(Motion, LatchBoxTogglesTheControllersLatch) {
    open();
    controller.replies["LTS"] = "0";
    click("EnableLatch");
    EXPECT_EQ(sent(), (Commands{"LTS", "LT=1"}));
    sent().clear();
    controller.replies["LTS"] = "1";
    click("EnableLatch");
    EXPECT_EQ(sent(), (Commands{"LTS", "LT=0"}));
}

TEST_F(Motion, OutputLampsSwitchTheirOutput) {
    open();
    click("d1");
    EXPECT_EQ(sent(), (Commands{"DO1=1"}));
    controller.replies["DO"] = "3";
    tick(3);
    sent().clear();
    click("d1");
    click("d2");
    EXPECT_EQ(sent(), (Commands{"DO1=0", "DO2=0"}));
    controller.replies["DO2=0"] = "?DIO enabled";
    click("d2");
    EXPECT_EQ(ui.messages(), (Commands{"DIO is enabled."}));
}

TEST_F(Motion, CheckBoxesSendTheirNewValue) {
    controller.replies["EO"] = "0";
    open();
    click("EnableStat");
    click("DIOenable");
    click("DIOenable");
    EXPECT_EQ(sent(), (Commands{"EO=1", "EDIO=1", "EDIO=0"}));
}

TEST_F(Motion, FailedExchangeStopsLaterButtons) {
    open();
    controller.silent = {"LSPD=300"};
    click("Command13");
    EXPECT_EQ(sent(), (Commands{"HSPD=1000", "LSPD=300"}));
    EXPECT_EQ(ui.messages(), (Commands{"No Reply to Command: LSPD=300", "Communication Error!"}));
    sent().clear();
    for (const char* name : {"Command13", "Command5", "Command2", "ResetPos", "Command11", "d1",
                             "EnableLatch", "SyncEnableX"})
        click(name);
    EXPECT_TRUE(sent().empty());
}

struct BadInputCase {
    const char* fieldName;
    const char* text;
    const char* button;
};

class BadFieldInput : public MainWindowTest, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BadFieldInput, NamesTheFieldAndSendsNothing) {
    const BadInputCase& c = GetParam();
    open();
    type(c.fieldName, c.text);
    click(c.button);
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].find(c.fieldName), std::string::npos) << ui.messages()[0];
    EXPECT_NE(ui.messages()[0].find(c.text), std::string::npos) << ui.messages()[0];
    EXPECT_TRUE(state.LinkOpen);
}

INSTANTIATE_TEST_SUITE_P(Motion, BadFieldInput,
                         ::testing::Values(BadInputCase{"SetSpeed", "12abc", "Command13"},
                                           BadInputCase{"LSpeed", "99999999999", "Command5"},
                                           BadInputCase{"Decel", "fast", "Command3"},
                                           BadInputCase{"SetPosition", "1e3", "Command5"},
                                           BadInputCase{"SetPosition", "10.5", "Command29"},
                                           BadInputCase{"SetPosition", "5\rABORT", "Command30"},
                                           BadInputCase{"SetPosition", "", "Command29"},
                                           BadInputCase{"SetPosition", "", "Command28"},
                                           BadInputCase{"SetPosition", "", "Command30"},
                                           BadInputCase{"otfacc", "x", "Command10"},
                                           BadInputCase{"SSPDX", "fast", "Command10"},
                                           BadInputCase{"SyncPos", "--3", "SyncEnableX"}));

TEST_F(Motion, SyncBoxGoesBackWhenItsFieldsAreBad) {
    open();
    type("SyncPos", "abc");
    click("SyncEnableX");
    EXPECT_FALSE(ticked("SyncEnableX"));
    EXPECT_EQ(ui.messages(),
              (Messages{"Sync position (SyncPos) must be a whole number, not \"abc\"."}));
    EXPECT_TRUE(sent().empty());
}

// A stop never waits on the user: a bad speed field, which a stop does not use, holds it up
// not at all.
TEST_F(Motion, StopsGoOutWhateverTheSpeedFieldsHold) {
    open();
    type("SetSpeed", "abc");
    click("Command15");
    click("Command16");
    EXPECT_EQ(sent(), (Commands{"STOP", "ABORT"}));
    EXPECT_TRUE(ui.messages().empty());
}

// A box changed by the keyboard or by an assistive tool's toggle sends like a click does; a box
// the window sets itself sends nothing.
TEST_F(Motion, CheckBoxesSendWhenToggledByKeyboardOrAccessibility) {
    open();
    auto* dio = find<QCheckBox>("DIOenable");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(dio);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(ticked("DIOenable"));
    EXPECT_EQ(sent(), (Commands{"EDIO=1"}));

    auto* enable = find<QCheckBox>("EnableStat");
    enable->setFocus();
    QTest::keyClick(enable, Qt::Key_Space);
    EXPECT_TRUE(ticked("EnableStat"));
    EXPECT_EQ(sent(), (Commands{"EDIO=1", "EO=1"}));

    // The poll reads EO=0 back: the box follows, sending the value once, not twice.
    controller.commands.clear();
    controller.replies["EO"] = "0";
    tick(4);
    EXPECT_FALSE(ticked("EnableStat"));
    EXPECT_EQ(std::count(sent().begin(), sent().end(), "EO=0"), 1);
}

TEST_F(Motion, EnterInAFieldStartsNoMove) {
    open();
    QLineEdit* edit = find<QLineEdit>("SetPosition");
    edit->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(edit, &press);
    EXPECT_TRUE(sent().empty());
}

void key(QWidget* to, QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(to, &event);
}

// A jog lasts as long as its key: STOP on the release, on a second key and when the window
// loses the focus; auto-repeat sends nothing; Escape stops and leaves the window open; in a text
// box the arrows move the cursor.
TEST_F(Motion, ArrowKeysJogWhileHeldAndEscapeStops) {
    QWidget* window = &open();
    window->show();
    QWidget* button = find<QWidget>("Command5");
    struct Step {
        QEvent::Type type;
        int key;
        bool autoRepeat;
        Commands expected;
    };
    const Step steps[] = {
        {QEvent::KeyPress, Qt::Key_Right, false, withSpeeds({"J+"})},
        {QEvent::KeyPress, Qt::Key_Right, true, {}},
        {QEvent::KeyRelease, Qt::Key_Right, true, {}},
        {QEvent::KeyRelease, Qt::Key_Right, false, {"STOP"}},
        {QEvent::KeyRelease, Qt::Key_Right, false, {}},
        {QEvent::KeyPress, Qt::Key_Left, false, withSpeeds({"J-"})},
        {QEvent::KeyPress, Qt::Key_A, false, {"STOP"}},
        {QEvent::KeyRelease, Qt::Key_Left, false, {}},
        {QEvent::KeyPress, Qt::Key_Escape, false, {"STOP"}},
    };
    for (const Step& step : steps) {
        sent().clear();
        key(button, step.type, step.key, step.autoRepeat);
        EXPECT_EQ(sent(), step.expected) << step.key << " " << step.type;
    }
    EXPECT_TRUE(window->isVisible());

    key(button, QEvent::KeyPress, Qt::Key_Left);
    sent().clear();
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(window, &deactivate);
    EXPECT_EQ(sent(), Commands{"STOP"});

    QLineEdit* edit = find<QLineEdit>("SetPosition");
    edit->setFocus();
    sent().clear();
    key(edit, QEvent::KeyPress, Qt::Key_Right);
    key(edit, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_TRUE(sent().empty());
}

TEST_F(Motion, ProgramKeysClickTheirButtonsAndNameThemselves) {
    open();
    EXPECT_EQ(find<QAbstractButton>("RunProg")->toolTip(), "Run the program (F5)");
    EXPECT_EQ(find<QAbstractButton>("CompileAll")->toolTip(), "Compile (F7)");
    const auto shortcuts = window->findChildren<QShortcut*>();
    QStringList keys;
    for (const QShortcut* shortcut : shortcuts)
        keys << shortcut->key().toString();
    for (const char* expected : {"Ctrl+N", "Ctrl+O", "Ctrl+S", "F7", "Ctrl+D", "F5", "Shift+F5"})
        EXPECT_TRUE(keys.contains(expected)) << expected;
}

} // namespace
} // namespace maintest
