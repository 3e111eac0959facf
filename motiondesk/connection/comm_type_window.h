#pragma once
// "LMC-7 GUI" (CommType), the window the program opens in: the user picks the serial port, baud
// rate and device ID and connects over the serial line, chooses a USB device, or searches the
// serial ports for controllers. Beside the port list it shows what the chosen COM number opens
// and what stands in the way of using it, and lists the machine's serial ports so that one can
// be assigned to the chosen number. It stays open behind every other window.

#include "link/serial_port_link.h"
#include "motiondesk/connection/comm_settings.h"
#include "motiondesk/connection/port_assignment.h"
#include "motiondesk/session/window_services.h"

#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace connection {

// Where the window learns the machine's serial ports and their stable names; tests give their
// own.
struct SerialPortCatalog {
    std::function<std::vector<transport::SerialPortDescription>()> list =
        transport::availableSerialPorts;
    std::string byIdFolder = DefaultByIdFolder;
};

class CommTypeWindow : public QWidget {
    Q_OBJECT
public:
    explicit CommTypeWindow(const session::WindowServices& services, QWidget* parent = nullptr,
                            SerialPortCatalog catalog = {});

signals:
    // "Exit" was pressed; the settings have been saved.
    void exitRequested();

private:
    QWidget* buildSerialFrame();
    QWidget* buildPortsFrame();
    QWidget* buildUsbFrame();
    void loadSettings();
    CommSettings currentSettings() const;
    void saveSettings();
    int chosenPort() const;
    void showPortDevice();
    void refreshPortList();
    void updatePortButtons();
    void fitPortListWidth();
    void onAssign();
    void onRelease();

    void onRs485();
    void onUsb();
    void onSearch(bool searchAll);
    void onExit();

    session::WindowServices services_;
    SerialPortCatalog catalog_;
    PortAssignment assignment_;
    QComboBox* port_;
    QComboBox* baud_;
    QComboBox* deviceId_;
    QLabel* portDevice_;
    QLabel* portProblem_;
    QTreeWidget* portList_;
    QLabel* noPorts_;
    QPushButton* assign_;
    QPushButton* release_;
    // Why the main window could not open the port last time, while that port is chosen.
    int failedPort_ = 0;
    std::string openFailure_;
};

} // namespace connection
