#pragma once
// The main window "LMC-7 Program" (frmMain): loads against the chosen link, polls the controller
// on Timer1 and offers the motion and axis controls. It is a thin widget: the poll, the reply
// decoding and the command building live in plain classes beside it.

#include "motiondesk/main/program_values.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QGroupBox;

namespace transport {
struct ConnectionState;
class CommandTransport;
class Clock;
class UsbLibrary;
class SerialLink;
} // namespace transport

namespace ui {
class UserInterface;
}

namespace mainwindow {

struct MainWindowContext {
    transport::ConnectionState& state;
    // The shared transport with the Motiondesk policy; the window binds its own MSComm1 to it.
    transport::CommandTransport& transport;
    ui::UserInterface& ui;
    transport::Clock& clock;
    transport::UsbLibrary& usb;
    // Makes the window's own serial-port control MSComm1.
    std::function<std::unique_ptr<transport::SerialLink>()> makeSerialLink;
    // Folder of the helper programs and their job files.
    std::string exeFolder;
    ProgramValues& program;
};

class MainWindowPrivate;

class MainWindow : public QDialog {
    Q_OBJECT
public:
    // Runs the loading sequence at once: the window is ready (or has reported why not) when the
    // constructor returns. Show it with exec().
    explicit MainWindow(const MainWindowContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // One tick of the status poll (what Timer1 does every 10 ms).
    void pollTick();

    bool pollPaused() const;
    // Set around every operation that hands the port to another window or process.
    void setPollPaused(bool paused);
    int statusPhase() const;
    bool loading() const;
    bool demoMode() const;
    int demoStep() const;

    // The frame that holds the program controls (run, compile, download, program files).
    QGroupBox* programControlFrame() const;

protected:
    // Closing by any way (close box, "Close", Escape) releases the link.
    void done(int result) override;

private:
    std::unique_ptr<MainWindowPrivate> d_;
};

} // namespace mainwindow
