#pragma once
// The set-up window "LMC-7 Setup" (Setup): the controller's polarities, boot behaviour,
// communication settings, Verimove, joystick and digital-I/O control, and the microstep
// driver's settings. It owns the serial port while it is open (the main window has lent it) and
// talks over a port of its own. It is a thin widget: the commands, the files and the change
// marks work on a plain SetupPanel beside it.
//
// Loading (the constructor): the baud-rate list, the window's own port, the firmware gates, the
// other lists, then an upload without its closing message. What that upload read is the
// controller's state: a control the user changes afterwards is shown in bold.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace session {
struct WindowServices;
class WindowPort;
} // namespace session

namespace setup {

class SetupWindowPrivate;

class SetupWindow final : public QDialog {
    Q_OBJECT
public:
    explicit SetupWindow(const session::WindowServices& services, QWidget* parent = nullptr);
    ~SetupWindow() override;

    // The window's own port; the digital I/O window borrows it.
    session::WindowPort& windowPort();
    // Control names the window binds that match none of its controls (none, when it is right).
    const std::vector<std::string>& unboundControls() const;

protected:
    // Closing by any way (close box, "Close") releases the port; Escape sends STOP instead.
    void done(int result) override;

private:
    std::unique_ptr<SetupWindowPrivate> d_;
};

} // namespace setup
