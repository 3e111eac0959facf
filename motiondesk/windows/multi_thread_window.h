#pragma once
// "Multi-Thread Control" (MultiThread): runs, stops, pauses and continues program 0 or 1 of the
// controller and shows both programs' state and index, refreshed on Timer1. The window has its
// own copy of the connection state, handed over as properties before it loads: ComStatus (its
// link flag; clearing it does not clear the shared LinkOpen), ComAddress, ComPortNumber,
// Baudrate and ComPortStatus (not used). The status and index boxes are the control arrays
// ProgStatus and ProgIndex, elements "ProgStatus_0"/"ProgStatus_1" and "ProgIndex_0"/"ProgIndex_1".

#include "motiondesk/windows/multi_thread_control.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QRadioButton;
class QTimer;

namespace session {
struct WindowServices;
class HandlerRunner;
class WindowPort;
} // namespace session

namespace ui {
class ControlBinder;
}

namespace windows {

class MultiThreadWindow final : public QDialog {
    Q_OBJECT
public:
    explicit MultiThreadWindow(const session::WindowServices& services, QWidget* parent = nullptr);
    ~MultiThreadWindow() override;

    void setComStatus(bool open);
    void setComAddress(const std::string& deviceName);
    void setComPortNumber(int port);
    void setBaudrate(const std::string& baudRate);
    void setComPortStatus(bool open) { ComPortStatus = open; }
    bool ComStatus() const;

    // Opens the window's port with the properties and starts the refresh.
    void load();
    // One tick of Timer1 (tests call it directly).
    void refreshTick();
    const std::vector<std::string>& unboundControls() const;

protected:
    void done(int result) override;

private:
    void act(void (MultiThreadControl::*button)());
    void readSelection();
    void showPanel();

    const session::WindowServices& services_;
    std::unique_ptr<session::WindowPort> port_;
    MultiThreadPanel panel_;
    std::unique_ptr<MultiThreadControl> control_;
    std::unique_ptr<ui::ControlBinder> binder_;
    std::unique_ptr<session::HandlerRunner> runner_;
    QRadioButton* ProgSel0_;
    QRadioButton* ProgSel1_;
    std::array<QLineEdit*, 2> ProgStatus_{};
    std::array<QLineEdit*, 2> ProgIndex_{};
    QTimer* Timer1_;
    bool ComPortStatus = false;
};

} // namespace windows
