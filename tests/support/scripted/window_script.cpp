#include "support/scripted/window_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace testing_support {
namespace {

constexpr int DefaultWaitMs = 10000;

QWidget* findIn(QWidget* window, const QString& name) {
    if (!window || !window->isVisible()) return nullptr;
    if (window->objectName() == name) return window;
    for (QWidget* child : window->findChildren<QWidget*>(name))
        if (child->isVisible()) return child;
    return nullptr;
}

// "Window/Control" looks only in that window; a bare name looks in the window in front first,
// since windows may reuse a control name.
QWidget* findVisible(const QString& name) {
    if (name.contains('/')) {
        const QString window = name.section('/', 0, 0);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == window && top->isVisible())
                return findIn(top, name.section('/', 1));
        return nullptr;
    }
    if (QWidget* found = findIn(QApplication::activeModalWidget(), name)) return found;
    if (QWidget* found = findIn(QApplication::activeWindow(), name)) return found;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (QWidget* found = findIn(top, name)) return found;
    return nullptr;
}

QString textOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
    if (auto* list = qobject_cast<QComboBox*>(widget)) return list->currentText();
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget))
        return text->toPlainText().replace('\n', "\\n");
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->isCheckable()) return button->isChecked() ? "checked" : "unchecked";
        return button->text();
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        return rows.join('|');
    }
    const QVariant lit = widget->property("lit");
    if (lit.isValid()) return lit.toBool() ? "lit" : "dark";
    if (widget->isWindow()) return widget->windowTitle();
    return widget->property("text").toString();
}

// The words after the command, joined, without a trailing time-out.
QString argumentText(const QStringList& words, int from) {
    return words.mid(from).join(' ');
}

void print(const QString& line) {
    std::fputs((line + '\n').toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

WindowScript* WindowScript::startFromEnvironment(QObject* parent) {
    const QString path = qEnvironmentVariable("MOTIONDESK_SCRIPT");
    if (path.isEmpty()) return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "script %s cannot be read\n", qPrintable(path));
        std::exit(3);
    }
    return new WindowScript(QString::fromUtf8(file.readAll()).split('\n'), parent);
}

WindowScript::WindowScript(QStringList lines, QObject* parent)
    : QObject(parent), lines_(std::move(lines)), timer_(new QTimer(this)) {
    // The timer keeps firing inside the modal windows' own event loops.
    timer_->setInterval(20);
    connect(timer_, &QTimer::timeout, this, &WindowScript::step);
    timer_->start();
}

void WindowScript::step() {
    while (next_ < lines_.size()) {
        const QString line = lines_[next_].trimmed();
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
        if (!words.isEmpty() && !line.startsWith('#') && !run(words)) return;
        ++next_;
        waitingSince_ = -1;
        // A queued click takes effect at the next turn of the event loop; what follows in the
        // script must see its result.
        if (clickQueued_) {
            clickQueued_ = false;
            return;
        }
    }
    timer_->stop();
}

bool WindowScript::run(const QStringList& words) {
    const QString& command = words[0];
    const QString name = words.value(1);
    if (command == "wait") return waitUntil(findVisible(name) != nullptr, words, 2);
    if (command == "waitgone") return waitUntil(findVisible(name) == nullptr, words, 2);
    if (command == "waittext") {
        QWidget* widget = findVisible(name);
        return waitUntil(widget && textOf(widget).contains(words.value(2)), words, 3);
    }
    if (command == "waitchange") {
        QWidget* widget = findVisible(name);
        const QString now = widget ? textOf(widget) : QString();
        if (waitingSince_ < 0) baseline_ = now;
        return waitUntil(widget && now != baseline_, words, 2);
    }
    if (command == "answer") return answer(words, true);
    if (command == "waitbox") return answer(words, false);
    if (command == "say") {
        print(words.mid(1).join(' '));
        return true;
    }
    if (command == "sleep") {
        bool given = false;
        const int milliseconds = name.toInt(&given);
        if (!given) fail("sleep takes milliseconds");
        if (waitingSince_ < 0) waitingSince_ = QDateTime::currentMSecsSinceEpoch();
        return QDateTime::currentMSecsSinceEpoch() - waitingSince_ >= milliseconds;
    }
    if (command == "quit") {
        std::fflush(stdout);
        std::_Exit(0);
    }

    QWidget* widget = findVisible(name);
    if (!widget) {
        fail("no visible window or control " + name);
        return false;
    }
    if (command == "click") {
        if (!qobject_cast<QAbstractButton*>(widget)) fail(name + " is not a button");
        QMetaObject::invokeMethod(widget, "click", Qt::QueuedConnection);
        clickQueued_ = true;
    } else if (command == "select") {
        const int row = words.value(2).toInt();
        if (auto* list = qobject_cast<QListWidget*>(widget)) list->setCurrentRow(row);
        if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->setCurrentIndex(row);
    } else if (command == "settext") {
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            combo->setEditText(argumentText(words, 2));
        if (auto* field = qobject_cast<QLineEdit*>(widget)) field->setText(argumentText(words, 2));
        if (auto* text = qobject_cast<QPlainTextEdit*>(widget))
            text->setPlainText(argumentText(words, 2).replace("\\n", "\n"));
    } else if (command == "clickline") {
        auto* text = qobject_cast<QPlainTextEdit*>(widget);
        QWidget* margin = text ? text->findChild<QWidget*>("LineNumbers") : nullptr;
        if (!margin) fail(name + " has no line numbers");
        const QTextBlock block = text->document()->findBlockByNumber(words.value(2).toInt() - 1);
        if (!block.isValid()) fail(name + " has no line " + words.value(2));
        const QPointF at(margin->width() / 2.0, text->cursorRect(QTextCursor(block)).center().y());
        QMouseEvent press(QEvent::MouseButtonPress, at, margin->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, {});
        QCoreApplication::sendEvent(margin, &press);
    } else if (command == "print") {
        print(name + "=" + textOf(widget));
    } else if (command == "key") {
        const QString keyName = words.value(2);
        const int key = keyName == "Return" ? Qt::Key_Return
                        : keyName == "F1"   ? Qt::Key_F1
                        : keyName == "Up"   ? Qt::Key_Up
                        : keyName == "Down" ? Qt::Key_Down
                                            : 0;
        if (!key) fail("unknown key " + keyName);
        widget->setFocus();
        QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
        clickQueued_ = true;
    } else if (command == "selection") {
        auto* text = qobject_cast<QPlainTextEdit*>(widget);
        print(name + ".selection=" + (text ? text->textCursor().selectedText() : QString()));
    } else if (command == "grab") {
        if (!widget->grab().save(words.value(2))) fail("cannot save " + words.value(2));
    } else if (command == "close") {
        widget->close();
    } else {
        fail("unknown command " + command);
    }
    return true;
}

bool WindowScript::waitUntil(bool condition, const QStringList& words, int timeoutIndex) {
    if (condition) return true;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (waitingSince_ < 0) waitingSince_ = now;
    bool given = false;
    const int timeoutMs = words.value(timeoutIndex).toInt(&given);
    if (now - waitingSince_ > (given ? timeoutMs : DefaultWaitMs))
        fail("timed out: " + words.join(' '));
    return false;
}

// Message boxes are the only modal dialogs with a "text" property.
bool WindowScript::answer(const QStringList& words, bool press) {
    bool firstIsTimeout = false;
    words.value(1).toInt(&firstIsTimeout);
    const bool buttonGiven = words.size() > 1 && !firstIsTimeout;
    const QString wanted = buttonGiven ? words[1] : QString("OK");

    QWidget* modal = QApplication::activeModalWidget();
    const bool isBox = qobject_cast<QDialog*>(modal) && modal->property("text").isValid();
    if (!waitUntil(isBox, words, buttonGiven ? 2 : 1)) return false;
    QString text = modal->property("text").toString();
    print("message=" + text.replace('\r', "\\r").replace('\n', "\\n"));
    if (!press) return true;
    for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
        if (button->text().remove('&').compare(wanted, Qt::CaseInsensitive) == 0) {
            QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
            clickQueued_ = true;
            return true;
        }
    }
    fail("the message box has no button " + wanted);
    return false;
}

void WindowScript::fail(const QString& why) {
    std::fprintf(stderr, "script line %d: %s\n", next_ + 1, qPrintable(why));
    std::fflush(stdout);
    std::_Exit(3);
}

} // namespace testing_support
