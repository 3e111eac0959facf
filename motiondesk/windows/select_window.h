#pragma once
// "Select Device" (frmSelect): lists the USB controllers, opens the chosen one and hands over to
// the main window.

#include "motiondesk/windows/connection_context.h"

#include <QDialog>

class QListWidget;

namespace connection {

class SelectWindow : public QDialog {
    Q_OBJECT
public:
    SelectWindow(const ConnectionContext& context, QWidget* parent = nullptr);

    // Lists the controllers and lets the user choose. Without any, says so, runs the main window
    // without a controller and then ends the program.
    void run();

private:
    void onOk();
    void fillList(const std::vector<std::string>& entries);

    ConnectionContext context_;
    QListWidget* deviceList_;
};

} // namespace connection
