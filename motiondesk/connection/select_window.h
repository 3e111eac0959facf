#pragma once
// "Select Device" (frmSelect): lists the USB controllers, opens the chosen one and hands over to
// the main window.

#include "motiondesk/session/window_services.h"

#include <QDialog>

class QListWidget;

namespace connection {

class SelectWindow : public QDialog {
    Q_OBJECT
public:
    SelectWindow(const session::WindowServices& services, QWidget* parent = nullptr);

    // Lists the controllers and lets the user choose. Without any, says so, runs the main window
    // without a controller and then ends the program.
    void run();

private:
    void onOk();
    void fillList(const std::vector<std::string>& entries);

    session::WindowServices services_;
    QListWidget* deviceList_;
};

} // namespace connection
