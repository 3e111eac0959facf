#pragma once
// The keyboard on the axis and on the program: the arrow keys jog while they are held, Escape
// stops, and the program buttons have their standard keys. A jog never outlives its key: STOP
// goes out when the key is released, when a second key is pressed and when the window loses the
// focus. Escape in a window that owns the link sends STOP and never closes the window.

#include <QObject>

#include <functional>
#include <string>

class QKeyEvent;
class QWidget;

namespace ui {

enum class JogKey { Right, Left, Escape, Other };

// When the keys send what: plain logic, the filter below feeds it.
class JogKeys {
public:
    // The command for a key press ("J+", "J-", "STOP"), empty for none. The arrows jog only
    // outside a text box (where they move the cursor); auto-repeat sends nothing more.
    std::string press(JogKey key, bool autoRepeat, bool inTextBox);
    std::string release(JogKey key, bool autoRepeat);
    std::string focusLost();
    bool jogging() const { return jog_ != JogKey::Other; }

private:
    std::string stop();

    JogKey jog_ = JogKey::Other;
};

// Watches the keys of one window (all of its widgets) and hands the commands to send. With
// jogging off only Escape acts (STOP). Installed on the application, so the focused button or
// box never sees the keys it acts on.
class KeyHands final : public QObject {
public:
    KeyHands(QWidget* window, bool jogging, std::function<void(const std::string&)> send);
    ~KeyHands() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsToWindow(QObject* watched) const;

    QWidget* window_;
    bool jogging_;
    std::function<void(const std::string&)> send_;
    JogKeys keys_;
};

// The program buttons' keys: each named button of the window clicks on its key (while enabled)
// and its tooltip names the key. Buttons the window lacks are skipped.
void addProgramKeys(QWidget* window);

// Every key of the program, for "About".
std::string keysHelpText();

} // namespace ui
