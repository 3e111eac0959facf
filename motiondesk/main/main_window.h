#pragma once
// The main window "LMC-7 Program" (frmMain): loads against the chosen link, polls the controller
// on Timer1 and offers the motion and axis controls. It is a thin widget: the poll, the reply
// decoding and the command building live in plain classes beside it.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QGroupBox;

namespace session {
struct WindowServices;
class PortHolder;
} // namespace session

namespace mainwindow {

class MainWindowPrivate;
class ProgramControl;

class MainWindow : public QDialog {
    Q_OBJECT
public:
    // Runs the loading sequence at once: the window is ready (or has reported why not) when the
    // constructor returns. Show it with exec().
    explicit MainWindow(const session::WindowServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // One whole cycle of the status poll (Timer1 runs it a step per turn of the event loop).
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

    // Lends the window's port to another window: the poll pauses and the port closes, and
    // both come back when the loan ends.
    session::PortHolder& portHolder();

    // The program-control frame and its jobs.
    ProgramControl& programControl();

    // Control names the window binds that match none of its controls (none, when it is right).
    const std::vector<std::string>& unboundControls() const;

protected:
    void changeEvent(QEvent* event) override;
    // Closing by any way (close box, "Close") releases the link; Escape sends STOP instead.
    void done(int result) override;

private:
    std::unique_ptr<MainWindowPrivate> d_;
};

} // namespace mainwindow
