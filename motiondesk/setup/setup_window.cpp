#include "motiondesk/setup/setup_window.h"

#include "controller/parameter_set.h"
#include "controller/setup_panel.h"
#include "link/command_channel.h"
#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/port_loan.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/setup/change_marks.h"
#include "motiondesk/setup/dio_window.h"
#include "motiondesk/setup/parameter_file.h"
#include "motiondesk/setup/setup_window_layout.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <map>

namespace setup {

namespace {

// Controls the controller's firmware lacks below a version: they stay disabled, keep their
// values, and are still sent by a download and written to files.
struct FirmwareGate {
    int below;
    std::vector<const char*> controls;
};

const FirmwareGate kFirmwareGates[] = {
    {222,
     {"SAPolHigh", "SAPolLow", "Watchdog", "InPolHigh", "InPolLow", "OutPolHigh", "OutPolLow",
      "RunOnBoot2", "DOBOOT", "IERR"}},
    {227, {"EOPolHigh", "EOPolLow", "EOBOOT"}},
    {230, {"EnaDEC", "LCA", "HCA", "RZ"}},
};

QStringList numberItems(int from, int to, int step = 1, int width = 0) {
    QStringList items;
    for (int i = from; i <= to; i += step)
        items << QString::number(i).rightJustified(width, '0');
    return items;
}

QStringList baudItems() {
    QStringList items;
    for (const char* rate : kBaudRates)
        items << QString::fromLatin1(rate);
    return items;
}

} // namespace

class SetupWindowPrivate {
public:
    SetupWindowPrivate(SetupWindow* window, const session::WindowServices& services)
        : window(window), services(services), port(services),
          parameters(port.channel(), services.ui, services.clock, panel,
                     services.program.FirmwareVersion),
          binder(window), runner(
                              services.ui, [this] { readInputs(panel); }, [this] { showPanel(); }) {
    }

    void bindControls();
    void readInputs(SetupPanel& into) const;
    void showPanel();
    void load();
    void fillList(const char* name, const QStringList& items);
    void applyFirmwareGates();
    void connectControls();
    void connectButton(const char* name, std::function<void()> action);
    void watchForChanges();
    void refreshMarks();
    void openDio();

    SetupWindow* window;
    session::WindowServices services;
    SetupPanel panel;
    session::WindowPort port;
    ParameterSet parameters;
    ChangeTracker changes;
    ui::ControlBinder binder;
    session::HandlerRunner runner;
    SetupWindowLayout layout;
    bool showing = false;

    template <typename Widget, typename Value>
    using Bindings = std::vector<std::pair<Widget*, Value SetupPanel::*>>;
    Bindings<QLineEdit, std::string> fields;
    Bindings<QComboBox, std::string> lists;
    Bindings<QCheckBox, bool> checks;
    Bindings<QRadioButton, bool> options;
    std::map<std::string, QWidget*> controls;
};

template <typename Widget, typename Value, size_t N>
static void bindTable(ui::ControlBinder& binder, const SetupControl<Value> (&table)[N],
                      SetupWindowPrivate::Bindings<Widget, Value>& bindings,
                      std::map<std::string, QWidget*>& controls) {
    for (const auto& entry : table)
        if (auto* widget = binder.find<Widget>(entry.name)) {
            bindings.emplace_back(widget, entry.member);
            controls[entry.name] = widget;
        }
}

void SetupWindowPrivate::bindControls() {
    bindTable(binder, kSetupFields, fields, controls);
    bindTable(binder, kSetupLists, lists, controls);
    bindTable(binder, kSetupChecks, checks, controls);
    bindTable(binder, kSetupOptions, options, controls);
}

void SetupWindowPrivate::readInputs(SetupPanel& into) const {
    for (const auto& [edit, member] : fields)
        into.*member = ui::toLatin1(edit->text());
    for (const auto& [combo, member] : lists)
        into.*member = ui::toLatin1(combo->currentText());
    for (const auto& [box, member] : checks)
        into.*member = box->isChecked();
    for (const auto& [option, member] : options)
        into.*member = option->isChecked();
}

// After every handler: the panel is shown, what the handler read from the controller becomes
// the controller's state, and the marks follow.
void SetupWindowPrivate::showPanel() {
    showing = true;
    for (const auto& [edit, member] : fields)
        if (ui::toLatin1(edit->text()) != panel.*member)
            edit->setText(ui::fromLatin1(panel.*member));
    for (const auto& [combo, member] : lists)
        if (ui::toLatin1(combo->currentText()) != panel.*member)
            combo->setCurrentText(ui::fromLatin1(panel.*member));
    for (const auto& [box, member] : checks)
        box->setChecked(panel.*member);
    // A choice may show neither option, which an exclusive group would not allow.
    for (QButtonGroup* group : layout.choiceGroups)
        group->setExclusive(false);
    for (const auto& [option, member] : options)
        option->setChecked(panel.*member);
    for (QButtonGroup* group : layout.choiceGroups)
        group->setExclusive(true);
    showing = false;
    changes.recordRead(panel, parameters.takeFilledControls());
    refreshMarks();
}

// A changed setting is bold; one the controller's reply could not show is in italics until the
// user sets it.
void SetupWindowPrivate::refreshMarks() {
    SetupPanel shown = panel;
    readInputs(shown);
    const std::set<std::string> changed = changes.changedControls(shown);
    const std::set<std::string> unread = parameters.unreadControls(shown);
    for (const auto& [name, widget] : controls) {
        const bool marked = changed.count(name) != 0;
        const bool notRead = unread.count(name) != 0;
        QFont font = widget->font();
        if (font.bold() == marked && font.italic() == notRead) continue;
        font.setBold(marked);
        font.setItalic(notRead);
        widget->setFont(font);
        widget->setToolTip(notRead  ? QString::fromLatin1(kNotReadTip)
                           : marked ? QString::fromLatin1(kChangedMarkTip)
                                    : QString());
    }
}

void SetupWindowPrivate::watchForChanges() {
    const auto changed = [this] {
        if (!showing) refreshMarks();
    };
    for (const auto& [edit, member] : fields)
        QObject::connect(edit, &QLineEdit::textChanged, window, changed);
    for (const auto& [combo, member] : lists)
        QObject::connect(combo, &QComboBox::currentTextChanged, window, changed);
    for (const auto& [box, member] : checks)
        QObject::connect(box, &QAbstractButton::toggled, window, changed);
    for (const auto& [option, member] : options)
        QObject::connect(option, &QAbstractButton::toggled, window, changed);
}

void SetupWindowPrivate::fillList(const char* name, const QStringList& items) {
    if (auto* combo = binder.find<QComboBox>(name)) {
        combo->clear();
        combo->addItems(items);
    }
}

void SetupWindowPrivate::applyFirmwareGates() {
    const int firmware = services.program.FirmwareVersion;
    const QList<QLabel*> captions = window->findChildren<QLabel*>();
    for (const FirmwareGate& gate : kFirmwareGates) {
        if (firmware >= gate.below) continue;
        for (const char* name : gate.controls) {
            auto* control = binder.find<QWidget>(name);
            if (!control) continue;
            control->setEnabled(false);
            for (QLabel* label : captions)
                if (label->buddy() == control) label->setEnabled(false);
        }
    }
}

void SetupWindowPrivate::load() {
    fillList("baudCombo", baudItems());
    port.OpenWindowPort();
    applyFirmwareGates();
    fillList("MicrostepSelect", numberItems(2, 500));
    fillList("RunCurrentSelect", numberItems(100, 3000, 100));
    fillList("IdleCurrentSelect", numberItems(100, 3000, 100));
    fillList("IdleTimeSelect", numberItems(1, 100));
    fillList("DeviceIDCombo", numberItems(1, 99, 1, 2));
    showPanel();
    runner.run([this] { parameters.UploadParameters(true); });
}

void SetupWindowPrivate::connectButton(const char* name, std::function<void()> action) {
    binder.onClicked(name, [this, action = std::move(action)] { runner.run(action); });
}

void SetupWindowPrivate::connectControls() {
    connectButton("DownloadPar", [this] { parameters.DownloadParameters(); });
    connectButton("UploadPar", [this] { parameters.UploadParameters(); });
    connectButton("StoreToFlash",
                  [this] { parameters.StoreToFlash(changes.changedSettings(panel)); });
    connectButton("SaveParameters", [this] { saveParameterFile(services.ui, panel); });
    connectButton("OpenParameters",
                  [this] { openParameterFile(services.ui, services.program.ModelName, panel); });
    connectButton("ReadDriver", [this] { parameters.ReadDriverSettings(); });
    connectButton("WriteDriver", [this] { parameters.WriteDriverSettings(); });
    connectButton("JoyOn", [this] { parameters.JoystickOn(); });
    connectButton("JoyOff", [this] { parameters.JoystickOff(); });
    connectButton("DIOSetup", [this] { openDio(); });
    binder.onClicked("CloseButton", [this] { window->reject(); });
}

// The digital I/O window takes this window's port while it is open.
void SetupWindowPrivate::openDio() {
    const session::PortLoan loan(port);
    DioWindow dio(services, window);
    dio.exec();
}

SetupWindow::SetupWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), d_(std::make_unique<SetupWindowPrivate>(this, services)) {
    setObjectName("Setup");
    session::stopOnEscape(this, d_->port);
    setWindowTitle("LMC-7 Setup");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    d_->layout = buildSetupWindowLayout(this);
    d_->bindControls();
    d_->connectControls();
    d_->watchForChanges();
    d_->load();
}

SetupWindow::~SetupWindow() = default;

session::WindowPort& SetupWindow::windowPort() {
    return d_->port;
}

const std::vector<std::string>& SetupWindow::unboundControls() const {
    return d_->binder.unbound();
}

void SetupWindow::done(int result) {
    d_->port.ReleasePort();
    QDialog::done(result);
}

} // namespace setup
