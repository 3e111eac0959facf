#include "motiondesk/main/main_window.h"

#include "link/command_channel.h"
#include "link/command_transport.h"
#include "link/controller_link.h"
#include "link/serial_link.h"
#include "link/usb_devices.h"
#include "motiondesk/main/auxiliary_windows.h"
#include "motiondesk/main/link_status.h"
#include "motiondesk/main/main_panel.h"
#include "motiondesk/main/main_window_layout.h"
#include "motiondesk/main/motion_control.h"
#include "motiondesk/main/plot_sample.h"
#include "motiondesk/main/program_control.h"
#include "motiondesk/main/setup_checks.h"
#include "motiondesk/main/startup.h"
#include "motiondesk/main/status_poll.h"
#include "motiondesk/plot/plot_window.h"
#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/port_loan.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/setup/setup_window.h"
#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/keyboard.h"
#include "motiondesk/ui/lamp.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"
#include "motiondesk/windows/variables_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

namespace mainwindow {

namespace {

// The read and write time-outs of a USB device opened again, as the connection window sets them.
constexpr int32_t kUsbTimeoutMs = 5000;

// Controls that need a firmware of 230 or later.
constexpr const char* kFirmware230Controls[] = {"Decel", "Command30", "HLM",
                                                "HLP",   "Command26", "Command27"};

} // namespace

class MainWindowPrivate final : public session::PortHolder {
public:
    MainWindowPrivate(MainWindow* window, const session::WindowServices& services)
        : window(window), services(services), channel(services.transport, services.ui),
          motion(channel, panel), poll(channel, panel, motion),
          startup(services.transport, channel, panel, services.program, poll, motion),
          binder(window), runner(
                              services.ui, [this] { readInputs(); }, [this] { showPanel(); }) {}

    void bindControls();
    void readInputs();
    void showPanel();
    void load();
    void applyFirmwareGates();
    void connectControls();
    void connectButton(const char* name, std::function<void()> action);
    void connectToggle(const char* name, std::function<void()> action);
    void act(const std::function<void()>& action) { runner.run(action); }
    void about();
    void pollStep();
    void openSetup();
    void release();
    void showLinkStatus();
    void colourLinkStatus();
    void openPlot();
    // The end of a poll cycle: the plot gets its values (only while the link is up).
    void feedPlot();
    long long nowMs() const;
    void reconnect();
    bool reopenUsb();

    // Another window takes the serial port: the poll pauses first, so no tick can send on the
    // port while it is away.
    void lendPort() override;
    void takePortBack() override;

    MainWindow* window;
    session::WindowServices services;
    MainPanel panel;
    transport::CommandChannel channel;
    MotionControl motion;
    StatusPoll poll;
    Startup startup;
    ui::ControlBinder binder;
    session::HandlerRunner runner;
    std::unique_ptr<transport::SerialLink> MSComm1;
    std::unique_ptr<ProgramControl> program;
    std::unique_ptr<AuxiliaryWindows> windows;
    MainWindowFrames frames;
    QTimer* Timer1 = nullptr;
    QElapsedTimer cycleStarted;
    QPointer<plot::PlotWindow> plotWindow;
    bool plotLinkUp = false;
    QElapsedTimer plotClock;
    QLabel* linkStatusLine = nullptr;
    QWidget* reconnectButton = nullptr;
    bool linkWasUp = false;
    bool released = false;

    // The panel's controls, looked up once: the poll refreshes them many times a second.
    template <typename Widget, typename Value>
    using Bindings = std::vector<std::pair<Widget*, Value MainPanel::*>>;
    Bindings<QLabel, std::string> texts;
    Bindings<ui::Lamp, bool> lamps;
    Bindings<QLineEdit, std::string> fields;
    Bindings<QComboBox, std::string> lists;
    Bindings<QCheckBox, bool> checks;
};

template <typename Widget, typename Value, size_t N>
static void bindTable(ui::ControlBinder& binder, const PanelControl<Value> (&table)[N],
                      MainWindowPrivate::Bindings<Widget, Value>& bindings) {
    for (const auto& entry : table)
        if (auto* widget = binder.find<Widget>(entry.name))
            bindings.emplace_back(widget, entry.member);
}

void MainWindowPrivate::bindControls() {
    bindTable(binder, kPanelTexts, texts);
    bindTable(binder, kPanelLamps, lamps);
    bindTable(binder, kPanelFields, fields);
    bindTable(binder, kPanelLists, lists);
    bindTable(binder, kPanelChecks, checks);
}

void MainWindowPrivate::readInputs() {
    for (const auto& [edit, member] : fields)
        panel.*member = ui::toLatin1(edit->text());
    for (const auto& [combo, member] : lists)
        panel.*member = ui::toLatin1(combo->currentText());
    for (const auto& [box, member] : checks)
        panel.*member = box->isChecked();
}

void MainWindowPrivate::showPanel() {
    for (const auto& [label, member] : texts)
        label->setText(ui::fromLatin1(panel.*member));
    for (const auto& [lamp, member] : lamps)
        lamp->setLit(panel.*member);
    // Fields are only written when they differ, so typing is not disturbed by the poll.
    for (const auto& [edit, member] : fields)
        if (ui::toLatin1(edit->text()) != panel.*member)
            edit->setText(ui::fromLatin1(panel.*member));
    for (const auto& [combo, member] : lists)
        combo->setCurrentText(ui::fromLatin1(panel.*member));
    // The window setting a box is not the user changing it: nothing is sent for it.
    for (const auto& [box, member] : checks) {
        const QSignalBlocker quiet(box);
        box->setChecked(panel.*member);
    }
    showLinkStatus();
}

// Set only when it changes: restyling a label on every poll tick costs more than the tick.
void MainWindowPrivate::showLinkStatus() {
    if (!linkStatusLine) return;
    if (reconnectButton) reconnectButton->setVisible(!services.state.LinkOpen);
    // A lost link ends the plot's traces where they are: nothing stale is drawn after it.
    if (plotWindow && plotLinkUp && !services.state.LinkOpen) {
        plotWindow->addGap();
        plotLinkUp = false;
    }
    linkWasUp = linkWasUp || services.state.LinkOpen;
    const LinkStatus status = linkStatus(services.state, linkWasUp);
    const QString text = ui::fromLatin1(status.text);
    if (linkStatusLine->text() == text) return;
    linkStatusLine->setText(text);
    linkStatusLine->setProperty("linkUp", status.up);
    colourLinkStatus();
}

// Green or red as the window's own palette reads them (light or dark).
void MainWindowPrivate::colourLinkStatus() {
    const bool up = linkStatusLine->property("linkUp").toBool();
    QPalette palette = linkStatusLine->palette();
    palette.setColor(QPalette::WindowText,
                     up ? ui::goodText(window->palette()) : ui::badText(window->palette()));
    linkStatusLine->setPalette(palette);
}

long long MainWindowPrivate::nowMs() const {
    return services.nowMs ? services.nowMs() : plotClock.elapsed();
}

// One plot for the window, made when first asked for, kept while the window is open.
void MainWindowPrivate::openPlot() {
    if (!plotWindow) {
        plotWindow = new plot::PlotWindow(services.ui, window);
        plotLinkUp = false;
    }
    plotWindow->show();
    plotWindow->raise();
    plotWindow->activateWindow();
}

void MainWindowPrivate::feedPlot() {
    if (!plotWindow) return;
    if (!services.state.LinkOpen) {
        if (plotLinkUp) plotWindow->addGap();
        plotLinkUp = false;
        return;
    }
    plotLinkUp = true;
    plotWindow->addSample(plotSample(panel, nowMs()));
}

void MainWindowPrivate::load() {
    if (services.state.LinkType == transport::LinkSerial && services.makeSerialLink)
        MSComm1 = services.makeSerialLink();
    bool pollRuns = false;
    act([&] { pollRuns = startup.load(MSComm1.get()); });
    if (pollRuns) applyFirmwareGates();
    if (pollRuns) Timer1->start();
    showLinkStatus();
}

// The same link again: the same COM number (which follows its assignment, so an adapter that came
// back under another name is found by its stable name) or the same USB device by its product
// text; then the checks and the read-back of loading, and the poll. A failure says why and
// leaves the window as it was.
void MainWindowPrivate::reconnect() {
    if (services.state.LinkOpen) return;
    Timer1->stop();
    poll.setPaused(true);
    if (services.state.LinkType == transport::LinkUsb && !reopenUsb()) return;
    // A serial port is made and opened afresh by the loading.
    load();
}

bool MainWindowPrivate::reopenUsb() {
    auto& state = services.state;
    // The old handle belongs to a device that went away; it is given back first.
    services.usb.Close(state.UsbHandle);
    std::string libraryError;
    const std::string product =
        transport::usbSearchText(services.program.ModelName, state.DeviceName);
    if (product.empty() || !transport::openFirstUsbDevice(services.usb, state, product,
                                                          kUsbTimeoutMs, &libraryError)) {
        state.LinkOpen = false;
        channel.tell(std::string(transport::UsbNotFoundText) +
                     (libraryError.empty() ? "" : " " + libraryError));
        return false;
    }
    state.LinkOpen = true;
    return true;
}

void MainWindowPrivate::applyFirmwareGates() {
    const int firmware = services.program.FirmwareVersion;
    if (!hasDecelerationFeatures(firmware))
        for (const char* name : kFirmware230Controls)
            if (auto* widget = binder.find<QWidget>(name)) widget->setEnabled(false);
    if (!hasMultiThread(firmware))
        if (auto* widget = binder.find<QWidget>("Command23")) widget->setEnabled(false);
}

void MainWindowPrivate::connectButton(const char* name, std::function<void()> action) {
    binder.onClicked(name, [this, action = std::move(action)] { act(action); });
}

void MainWindowPrivate::connectToggle(const char* name, std::function<void()> action) {
    binder.onToggled(name, [this, action = std::move(action)] { act(action); });
}

void MainWindowPrivate::connectControls() {
    for (const MoveButton& move : kMoveButtons) {
        const std::string command = move.command;
        connectButton(move.control, [this, command] { motion.moveButton(command); });
    }
    connectButton("Command5", [this] { motion.moveToPosition(); });
    connectButton("Command3", [this] { motion.datum(); });
    connectButton("Command2", [this] { motion.setAbsoluteMode(); });
    connectButton("Command1", [this] { motion.setIncrementalMode(); });
    connectButton("clear", [this] { motion.clearStatus(); });
    connectButton("ResetPos", [this] { motion.resetPosition(); });
    connectButton("Re", [this] { motion.resetEncoder(); });
    connectButton("Command29", [this] { motion.setPosition(); });
    connectButton("Command28", [this] { motion.setEncoder(); });
    connectButton("Command30", [this] { motion.triggerPosition(); });
    connectButton("Command9", [this] { motion.setSpeedMode(); });
    connectButton("Command10", [this] { motion.setAccelAndSpeed(); });
    connectButton("Command11", [this] { motion.setSCurve(true); });
    connectButton("Command12", [this] { motion.setSCurve(false); });
    connectButton("d1", [this] { motion.outputLampClicked(1); });
    connectButton("d2", [this] { motion.outputLampClicked(2); });
    connectButton("Command4", [this] { poll.DemoMode = true; });
    connectButton("Command7", [this] { poll.DemoMode = false; });
    connectButton("Help", [this] { about(); });
    connectButton("SetupButton", [this] { openSetup(); });
    binder.onClicked("PlotButton", [this] { openPlot(); });
    // Loading runs its own handler, as at the start.
    binder.onClicked("Reconnect", [this] { reconnect(); });
    // Check boxes: the box has already changed, and act() copies it into the panel.
    connectToggle("EnableStat", [this] { motion.driverEnableClicked(); });
    connectToggle("DIOenable", [this] { motion.dioEnableClicked(); });
    connectToggle("EnableLatch", [this] { motion.latchEnableClicked(startup.Loading); });
    connectToggle("SyncEnableX", [this] { motion.syncOutputClicked(startup.Loading); });
    connectButton("RunProg", [this] { program->runProgram(); });
    connectButton("StopProg", [this] { program->stopProgram(); });
    connectButton("PauseProg", [this] { program->pauseProgram(); });
    connectButton("ContProg", [this] { program->continueProgram(); });
    connectButton("CompileAll", [this] { program->compile(); });
    connectButton("DownloadSAP", [this] { program->download(); });
    connectButton("UploadSAP", [this] { program->upload(); });
    connectButton("Command24", [this] { program->clearCodeSpace(); });
    connectButton("ViewCompiled", [this] { program->viewCompiled(); });
    connectButton("SimulateProg", [this] { program->simulate(); });
    connectButton("NewProg", [this] { program->newProgram(); });
    connectButton("OpenProg", [this] { program->openProgram(); });
    connectButton("SaveProg", [this] { program->saveProgram(); });
    connectButton("Command25", [this] { program->openEditor(); });
    connectButton("ManualTerminal", [this] { windows->openTerminal(); });
    connectButton("Command22", [this] { windows->openVariables(); });
    connectButton("Command23", [this] { windows->openMultiThread(); });
    binder.onClicked("CloseButton", [this] { window->reject(); });
    // The poll's steps follow each other at once, each a turn of the event loop, so a click
    // between two exchanges goes out before the next one; between cycles the timer rests.
    QObject::connect(Timer1, &QTimer::timeout, window, [this] { pollStep(); });
}

// The poll's steps follow each other at once, each a turn of the event loop, so a click between
// two exchanges goes out before the next one; between cycles Timer1 rests. The user's input is
// taken as a cycle starts and the values are shown as it ends: a step costs its exchange alone.
// Cycles start every poll interval, counted from the start of the last one, as a timer that
// kept its period would fire: a cycle longer than the interval is followed by the next at once.
void MainWindowPrivate::pollStep() {
    const bool starting = !poll.cycleRunning();
    if (starting) cycleStarted.start();
    runner.run([this] { poll.tick(); }, starting, false);
    if (poll.cycleRunning()) return Timer1->setInterval(0);
    runner.run([] {}, false, true);
    feedPlot();
    const qint64 rest = services.timings.pollIntervalMs - cycleStarted.elapsed();
    Timer1->setInterval(int(std::max<qint64>(0, rest)));
}

void MainWindowPrivate::about() {
    if (!channel.linkOpen()) return;
    channel.tell(aboutText(services.program.GuiVersion, services.program.FirmwareVersion) + "\r" +
                 ui::keysHelpText());
}

// The set-up window has the port while it is open; the poll sends nothing meanwhile.
void MainWindowPrivate::openSetup() {
    if (!channel.linkOpen() || !readyForSetup(channel, services.ui, panel, motion)) return;
    const session::PortLoan loan(*this);
    setup::SetupWindow setupWindow(services, window);
    setupWindow.exec();
}

void MainWindowPrivate::release() {
    if (released) return;
    released = true;
    Timer1->stop();
    startup.close(services.usb, MSComm1.get());
}

void MainWindowPrivate::lendPort() {
    poll.setPaused(true);
    services.transport.CloseSerialPort();
}

// A port that cannot be opened again is as lost as one that fails under an exchange.
void MainWindowPrivate::takePortBack() {
    if (!services.transport.ReopenSerialPort()) {
        channel.setLinkOpen(false);
        channel.tell("Communication Error! " + services.transport.LastErrorText);
    }
    poll.setPaused(false);
}

MainWindow::MainWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), d_(std::make_unique<MainWindowPrivate>(this, services)) {
    setObjectName("frmMain");
    setWindowTitle("LMC-7 Program");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    d_->frames = buildMainWindowLayout(this);
    // As large as its frames want, unless the screen is smaller: then they scroll.
    QSize wanted = d_->frames.content->sizeHint() + QSize(40, 60);
    if (const QScreen* screen = this->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() - QSize(0, 40));
    resize(wanted);
    d_->bindControls();
    d_->linkStatusLine = d_->binder.find<QLabel>("LinkStatus");
    d_->reconnectButton = d_->binder.find<QWidget>("Reconnect");
    d_->program =
        std::make_unique<ProgramControl>(d_->services, d_->channel, d_->poll, *d_, this,
                                         d_->binder.find<ui::ProgramTextEdit>("OrgProgram"),
                                         d_->binder.find<QLabel>("CompiledTotal"));
    d_->windows = std::make_unique<AuxiliaryWindows>(d_->services, d_->channel, *d_, this);
    d_->plotClock.start();
    // The variables the plot draws come from the variables window's refresh.
    d_->windows->variablesOpened = [this](windows::VariablesWindow& variables) {
        if (!d_->plotWindow) return;
        QPointer<plot::PlotWindow> plot = d_->plotWindow;
        variables.setPlotHooks(
            plot->variables(),
            [plot](std::vector<int> picks) {
                if (plot) plot->setVariables(std::move(picks));
            },
            [this, plot](int number, double value) {
                if (plot) plot->addVariable(number, d_->nowMs(), value);
            });
    };
    d_->Timer1 = new QTimer(this);
    d_->Timer1->setObjectName("Timer1");
    d_->Timer1->setInterval(services.timings.pollIntervalMs);
    // A coarse timer rounds its next time up to a whole millisecond: a millisecond lost between
    // two steps, as long as a whole exchange at 115200 baud.
    d_->Timer1->setTimerType(Qt::PreciseTimer);
    d_->connectControls();
    // The arrows jog while held and Escape stops, through the buttons' own handling.
    new ui::KeyHands(this, true, [this](const std::string& command) {
        d_->act([this, command] { d_->motion.moveButton(command); });
    });
    ui::addProgramKeys(this);
    d_->showPanel();
    d_->load();
}

MainWindow::~MainWindow() {
    d_->release();
}

void MainWindow::pollTick() {
    d_->act([this] { d_->poll.runCycle(); });
    d_->feedPlot();
}

bool MainWindow::pollPaused() const {
    return d_->poll.PollPaused;
}
void MainWindow::setPollPaused(bool paused) {
    d_->poll.setPaused(paused);
}
int MainWindow::statusPhase() const {
    return d_->poll.StatusPhase;
}
bool MainWindow::loading() const {
    return d_->startup.Loading;
}
bool MainWindow::demoMode() const {
    return d_->poll.DemoMode;
}
int MainWindow::demoStep() const {
    return d_->poll.DemoStep;
}
QGroupBox* MainWindow::programControlFrame() const {
    return d_->frames.programControl;
}
session::PortHolder& MainWindow::portHolder() {
    return *d_;
}
ProgramControl& MainWindow::programControl() {
    return *d_->program;
}

const std::vector<std::string>& MainWindow::unboundControls() const {
    return d_->binder.unbound();
}

void MainWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && d_->linkStatusLine) d_->colourLinkStatus();
}

void MainWindow::done(int result) {
    d_->release();
    if (d_->plotWindow) d_->plotWindow->close();
    QDialog::done(result);
}

} // namespace mainwindow
