#include "motiondesk/windows/terminal_window.h"

#include "common/textfile.h"
#include "motiondesk/jobs/program_files.h"
#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"
#include "motiondesk/windows/terminal_session.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTime>
#include <QVBoxLayout>

namespace windows {

TerminalWindow::TerminalWindow(const session::WindowServices& services,
                               const std::string& deviceIdOverUsb, QWidget* parent)
    : QDialog(parent), services_(services), port_(std::make_unique<session::WindowPort>(
                                                services, transport::TransportPolicy::terminal())),
      session_(std::make_unique<TerminalSession>(port_->transport(), services.ui)),
      binder_(std::make_unique<ui::ControlBinder>(this)),
      runner_(std::make_unique<session::HandlerRunner>(services.ui)),
      sendText_(new QLineEdit(this)), pad_(new QPlainTextEdit(this)),
      deviceId_(new QLineEdit(this)), timeStamps_(new QCheckBox("Time stamps", this)) {
    setObjectName("TerminalForm");
    session::stopOnEscape(this, *port_);
    setWindowTitle("Terminal");
    sendText_->setObjectName("SendText");
    pad_->setObjectName("Pad");
    pad_->setReadOnly(true);
    pad_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    pad_->setLineWrapMode(QPlainTextEdit::NoWrap);
    deviceId_->setObjectName("DeviceID");
    deviceId_->setMaximumWidth(50);
    timeStamps_->setObjectName("TimeStamps");
    sendText_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    sendText_->setPlaceholderText("Command, then Enter (F1: the last one; Up/Down: earlier ones)");
    sendText_->installEventFilter(this);

    auto* entry = new QHBoxLayout;
    entry->addWidget(sendText_, 1);
    entry->addWidget(new QLabel("ID:"));
    entry->addWidget(deviceId_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(timeStamps_);
    buttons->addStretch();
    buttons->addWidget(ui::button("Command2", "Save"));
    buttons->addWidget(ui::button("Close", "Close"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entry);
    layout->addWidget(pad_, 1);
    layout->addLayout(buttons);
    resize(620, 440);

    binder_->onClicked("Command2", [this] { runner_->run([this] { save(); }); });
    binder_->onClicked("Close", [this] { accept(); });
    binder_->onToggled("TimeStamps", [this] { session_->setTimeStamps(timeStamps_->isChecked()); });
    session_->setClockText(
        [] { return QTime::currentTime().toString("HH:mm:ss.zzz").toStdString(); });

    // Load: the ID on the serial line, the window's own port, the device name to give back.
    const transport::ConnectionState& state = port_->state();
    if (state.LinkType == transport::LinkUsb) {
        deviceId_->setText(ui::fromLatin1(deviceIdOverUsb));
        deviceId_->setEnabled(false);
    } else {
        deviceId_->setText(ui::fromLatin1(state.DeviceName));
    }
    // A port that cannot be opened has said why; the closed link is not told a second time.
    runner_->run([this] {
        const bool linkWasOpen = port_->state().LinkOpen;
        port_->OpenWindowPort();
        session_->load(!linkWasOpen || port_->state().LinkOpen);
    });
}

TerminalWindow::~TerminalWindow() = default;

const std::vector<std::string>& TerminalWindow::unboundControls() const {
    return binder_->unbound();
}

void TerminalWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    sendText_->setFocus();
}

bool TerminalWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != sendText_ || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        runner_->run([this] { enter(); });
        return true;
    }
    if (key == Qt::Key_F1) {
        sendText_->setText(ui::fromLatin1(session_->PreviousCommand()));
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const auto command =
            key == Qt::Key_Up ? session_->olderCommand() : session_->newerCommand();
        if (command) sendText_->setText(ui::fromLatin1(*command));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TerminalWindow::enter() {
    const std::string command = ui::toLatin1(sendText_->text());
    sendText_->clear();
    const TerminalSession::Entered entered =
        session_->enter(command, ui::toLatin1(deviceId_->text()));
    deviceId_->setText(ui::fromLatin1(entered.deviceId));
    showTranscript();
    sendText_->setFocus();
}

void TerminalWindow::showTranscript() {
    QString text = ui::fromLatin1(session_->transcript());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.endsWith('\n')) text.chop(1);
    pad_->setPlainText(text);
    pad_->verticalScrollBar()->setValue(pad_->verticalScrollBar()->maximum());
}

void TerminalWindow::save() {
    const auto name = services_.ui.saveFileName(
        {"Save Terminal Text As", "Terminal Text Files (*.txt)|*.txt", ""});
    if (!name) return;
    if (name->empty()) return services_.ui.showMessage("No Program Name!");
    if (name->find('*') != std::string::npos) return;
    if (!common::writeTextAtomically(*name, session_->fileText()))
        return services_.ui.showMessage("File " + *name +
                                        " could not be saved: " + jobs::saveFailureReason(*name));
    services_.ui.showMessage("Save Done!");
}

// Closing by any way gives the device name back and lets the port go.
void TerminalWindow::done(int result) {
    if (!closed_) {
        closed_ = true;
        session_->close();
        port_->CloseWindowPort();
    }
    QDialog::done(result);
}

} // namespace windows
