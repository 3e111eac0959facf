#include "motiondesk/windows/comm_type_window.h"

#include "motiondesk/transport/connection_state.h"
#include "motiondesk/transport/serial_link.h"
#include "motiondesk/transport/serial_port_link.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/windows/search_window.h"
#include "motiondesk/windows/select_window.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace connection {
namespace {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::string latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

QComboBox* makeList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    list->addItems(items);
    list->setMaxVisibleItems(15);
    return list;
}

QStringList numbered(const char* prefix, int first, int last, const char* format) {
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString(prefix) + QString::asprintf(format, n);
    return items;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// A drawing of a stepper motor with its driver's connector, beside the choices.
QPixmap motorPicture() {
    QPixmap picture(120, 120);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(QColor(150, 155, 165));
    painter.drawRoundedRect(QRectF(14, 30, 70, 70), 8, 8);
    painter.setBrush(QColor(95, 100, 110));
    for (QPointF hole : {QPointF(24, 40), QPointF(74, 40), QPointF(24, 90), QPointF(74, 90)})
        painter.drawEllipse(hole, 4, 4);
    painter.setBrush(QColor(200, 205, 210));
    painter.drawEllipse(QPointF(49, 65), 20, 20);
    painter.setBrush(QColor(230, 230, 230));
    painter.drawRect(QRectF(84, 61, 26, 8));
    painter.setPen(QPen(QColor(200, 40, 30), 3));
    painter.drawLine(QPointF(30, 30), QPointF(30, 12));
    painter.setPen(QPen(QColor(30, 30, 30), 3));
    painter.drawLine(QPointF(40, 30), QPointF(40, 12));
    painter.setPen(QPen(QColor(30, 90, 200), 3));
    painter.drawLine(QPointF(50, 30), QPointF(50, 12));
    painter.setPen(QPen(QColor(30, 150, 60), 3));
    painter.drawLine(QPointF(60, 30), QPointF(60, 12));
    return picture;
}

} // namespace

CommTypeWindow::CommTypeWindow(const session::WindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    setObjectName("CommType");
    setWindowTitle("LMC-7 GUI");
    services_.program.GuiVersion = session::kGuiVersion;

    auto* picture = new QLabel(this);
    picture->setObjectName("Picture");
    picture->setPixmap(motorPicture());
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* version = new QLabel("Version " + latin1(services_.program.GuiVersion), this);
    version->setObjectName("VersionLabel");
    version->setAlignment(Qt::AlignHCenter);
    auto* side = new QVBoxLayout;
    side->addWidget(picture);
    side->addStretch();
    side->addWidget(version);

    auto* choices = new QVBoxLayout;
    choices->addWidget(buildSerialFrame());
    choices->addWidget(buildUsbFrame());
    auto* exit = makeButton(this, "Close", "Exit");
    connect(exit, &QPushButton::clicked, this, &CommTypeWindow::onExit);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(exit);
    choices->addLayout(bottom);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(choices, 1);

    loadSettings();
}

QWidget* CommTypeWindow::buildSerialFrame() {
    auto* frame = new QGroupBox("Serial line (RS-232 / RS-485)", this);
    port_ = makeList(frame, "combo", numbered("COM", 1, 15, "%d"));
    baud_ = makeList(frame, "baudCom", {"9600", "19200", "38400", "57600", "115200"});
    deviceId_ = makeList(frame, "DeviceIDCombo", numbered("", 1, 99, "%02d"));
    portDevice_ = new QLabel(frame);
    portDevice_->setObjectName("PortDevice");
    portDevice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette dim = portDevice_->palette();
    dim.setColor(QPalette::WindowText, dim.color(QPalette::PlaceholderText));
    portDevice_->setPalette(dim);
    connect(port_, &QComboBox::currentTextChanged, this, &CommTypeWindow::showPortDevice);

    // The three lists line up in one column; what the port opens is shown beside it.
    auto* grid = new QGridLayout;
    const std::pair<const char*, QComboBox*> rows[] = {
        {"Port:", port_}, {"Baud rate:", baud_}, {"Device ID:", deviceId_}};
    for (int row = 0; row < 3; ++row) {
        auto* label = new QLabel(rows[row].first, frame);
        label->setBuddy(rows[row].second);
        rows[row].second->setMinimumWidth(120);
        grid->addWidget(label, row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }
    grid->addWidget(portDevice_, 0, 2);
    grid->setColumnStretch(2, 1);

    auto* connectButton = makeButton(frame, "Command25", "RS-485");
    connectButton->setDefault(true);
    auto* search = makeButton(frame, "SearchQW", "Search");
    auto* searchAll = makeButton(frame, "SearchAllQW", "Search All");
    connect(connectButton, &QPushButton::clicked, this, &CommTypeWindow::onRs485);
    connect(search, &QPushButton::clicked, this, [this] { onSearch(false); });
    connect(searchAll, &QPushButton::clicked, this, [this] { onSearch(true); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connectButton);
    buttons->addStretch();
    buttons->addWidget(search);
    buttons->addWidget(searchAll);

    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    return frame;
}

QWidget* CommTypeWindow::buildUsbFrame() {
    auto* frame = new QGroupBox("USB", this);
    auto* usb = makeButton(frame, "Command1", "USB");
    connect(usb, &QPushButton::clicked, this, &CommTypeWindow::onUsb);
    auto* hint = new QLabel("Choose a controller attached by USB.", frame);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(usb);
    layout->addWidget(hint, 1);
    return frame;
}

void CommTypeWindow::loadSettings() {
    const std::string path = services_.exeFolder + "/" + CommSettingsFileName;
    const CommSettings settings = readCommSettings(path).value_or(defaultCommSettings());
    // The file's texts are shown as they are, even when no list item matches them.
    port_->setCurrentIndex(port_->findText(latin1(settings.port)));
    port_->setEditText(latin1(settings.port));
    baud_->setCurrentIndex(baud_->findText(latin1(settings.baud)));
    baud_->setEditText(latin1(settings.baud));
    deviceId_->setCurrentIndex(deviceId_->findText(latin1(settings.deviceId)));
    deviceId_->setEditText(latin1(settings.deviceId));
    showPortDevice();
}

CommSettings CommTypeWindow::currentSettings() const {
    return {latin1(port_->currentText()), latin1(baud_->currentText()),
            latin1(deviceId_->currentText())};
}

void CommTypeWindow::saveSettings() {
    writeCommSettings(services_.exeFolder + "/" + CommSettingsFileName, currentSettings());
}

// Shows which device the chosen COM name opens, and where a link below EXE/ports leads.
void CommTypeWindow::showPortDevice() {
    const int number = portNumberFromText(latin1(port_->currentText()));
    const QString path =
        QString::fromStdString(transport::serialPortPath(number, services_.exeFolder));
    const QFileInfo device(path);
    const QString shown = device.isSymLink() ? device.symLinkTarget() : path;
    portDevice_->setText(shown.isEmpty() ? QString() : QString::fromUtf8("\u2192 ") + shown);
}

void CommTypeWindow::onRs485() {
    saveSettings();
    const CommSettings settings = currentSettings();
    transport::ConnectionState& state = services_.state;
    state.LinkType = transport::LinkSerial;
    state.BaudRate = settings.baud;
    state.DeviceName = settings.deviceId;
    state.SerialPort = portNumberFromText(settings.port);
    services_.showMainWindow(this);
}

void CommTypeWindow::onUsb() {
    services_.state.LinkType = transport::LinkUsb;
    SelectWindow select(services_, this);
    select.run();
}

void CommTypeWindow::onSearch(bool searchAll) {
    services_.state.BaudRate = latin1(baud_->currentText());
    SearchWindow window(services_, this);
    SerialSearch& search = window.search();
    search.StartSearch = false;
    search.SearchResult = false;
    search.PortNumber = 1;
    search.AddressID = latin1(deviceId_->currentText());
    search.StartSearch = true;
    search.SearchAll = searchAll;
    window.exec();

    if (searchAll) {
        services_.ui.showMessage(search.SearchAllString.empty() ? "No device found!"
                                                                : search.SearchAllString);
        return;
    }
    if (!search.SearchResult) {
        services_.ui.showMessage("Device not found!  Please check wiring and power inputs");
        return;
    }
    port_->setCurrentIndex(search.PortNumber - 1);
    baud_->setCurrentIndex(baud_->findText(latin1(search.FoundBaud)));
    deviceId_->setEditText(latin1(search.FoundID));
    services_.ui.showMessage("KT-210 Found on Port:" + std::to_string(search.PortNumber) +
                             " Baud:" + search.FoundBaud + " ID:" + search.FoundID);
}

void CommTypeWindow::onExit() {
    saveSettings();
    emit exitRequested();
    close();
}

} // namespace connection
