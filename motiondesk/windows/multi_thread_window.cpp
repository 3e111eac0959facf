#include "motiondesk/windows/multi_thread_window.h"

#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace windows {

namespace {

QLineEdit* display(const QString& name) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setMinimumWidth(90);
    return box;
}

} // namespace

MultiThreadWindow::MultiThreadWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), services_(services),
      port_(std::make_unique<session::WindowPort>(services, transport::TransportPolicy::window(),
                                                  session::LinkFlag::OwnCopy)),
      control_(std::make_unique<MultiThreadControl>(port_->channel(), panel_)),
      binder_(std::make_unique<ui::ControlBinder>(this)),
      runner_(std::make_unique<session::HandlerRunner>(
          services.ui, [this] { readSelection(); }, [this] { showPanel(); })),
      ProgSel0_(new QRadioButton("Program 0")), ProgSel1_(new QRadioButton("Program 1")),
      Timer1_(new QTimer(this)) {
    setObjectName("MultiThread");
    session::stopOnEscape(this, *port_);
    setWindowTitle("Multi-Thread Control");
    ProgSel0_->setObjectName("ProgSel0");
    ProgSel1_->setObjectName("ProgSel1");

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Status"), 0, 1);
    grid->addWidget(new QLabel("Index"), 0, 2);
    for (int n = 0; n < 2; ++n) {
        ProgStatus_[size_t(n)] = display("ProgStatus_" + QString::number(n));
        ProgIndex_[size_t(n)] = display("ProgIndex_" + QString::number(n));
        grid->addWidget(n == 0 ? ProgSel0_ : ProgSel1_, n + 1, 0);
        grid->addWidget(ProgStatus_[size_t(n)], n + 1, 1);
        grid->addWidget(ProgIndex_[size_t(n)], n + 1, 2);
    }
    auto* buttons = new QHBoxLayout;
    for (const auto& [name, caption] :
         {std::pair{"RunProg", "Run"}, std::pair{"StopProg", "Stop"},
          std::pair{"PauseProg", "Pause"}, std::pair{"ContProg", "Cont"}})
        buttons->addWidget(ui::button(name, caption));
    auto* frame = new QGroupBox("Program Control", this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addLayout(grid);
    frameLayout->addLayout(buttons);
    auto* close = new QHBoxLayout;
    close->addStretch();
    close->addWidget(ui::button("Command1", "Close"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(close);

    binder_->onClicked("RunProg", [this] { act(&MultiThreadControl::run); });
    binder_->onClicked("StopProg", [this] { act(&MultiThreadControl::stop); });
    binder_->onClicked("PauseProg", [this] { act(&MultiThreadControl::pause); });
    binder_->onClicked("ContProg", [this] { act(&MultiThreadControl::resume); });
    binder_->onClicked("Command1", [this] { accept(); });
    for (const char* name :
         {"ProgSel0", "ProgSel1", "ProgStatus_0", "ProgStatus_1", "ProgIndex_0", "ProgIndex_1"})
        binder_->find<QWidget>(name);

    Timer1_->setObjectName("Timer1");
    Timer1_->setTimerType(Qt::PreciseTimer);
    Timer1_->setInterval(services.timings.refreshIntervalMs);
    connect(Timer1_, &QTimer::timeout, this, &MultiThreadWindow::refreshTick);
    showPanel();
}

MultiThreadWindow::~MultiThreadWindow() = default;

void MultiThreadWindow::setComStatus(bool open) {
    port_->state().LinkOpen = open;
}
void MultiThreadWindow::setComAddress(const std::string& deviceName) {
    port_->state().DeviceName = deviceName;
}
void MultiThreadWindow::setComPortNumber(int port) {
    port_->state().SerialPort = static_cast<int16_t>(port);
}
void MultiThreadWindow::setBaudrate(const std::string& baudRate) {
    port_->state().BaudRate = baudRate;
}
bool MultiThreadWindow::ComStatus() const {
    return port_->state().LinkOpen;
}

void MultiThreadWindow::load() {
    runner_->run([this] { port_->OpenWindowPort(); });
    ProgSel0_->setChecked(true);
    Timer1_->start();
}

const std::vector<std::string>& MultiThreadWindow::unboundControls() const {
    return binder_->unbound();
}

void MultiThreadWindow::act(void (MultiThreadControl::*button)()) {
    runner_->run([this, button] { (control_.get()->*button)(); });
}

void MultiThreadWindow::readSelection() {
    panel_.selected = ProgSel0_->isChecked() ? 0 : 1;
}

void MultiThreadWindow::showPanel() {
    for (size_t n = 0; n < 2; ++n) {
        ProgStatus_[n]->setText(ui::fromLatin1(panel_.ProgStatus[n]));
        ProgIndex_[n]->setText(ui::fromLatin1(panel_.ProgIndex[n]));
    }
}

// A window whose link has failed sends nothing and wakes only a few times a second.
void MultiThreadWindow::refreshTick() {
    runner_->run([this] {
        control_->tick();
        Timer1_->setInterval(control_->linkOpen() ? services_.timings.refreshIntervalMs
                                                  : services_.timings.idleRefreshIntervalMs);
    });
}

// Unloading stops the timer and lets the port go.
void MultiThreadWindow::done(int result) {
    Timer1_->stop();
    port_->CloseWindowPort();
    QDialog::done(result);
}

} // namespace windows
