#include "motiondesk/connection/select_window.h"

#include "link/connection_state.h"
#include "motiondesk/connection/usb_connection.h"
#include "motiondesk/connection/usb_handle_file.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace connection {

SelectWindow::SelectWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName("frmSelect");
    setWindowTitle("Select Device");
    setModal(true);

    auto* caption = new QLabel("Device:", this);
    deviceList_ = new QListWidget(this);
    deviceList_->setObjectName("DeviceList");
    deviceList_->setMinimumSize(280, 120);
    caption->setBuddy(deviceList_);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    connect(ok, &QPushButton::clicked, this, &SelectWindow::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(deviceList_, &QListWidget::itemDoubleClicked, this, &SelectWindow::onOk);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(deviceList_, 1);
    layout->addWidget(buttons);
}

void SelectWindow::run() {
    transport::ConnectionState& state = services_.state;
    state.LinkOpen = false;
    state.UsbHandle = 1;
    const std::vector<std::string> entries = listControllers(services_.usb, state);
    if (entries.empty()) {
        hide();
        services_.ui.showMessage("Error finding USB device.");
        state.LinkOpen = false;
        services_.showMainWindow(parentWidget());
        services_.ui.quitProgram();
        return;
    }
    fillList(entries);
    exec();
}

void SelectWindow::fillList(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries)
        deviceList_->addItem(ui::fromLatin1(entry));
}

void SelectWindow::onOk() {
    QListWidgetItem* selected = deviceList_->currentItem();
    if (selected == nullptr || !selected->isSelected()) {
        services_.ui.showMessage("Please select a Zentor device first.");
        return;
    }
    const std::string entry = ui::toLatin1(selected->text());
    transport::ConnectionState& state = services_.state;
    state.UsbDeviceIndex = static_cast<int16_t>(usbIndexOfEntry(entry));
    hide();
    const std::string handleFile = services_.exeFolder + "/" + UsbHandleFileName;
    if (!openController(services_.usb, state, handleFile)) {
        services_.ui.showMessage(
            "Error opening device. Application is aborting. Reset hardware and try again.");
        services_.ui.quitProgram();
        reject();
        return;
    }
    state.DeviceName = deviceIdOfEntry(entry);
    state.LinkOpen = true;
    services_.showMainWindow(parentWidget());
    accept();
}

} // namespace connection
