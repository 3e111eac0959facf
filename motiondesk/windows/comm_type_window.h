#pragma once
// "LMC-7 GUI" (CommType), the window the program opens in: the user picks the serial port, baud
// rate and device ID and connects over the serial line, chooses a USB device, or searches the
// serial ports for controllers. It stays open behind every other window.

#include "motiondesk/session/window_services.h"
#include "motiondesk/windows/comm_settings.h"

#include <QWidget>

class QComboBox;
class QLabel;

namespace connection {

class CommTypeWindow : public QWidget {
    Q_OBJECT
public:
    explicit CommTypeWindow(const session::WindowServices& services, QWidget* parent = nullptr);

signals:
    // "Exit" was pressed; the settings have been saved.
    void exitRequested();

private:
    QWidget* buildSerialFrame();
    QWidget* buildUsbFrame();
    void loadSettings();
    CommSettings currentSettings() const;
    void saveSettings();
    void showPortDevice();

    void onRs485();
    void onUsb();
    void onSearch(bool searchAll);
    void onExit();

    session::WindowServices services_;
    QComboBox* port_;
    QComboBox* baud_;
    QComboBox* deviceId_;
    QLabel* portDevice_;
};

} // namespace connection
