#pragma once
// "Terminal" (TerminalForm): raw controller commands typed into SendText, the transcript in Pad.
// On a serial line shared by several controllers the ID box addresses any of them, the
// broadcast ID 00 included. The window owns the serial port while it is open.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace session {
struct WindowServices;
class HandlerRunner;
class WindowPort;
} // namespace session

namespace ui {
class ControlBinder;
}

namespace windows {

class TerminalSession;

class TerminalWindow final : public QDialog {
    Q_OBJECT
public:
    // deviceIdOverUsb: over USB the main window shows the controller's ID from its name and the
    // box cannot be changed; empty on the serial line.
    TerminalWindow(const session::WindowServices& services, const std::string& deviceIdOverUsb,
                   QWidget* parent = nullptr);
    ~TerminalWindow() override;

    const std::vector<std::string>& unboundControls() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void enter();
    void save();
    void showTranscript();

    const session::WindowServices& services_;
    std::unique_ptr<session::WindowPort> port_;
    std::unique_ptr<TerminalSession> session_;
    std::unique_ptr<ui::ControlBinder> binder_;
    std::unique_ptr<session::HandlerRunner> runner_;
    QLineEdit* sendText_;
    QPlainTextEdit* pad_;
    QLineEdit* deviceId_;
    QCheckBox* timeStamps_;
    bool closed_ = false;
};

} // namespace windows
