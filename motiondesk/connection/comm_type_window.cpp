#include "motiondesk/connection/comm_type_window.h"

#include "link/command_transport.h"
#include "link/connection_state.h"
#include "link/port_diagnosis.h"
#include "link/serial_link.h"
#include "motiondesk/connection/search_window.h"
#include "motiondesk/connection/select_window.h"
#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace connection {
namespace {

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

QLabel* makeNote(QWidget* parent, const char* name, QColor colour) {
    auto* note = new QLabel(parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, colour);
    note->setPalette(palette);
    return note;
}

QString capitalised(const std::string& text) {
    QString shown = ui::fromLatin1(text);
    if (!shown.isEmpty()) shown[0] = shown[0].toUpper();
    return shown;
}

// The columns of the list of the machine's serial ports.
enum PortColumn { DeviceColumn, DescriptionColumn, MakerColumn, SerialColumn, AssignedColumn };

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

CommTypeWindow::CommTypeWindow(const session::WindowServices& services, QWidget* parent,
                               SerialPortCatalog catalog)
    : QWidget(parent), services_(services), catalog_(std::move(catalog)),
      assignment_(services_.exeFolder, catalog_.byIdFolder) {
    setObjectName("CommType");
    setWindowTitle("LMC-7 GUI");
    services_.program.GuiVersion = session::kGuiVersion;

    auto* picture = new QLabel(this);
    picture->setObjectName("Picture");
    picture->setPixmap(motorPicture());
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* version = new QLabel("Version " + ui::fromLatin1(services_.program.GuiVersion), this);
    version->setObjectName("VersionLabel");
    version->setAlignment(Qt::AlignHCenter);
    auto* side = new QVBoxLayout;
    side->addWidget(picture);
    side->addStretch();
    side->addWidget(version);

    auto* choices = new QVBoxLayout;
    choices->addWidget(buildSerialFrame());
    choices->addWidget(buildPortsFrame());
    choices->addWidget(buildUsbFrame());
    auto* exit = ui::button("Close", "Exit", this);
    connect(exit, &QPushButton::clicked, this, &CommTypeWindow::onExit);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(exit);
    choices->addLayout(bottom);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(choices, 1);

    refreshPortList();
    loadSettings();
}

QWidget* CommTypeWindow::buildSerialFrame() {
    auto* frame = new QGroupBox("Serial line (RS-232 / RS-485)", this);
    port_ = makeList(frame, "combo", numbered("COM", 1, 15, "%d"));
    baud_ = makeList(frame, "baudCom", {"9600", "19200", "38400", "57600", "115200"});
    deviceId_ = makeList(frame, "DeviceIDCombo", numbered("", 1, 99, "%02d"));
    portDevice_ = makeNote(frame, "PortDevice", palette().color(QPalette::PlaceholderText));
    portProblem_ = makeNote(frame, "PortProblem", ui::badText(palette()));
    connect(port_, &QComboBox::currentTextChanged, this, [this] {
        showPortDevice();
        updatePortButtons();
    });

    // The three lists line up in one column; what the port opens is shown beside them, and what
    // stands in the way of using it below.
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
    grid->addWidget(portDevice_, 0, 2, 3, 1, Qt::AlignTop);
    grid->setColumnStretch(2, 1);

    auto* connectButton = ui::button("Command25", "RS-485", frame);
    connectButton->setDefault(true);
    auto* search = ui::button("SearchQW", "Search", frame);
    auto* searchAll = ui::button("SearchAllQW", "Search All", frame);
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
    layout->addWidget(portProblem_);
    layout->addLayout(buttons);
    return frame;
}

QWidget* CommTypeWindow::buildPortsFrame() {
    auto* frame = new QGroupBox("Serial ports of this computer", this);
    portList_ = new QTreeWidget(frame);
    portList_->setObjectName("SerialPortList");
    portList_->setHeaderLabels({"Device", "Description", "Maker", "Serial number", "Port"});
    portList_->setRootIsDecorated(false);
    portList_->setUniformRowHeights(true);
    portList_->setSelectionMode(QAbstractItemView::SingleSelection);
    portList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    portList_->header()->setStretchLastSection(false);
    portList_->setMinimumHeight(4 * portList_->fontMetrics().height() + 12);
    portList_->setMaximumHeight(8 * portList_->fontMetrics().height() + 12);
    noPorts_ = new QLabel("No serial ports were found on this computer.", frame);
    noPorts_->setObjectName("NoSerialPorts");

    assign_ = ui::button("AssignPort", "Assign", frame);
    release_ = ui::button("ReleasePort", "Release", frame);
    auto* refresh = ui::button("RefreshPorts", "Refresh", frame);
    connect(assign_, &QPushButton::clicked, this, &CommTypeWindow::onAssign);
    connect(release_, &QPushButton::clicked, this, &CommTypeWindow::onRelease);
    connect(refresh, &QPushButton::clicked, this, [this] {
        refreshPortList();
        showPortDevice();
    });
    connect(portList_, &QTreeWidget::itemSelectionChanged, this,
            &CommTypeWindow::updatePortButtons);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(assign_);
    buttons->addWidget(release_);
    buttons->addStretch();
    buttons->addWidget(refresh);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(portList_);
    layout->addWidget(noPorts_);
    layout->addLayout(buttons);
    return frame;
}

QWidget* CommTypeWindow::buildUsbFrame() {
    auto* frame = new QGroupBox("USB", this);
    auto* usb = ui::button("Command1", "USB", frame);
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
    port_->setCurrentIndex(port_->findText(ui::fromLatin1(settings.port)));
    port_->setEditText(ui::fromLatin1(settings.port));
    baud_->setCurrentIndex(baud_->findText(ui::fromLatin1(settings.baud)));
    baud_->setEditText(ui::fromLatin1(settings.baud));
    deviceId_->setCurrentIndex(deviceId_->findText(ui::fromLatin1(settings.deviceId)));
    deviceId_->setEditText(ui::fromLatin1(settings.deviceId));
    showPortDevice();
}

CommSettings CommTypeWindow::currentSettings() const {
    return {ui::toLatin1(port_->currentText()), ui::toLatin1(baud_->currentText()),
            ui::toLatin1(deviceId_->currentText())};
}

void CommTypeWindow::saveSettings() {
    writeCommSettings(services_.exeFolder + "/" + CommSettingsFileName, currentSettings());
}

int CommTypeWindow::chosenPort() const {
    return portNumberFromText(ui::toLatin1(port_->currentText()));
}

// Shows which device the chosen COM name opens (a link's target, and the device that leads to),
// and why it cannot be used where that is known: the main window's reason for not opening it,
// else what can be seen without opening it.
void CommTypeWindow::showPortDevice() {
    const int number = chosenPort();
    const transport::PortState state = transport::describePortState(number, services_.exeFolder);
    QString shown;
    if (!state.shownTarget.empty())
        shown = QString::fromUtf8("\u2192 ") + ui::fromLatin1(state.shownTarget);
    if (!state.device.empty()) shown += " (" + ui::fromLatin1(state.device) + ")";
    portDevice_->setText(shown);
    const bool failedHere = number == failedPort_ && !openFailure_.empty();
    portProblem_->setText(failedHere ? ui::fromLatin1(openFailure_) : capitalised(state.problem));
    portProblem_->setVisible(!portProblem_->text().isEmpty());
}

// Fills the list of the machine's serial ports with the COM numbers assigned to them, keeping the
// selection.
void CommTypeWindow::refreshPortList() {
    const QString selected =
        portList_->currentItem() ? portList_->currentItem()->text(DeviceColumn) : QString();
    const QSignalBlocker quiet(portList_);
    portList_->clear();
    for (const transport::SerialPortDescription& port : catalog_.list()) {
        QStringList assigned;
        for (int number : assignment_.portsOf(port.device))
            assigned << "COM" + QString::number(number);
        auto* item = new QTreeWidgetItem(portList_, {QString::fromStdString(port.device),
                                                     QString::fromStdString(port.description),
                                                     QString::fromStdString(port.manufacturer),
                                                     QString::fromStdString(port.serialNumber),
                                                     assigned.join(", ")});
        if (item->text(DeviceColumn) == selected) portList_->setCurrentItem(item);
    }
    noPorts_->setVisible(portList_->topLevelItemCount() == 0);
    fitPortListWidth();
    updatePortButtons();
}

// Every column is shown whole, so the window grows with long descriptions rather than hiding
// the assigned COM numbers at the far right.
void CommTypeWindow::fitPortListWidth() {
    int width = 2 * portList_->frameWidth() + portList_->verticalScrollBar()->sizeHint().width();
    const QFontMetrics metrics = portList_->fontMetrics();
    const int margin = 2 * portList_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    for (int column = 0; column < portList_->columnCount(); ++column) {
        int columnWidth = portList_->header()->sectionSizeHint(column);
        for (int row = 0; row < portList_->topLevelItemCount(); ++row)
            columnWidth = std::max(
                columnWidth,
                metrics.horizontalAdvance(portList_->topLevelItem(row)->text(column)) + margin);
        width += columnWidth;
    }
    portList_->setMinimumWidth(width);
}

void CommTypeWindow::updatePortButtons() {
    const int number = chosenPort();
    const bool valid = number >= 1 && number <= HighestAssignablePort;
    const QString com = valid ? "COM" + QString::number(number) : QString("the port");
    assign_->setText("Assign to " + com);
    release_->setText("Release " + com);
    assign_->setEnabled(valid && portList_->currentItem());
    release_->setEnabled(valid && assignment_.isAssigned(number));
}

void CommTypeWindow::onAssign() {
    QTreeWidgetItem* item = portList_->currentItem();
    if (!item) return;
    const PortAssignment::Outcome outcome =
        assignment_.assign(chosenPort(), item->text(DeviceColumn).toStdString());
    if (!outcome.failure.empty())
        services_.ui.showMessage(outcome.failure);
    else
        openFailure_.clear();
    refreshPortList();
    showPortDevice();
}

void CommTypeWindow::onRelease() {
    if (const auto failure = assignment_.release(chosenPort()))
        services_.ui.showMessage(*failure);
    else
        openFailure_.clear();
    refreshPortList();
    showPortDevice();
}

void CommTypeWindow::onRs485() {
    saveSettings();
    const CommSettings settings = currentSettings();
    transport::ConnectionState& state = services_.state;
    state.LinkType = transport::LinkSerial;
    state.BaudRate = settings.baud;
    state.DeviceName = settings.deviceId;
    state.SerialPort = portNumberFromText(settings.port);
    services_.transport.LastErrorText.clear();
    services_.showMainWindow(this);

    // The main window only says that the port is not available; why is kept here, beside the
    // port list, until another port is chosen or connected.
    const std::string& reason = services_.transport.LastErrorText;
    const bool openFailed = reason.rfind(transport::openFailurePrefix(state.SerialPort), 0) == 0;
    failedPort_ = state.SerialPort;
    openFailure_ = openFailed ? reason : std::string();
    showPortDevice();
}

void CommTypeWindow::onUsb() {
    services_.state.LinkType = transport::LinkUsb;
    SelectWindow select(services_, this);
    select.run();
}

void CommTypeWindow::onSearch(bool searchAll) {
    services_.state.BaudRate = ui::toLatin1(baud_->currentText());
    SearchWindow window(services_, this);
    SerialSearch& search = window.search();
    search.StartSearch = false;
    search.SearchResult = false;
    search.PortNumber = 1;
    search.AddressID = ui::toLatin1(deviceId_->currentText());
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
    baud_->setCurrentIndex(baud_->findText(ui::fromLatin1(search.FoundBaud)));
    deviceId_->setEditText(ui::fromLatin1(search.FoundID));
    services_.ui.showMessage("KT-210 Found on Port:" + std::to_string(search.PortNumber) +
                             " Baud:" + search.FoundBaud + " ID:" + search.FoundID);
}

void CommTypeWindow::onExit() {
    saveSettings();
    emit exitRequested();
    close();
}

} // namespace connection
