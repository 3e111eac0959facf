#include "motiondesk/ui/keyboard.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>

namespace ui {

namespace {

struct ProgramKey {
    const char* button;
    QKeySequence::StandardKey standard;
    const char* key; // when there is no standard key
    const char* what;
};

// The main window's program frame and the program editor name their buttons alike, but for
// Compile (CompileAll in the main window, Command1 in the editor).
const ProgramKey kProgramKeys[] = {
    {"NewProg", QKeySequence::New, nullptr, "New program"},
    {"OpenProg", QKeySequence::Open, nullptr, "Open a program file"},
    {"SaveProg", QKeySequence::Save, nullptr, "Save the program"},
    {"CompileAll", QKeySequence::UnknownKey, "F7", "Compile"},
    {"Command1", QKeySequence::UnknownKey, "F7", "Compile"},
    {"DownloadSAP", QKeySequence::UnknownKey, "Ctrl+D", "Download"},
    {"RunProg", QKeySequence::UnknownKey, "F5", "Run the program"},
    {"StopProg", QKeySequence::UnknownKey, "Shift+F5", "Stop the program"},
};

JogKey jogKey(int key) {
    switch (key) {
    case Qt::Key_Right:
        return JogKey::Right;
    case Qt::Key_Left:
        return JogKey::Left;
    case Qt::Key_Escape:
        return JogKey::Escape;
    default:
        return JogKey::Other;
    }
}

bool isTextBox(const QWidget* widget) {
    if (!widget) return false;
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->isEditable();
    return qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget);
}

// Modifier keys alone are no second key: Shift held with an arrow still jogs.
bool isModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

} // namespace

std::string JogKeys::stop() {
    jog_ = JogKey::Other;
    return "STOP";
}

std::string JogKeys::press(JogKey key, bool autoRepeat, bool inTextBox) {
    if (autoRepeat) return {};
    if (key == JogKey::Escape) return stop();
    if (jogging()) return stop();
    if (inTextBox || key == JogKey::Other) return {};
    jog_ = key;
    return key == JogKey::Right ? "J+" : "J-";
}

std::string JogKeys::release(JogKey key, bool autoRepeat) {
    if (autoRepeat || !jogging() || key != jog_) return {};
    return stop();
}

std::string JogKeys::focusLost() {
    return jogging() ? stop() : std::string();
}

KeyHands::KeyHands(QWidget* window, bool jogging, std::function<void(const std::string&)> send)
    : QObject(window), window_(window), jogging_(jogging), send_(std::move(send)) {
    qApp->installEventFilter(this);
}

KeyHands::~KeyHands() {
    qApp->removeEventFilter(this);
}

bool KeyHands::belongsToWindow(QObject* watched) const {
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == window_;
}

bool KeyHands::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowDeactivate && watched == window_) {
        if (const std::string command = keys_.focusLost(); !command.empty()) send_(command);
        return false;
    }
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !belongsToWindow(watched))
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const JogKey key = jogKey(keyEvent->key());
    if (!jogging_ && key != JogKey::Escape) return false;
    if (key == JogKey::Other && (isModifier(keyEvent->key()) || !keys_.jogging())) return false;
    // Key events go to the widget that has the focus.
    const bool inTextBox = isTextBox(qobject_cast<QWidget*>(watched));
    if (type == QEvent::KeyPress) {
        const std::string command = keys_.press(key, keyEvent->isAutoRepeat(), inTextBox);
        if (!command.empty()) send_(command);
        // Escape never closes the window; the arrows stay with a text box that has the focus.
        return key == JogKey::Escape || (key != JogKey::Other && !inTextBox);
    }
    const std::string command = keys_.release(key, keyEvent->isAutoRepeat());
    if (!command.empty()) send_(command);
    return key != JogKey::Other && !inTextBox;
}

void addProgramKeys(QWidget* window) {
    for (const ProgramKey& entry : kProgramKeys) {
        auto* button = window->findChild<QAbstractButton*>(entry.button);
        if (!button) continue;
        const QKeySequence sequence =
            entry.key ? QKeySequence(entry.key) : QKeySequence(entry.standard);
        auto* shortcut = new QShortcut(sequence, window);
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled() && button->isVisible()) button->click();
        });
        button->setToolTip(
            QString("%1 (%2)").arg(entry.what, sequence.toString(QKeySequence::NativeText)));
    }
}

std::string keysHelpText() {
    std::string text = "Keys:\r";
    text += "Right / Left arrow, held: jog + / jog -, STOP on release\r";
    text += "Escape: STOP (in every window that talks to the controller)\r";
    for (const ProgramKey& entry : kProgramKeys) {
        if (std::string(entry.button) == "Command1") continue;
        const QKeySequence sequence =
            entry.key ? QKeySequence(entry.key) : QKeySequence(entry.standard);
        text +=
            sequence.toString(QKeySequence::PortableText).toStdString() + ": " + entry.what + "\r";
    }
    text += "Program Simulator: F5 Run, F6 Pause, F10 Step, Shift+F10 Step back, F9 breakpoint\r";
    text += "Tab / Shift+Tab: next / previous control; Space: press the focused button\r";
    return text;
}

} // namespace ui
