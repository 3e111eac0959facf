#include "motiondesk/setup/setup_window_layout.h"
#include "motiondesk/ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace setup {

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QGroupBox* frame(const char* name, const char* title) {
    return named(new QGroupBox(QString::fromLatin1(title)), name);
}

QLineEdit* field(const char* name) {
    auto* edit = named(new QLineEdit, name);
    edit->setMinimumWidth(80);
    return edit;
}

// Lists the user may also type into: a value read from the controller or a file is shown as it
// is, in the list or not.
QComboBox* list(const char* name) {
    auto* combo = named(new QComboBox, name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    combo->setMinimumWidth(90);
    return combo;
}

// Buttons never act as the dialog's default: Enter in a field must send nothing.
QCheckBox* check(const char* name, const char* caption) {
    return named(new QCheckBox(QString::fromLatin1(caption)), name);
}

// A caption whose buddy is the control it names.
QLabel* caption(const char* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setBuddy(buddy);
    return label;
}

// A field with its unit after it.
QWidget* withUnit(QWidget* control, const char* unit) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control, 1);
    layout->addWidget(caption(unit, control));
    return row;
}

void addFieldRow(QFormLayout* form, const char* text, QWidget* control,
                 const char* unit = nullptr) {
    form->addRow(caption(text, control), unit ? withUnit(control, unit) : control);
}

struct ChoiceRow {
    const char* caption;
    const char* options[3][2]; // name, caption
};

constexpr ChoiceRow kChoiceRows[] = {
    {"Dir", {{"DirPolLow", "Low"}, {"DirPolHigh", "High"}}},
    {"Limit", {{"LimitPolLow", "Low"}, {"LimitPolHigh", "High"}}},
    {"Home", {{"HomePolLow", "Low"}, {"HomePolHigh", "High"}}},
    {"Latch", {{"LatchPolLow", "Low"}, {"LatchPolHigh", "High"}}},
    {"Z Index", {{"ZPolLow", "Low"}, {"ZPolHigh", "High"}}},
    {"Encoder", {{"EncoderX1", "1X"}, {"EncoderX2", "2X"}, {"EncoderX4", "4X"}}},
    {"Output", {{"OutPolLow", "Low"}, {"OutPolHigh", "High"}}},
    {"Input", {{"InPolLow", "Low"}, {"InPolHigh", "High"}}},
    {"SA Err", {{"SAPolLow", "Low"}, {"SAPolHigh", "High"}}},
    {"Enable", {{"EOPolLow", "Low"}, {"EOPolHigh", "High"}}},
};

QGroupBox* polarityFrame(SetupWindowLayout& layout) {
    auto* box = frame("PolarityFrame", "Polarity/Setup");
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(14);
    int row = 0;
    for (const ChoiceRow& choice : kChoiceRows) {
        auto* group = new QButtonGroup(box);
        QLabel* label = nullptr;
        for (int i = 0; i < 3 && choice.options[i][0]; ++i) {
            auto* option = named(new QRadioButton(QString::fromLatin1(choice.options[i][1])),
                                 choice.options[i][0]);
            group->addButton(option, i);
            if (!label) {
                label = caption(choice.caption, option);
                grid->addWidget(label, row, 0);
            }
            grid->addWidget(option, row, i + 1);
        }
        layout.choiceGroups.push_back(group);
        ++row;
    }
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(row, 1);
    return box;
}

QGroupBox* miscFrame() {
    auto* box = frame("MiscFrame", "Misc Settings");
    auto* form = new QFormLayout(box);
    form->addRow(check("RunOnBoot", "Auto Run 0"));
    form->addRow(check("RunOnBoot2", "Auto Run 1"));
    addFieldRow(form, "EO Boot", field("EOBOOT"));
    addFieldRow(form, "DO Boot", field("DOBOOT"));
    form->addRow(check("EnaDEC", "Enable Decel"));
    addFieldRow(form, "HCA", field("HCA"));
    addFieldRow(form, "LCA", field("LCA"));
    form->addRow(check("RZ", "RZ"));
    form->addRow(check("IERR", "IERR"));
    return box;
}

QGroupBox* communicationFrame() {
    auto* box = frame("CommunicationFrame", "Communication Setup");
    auto* form = new QFormLayout(box);
    addFieldRow(form, "Device ID", list("DeviceIDCombo"));
    addFieldRow(form, "Baud Rate", list("baudCombo"));
    form->addRow(check("RT", "ID appended to response"));
    addFieldRow(form, "Time-out Counter", field("Watchdog"), "ms");
    return box;
}

QGroupBox* verimoveFrame() {
    auto* box = frame("VerimoveFrame", "Verimove Control");
    auto* form = new QFormLayout(box);
    form->addRow(check("VerimoveEnable", "Enable"));
    addFieldRow(form, "Tol Range", field("VerimoveTolRange"));
    addFieldRow(form, "Error Range", field("VerimoveErrorRange"));
    addFieldRow(form, "Max Attempt", field("VerimoveMaxAttempt"));
    addFieldRow(form, "Ratio", field("VerimoveRatio"));
    return box;
}

QGroupBox* joystickFrame() {
    auto* box = frame("JoystickFrame", "Joystick Control");
    auto* form = new QFormLayout(box);
    addFieldRow(form, "Max Spd", field("JoyMaxSpdX"));
    addFieldRow(form, "Spd Delta", field("JoyMaxDeltaX"));
    addFieldRow(form, "Zero Tol", field("JoyZeroTolX"));
    addFieldRow(form, "Neg Outer", field("NegOuterX"));
    addFieldRow(form, "Neg Inner", field("NegInnerX"));
    addFieldRow(form, "Pos Inner", field("PosInnerX"));
    addFieldRow(form, "Pos Outer", field("PosOuterX"));
    auto* switches = new QHBoxLayout;
    switches->addWidget(check("joyenable", "Enable"));
    switches->addStretch();
    switches->addWidget(ui::button("JoyOn", "ON"));
    switches->addWidget(ui::button("JoyOff", "OFF"));
    form->addRow(switches);
    return box;
}

QGroupBox* dioFrame() {
    auto* box = frame("DioFrame", "DIO Control");
    auto* row = new QHBoxLayout(box);
    row->addWidget(check("DIOenable", "Enable"));
    row->addStretch();
    row->addWidget(ui::button("DIOSetup", "DIO Control Setup"));
    return box;
}

QGroupBox* driverFrame() {
    auto* box = frame("DriverFrame", "Driver Settings");
    auto* form = new QFormLayout(box);
    addFieldRow(form, "uStepping", list("MicrostepSelect"));
    addFieldRow(form, "Run Curr", list("RunCurrentSelect"), "mA");
    addFieldRow(form, "Idle Curr", list("IdleCurrentSelect"), "mA");
    addFieldRow(form, "Idle Time", list("IdleTimeSelect"), "c-sec");
    auto* transfer = new QHBoxLayout;
    transfer->addStretch();
    transfer->addWidget(ui::button("ReadDriver", "Read"));
    transfer->addWidget(ui::button("WriteDriver", "Write"));
    form->addRow(transfer);
    return box;
}

QVBoxLayout* column(std::initializer_list<QGroupBox*> frames) {
    auto* layout = new QVBoxLayout;
    for (QGroupBox* box : frames)
        layout->addWidget(box);
    layout->addStretch();
    return layout;
}

QHBoxLayout* mainButtons() {
    auto* row = new QHBoxLayout;
    for (const auto& [name, text] :
         {std::pair{"DownloadPar", "Down"}, std::pair{"UploadPar", "Upload"},
          std::pair{"StoreToFlash", "Store"}})
        row->addWidget(ui::button(name, text));
    row->addSpacing(24);
    row->addWidget(ui::button("SaveParameters", "Save"));
    row->addWidget(ui::button("OpenParameters", "Open"));
    row->addStretch();
    row->addWidget(ui::button("CloseButton", "Close"));
    return row;
}

} // namespace

SetupWindowLayout buildSetupWindowLayout(QWidget* window) {
    SetupWindowLayout layout;
    auto* columns = new QHBoxLayout;
    columns->addLayout(column({polarityFrame(layout), communicationFrame()}), 1);
    columns->addLayout(column({miscFrame(), verimoveFrame()}), 1);
    columns->addLayout(column({joystickFrame(), dioFrame(), driverFrame()}), 1);
    auto* top = new QVBoxLayout(window);
    top->addLayout(columns, 1);
    top->addLayout(mainButtons());
    return layout;
}

} // namespace setup
