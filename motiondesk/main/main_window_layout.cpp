#include "motiondesk/main/main_window_layout.h"

#include "common/controller_models.h"
#include "motiondesk/main/motion_control.h"
#include "motiondesk/ui/lamp.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace mainwindow {

namespace {

const QColor kRed(220, 40, 40);
const QColor kAmber(240, 170, 0);

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A read-only display: sunken, wide enough for a position, selectable for copying.
QLabel* display(const char* name) {
    auto* label = named(new QLabel, name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(90);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Fields and lists start empty: the window fills them from its panel, the one place that holds
// their initial texts.
QLineEdit* field(const char* name) {
    auto* edit = named(new QLineEdit, name);
    edit->setMinimumWidth(70);
    return edit;
}

// Buttons never act as the dialog's default: Enter in a field must not start a move.
QComboBox* list(const char* name, const QStringList& items) {
    auto* combo = named(new QComboBox, name);
    combo->addItems(items);
    return combo;
}

QStringList numberItems(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    return items;
}

// A lamp with its caption beside it.
QWidget* lamp(const char* name, const char* caption, QColor color = QColor(0, 200, 60)) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(named(new ui::Lamp(nullptr, color), name));
    layout->addWidget(new QLabel(QString::fromLatin1(caption)));
    layout->addStretch();
    return row;
}

// An output lamp the user clicks to switch the output: the lamp sits inside its button.
QWidget* outputLamp(const char* buttonName, const char* lampName, const char* caption) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* toggle = named(new QToolButton, buttonName);
    toggle->setAutoRaise(true);
    toggle->setToolTip(QStringLiteral("Click to switch the output"));
    auto* inside = new QHBoxLayout(toggle);
    inside->setContentsMargins(3, 3, 3, 3);
    auto* light = named(new ui::Lamp(nullptr, kAmber), lampName);
    light->setAttribute(Qt::WA_TransparentForMouseEvents);
    inside->addWidget(light);
    toggle->setFixedSize(light->sizeHint() + QSize(8, 8));
    layout->addWidget(toggle);
    layout->addWidget(new QLabel(QString::fromLatin1(caption)));
    layout->addStretch();
    return row;
}

QGroupBox* frame(const char* name, const char* title) {
    return named(new QGroupBox(QString::fromLatin1(title)), name);
}

QWidget* withReset(QLabel* value, QPushButton* reset) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(value, 1);
    reset->setMaximumWidth(28);
    layout->addWidget(reset);
    return row;
}

QGroupBox* statusFrame() {
    auto* box = frame("StatusFrame", "Status");
    auto* form = new QFormLayout;
    form->addRow("Mode", display("MM"));
    form->addRow("Position", withReset(display("Pos"), ui::button("ResetPos", "R")));
    form->addRow("Encoder", withReset(display("Enc"), ui::button("Re", "R")));
    form->addRow("Delta", display("delta"));
    form->addRow("Speed", display("Speed"));
    form->addRow("Motion", withReset(display("Stat"), ui::button("clear", "C")));
    form->addRow("Step and loop", display("VerimoveStatus"));
    form->addRow("Program", display("ProgStatus"));
    form->addRow("Program line", display("ProgIndex"));

    auto* lamps = new QGridLayout;
    lamps->addWidget(lamp("PosLim", "+Limit", kRed), 0, 0);
    lamps->addWidget(lamp("NegLim", "-Limit", kRed), 0, 1);
    lamps->addWidget(lamp("Home", "Home"), 0, 2);
    lamps->addWidget(lamp("ZIndex", "Z index"), 1, 0);
    lamps->addWidget(lamp("LatchIn", "Latch input"), 1, 1);
    lamps->addWidget(lamp("Scv", "S-curve"), 1, 2);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(form);
    layout->addLayout(lamps);
    layout->addWidget(named(new QCheckBox("Driver enable"), "EnableStat"));
    layout->addStretch();
    return box;
}

// The buttons that open the windows which take the port over while they are open, the plot,
// About and Close.
QGridLayout* windowButtons() {
    auto* grid = new QGridLayout;
    grid->addWidget(ui::button("SetupButton", "Setup"), 0, 0);
    grid->addWidget(ui::button("ManualTerminal", "Terminal"), 0, 1);
    grid->addWidget(ui::button("Command22", "Variables"), 0, 2);
    grid->addWidget(ui::button("Command23", "X-Thread"), 1, 0);
    auto* plot = ui::button("PlotButton", "Plot");
    plot->setToolTip("Show the polled values against time, and record them");
    grid->addWidget(plot, 1, 1);
    grid->addWidget(ui::button("Help", "About"), 1, 2);
    grid->addWidget(ui::button("CloseButton", "Close"), 2, 2);
    return grid;
}

QGroupBox* controllerFrame() {
    auto* box = frame("ControllerFrame", "Controller");
    auto* identity = new QHBoxLayout;
    for (const auto& [caption, name] :
         {std::pair{"ID", "ID"}, std::pair{"Firmware", "Version"}, std::pair{"Name", "SN"}}) {
        identity->addWidget(new QLabel(caption));
        auto* value = named(new QLabel, name);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        identity->addWidget(value);
        identity->addSpacing(8);
    }
    identity->addStretch();
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(identity);
    layout->addLayout(windowButtons());
    return box;
}

QGroupBox* motionFrame() {
    auto* box = frame("MotionFrame", "Motion");
    auto* target = new QHBoxLayout;
    target->addWidget(new QLabel("Position"));
    target->addWidget(field("SetPosition"), 1);
    target->addWidget(ui::button("Command5", "ABS"));
    target->addWidget(ui::button("Command3", "DATUM"));

    auto* settings = new QHBoxLayout;
    settings->addWidget(ui::button("Command29", "Set Pos"));
    settings->addWidget(ui::button("Command28", "Set Enc"));
    settings->addWidget(ui::button("Command30", "TX"));
    settings->addStretch();
    settings->addWidget(new QLabel("Mode"));
    settings->addWidget(ui::button("Command2", "ABS"));
    settings->addWidget(ui::button("Command1", "INC"));

    // Plus and minus direction side by side, two kinds of move to a row.
    auto* moves = new QGridLayout;
    int index = 0;
    for (const MoveButton& move : kMoveButtons) {
        const QString command = QString::fromLatin1(move.command);
        if (command == "STOP" || command == "ABORT") continue;
        moves->addWidget(ui::button(move.control, move.caption), index / 4, index % 4);
        ++index;
    }
    auto* stops = new QHBoxLayout;
    stops->addWidget(ui::button("Command15", "STOP"));
    stops->addWidget(ui::button("Command16", "ISTOP"));
    stops->addStretch();
    stops->addWidget(ui::button("Command4", "Demo On"));
    stops->addWidget(ui::button("Command7", "Demo Off"));

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(target);
    layout->addLayout(settings);
    layout->addLayout(moves);
    layout->addLayout(stops);
    return box;
}

QGroupBox* speedsFrame() {
    auto* box = frame("SpeedsFrame", "Speeds");
    auto* form = new QFormLayout;
    form->addRow("High speed", field("SetSpeed"));
    form->addRow("Low speed", field("LSpeed"));
    form->addRow("Acceleration", field("Accel"));
    form->addRow("Deceleration", field("Decel"));
    auto* profile = new QHBoxLayout;
    profile->addWidget(new QLabel("Profile"));
    profile->addWidget(ui::button("Command11", "SCV"));
    profile->addWidget(ui::button("Command12", "TRA"));
    profile->addStretch();
    profile->addWidget(new QLabel("Speed mode"));
    profile->addWidget(list("SpeedModeList", numberItems(0, 9)));
    profile->addWidget(ui::button("Command9", "Set SSPD Mode"));

    // On the fly: the acceleration and the speed a moving axis changes to.
    auto* onTheFly = new QHBoxLayout;
    onTheFly->addWidget(new QLabel("On the fly: accel"));
    onTheFly->addWidget(field("otfacc"), 1);
    onTheFly->addWidget(new QLabel("speed"));
    onTheFly->addWidget(field("SSPDX"), 1);
    onTheFly->addWidget(ui::button("Command10", "Set Accel + Speed"));

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(form);
    layout->addLayout(profile);
    layout->addLayout(onTheFly);
    return box;
}

QGroupBox* ioFrame() {
    auto* box = frame("IoFrame", "Inputs and outputs");
    auto* inputs = new QGridLayout;
    inputs->addWidget(lamp("StartDI", "Start"), 0, 0);
    inputs->addWidget(lamp("AbortDI", "Abort"), 0, 1);
    inputs->addWidget(lamp("In1", "In 1"), 1, 0);
    inputs->addWidget(lamp("In2", "In 2"), 1, 1);
    inputs->addWidget(lamp("In3", "In 3"), 2, 0);
    inputs->addWidget(lamp("In4", "In 4"), 2, 1);
    inputs->addWidget(outputLamp("d1", "InPosDO", "Out 1 (in position)"), 3, 0);
    inputs->addWidget(outputLamp("d2", "AlarmDO", "Out 2 (alarm)"), 3, 1);
    auto* analog = new QFormLayout;
    analog->addRow("Analog in 1", display("AI1"));
    analog->addRow("Analog in 2", display("AI2"));
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(inputs);
    layout->addLayout(analog);
    layout->addWidget(named(new QCheckBox("Enable digital I/O"), "DIOenable"));
    return box;
}

QGroupBox* latchAndSyncFrame() {
    auto* box = frame("LatchSyncFrame", "Latch and sync");
    auto* latch = new QFormLayout;
    latch->addRow("Latch", named(new QCheckBox("Enable"), "EnableLatch"));
    latch->addRow("Latch status", display("LatchStat"));
    latch->addRow("Latch position", display("LatchPos"));
    latch->addRow("Latch encoder", display("LatchEnc"));
    auto* sync = new QFormLayout;
    sync->addRow("Sync output", named(new QCheckBox("Enable (DO2)"), "SyncEnableX"));
    auto* comparison = new QHBoxLayout;
    comparison->addWidget(new QLabel("Position"));
    comparison->addWidget(list("XSel", {"<", "=", ">"}));
    comparison->addWidget(field("SyncPos"), 1);
    sync->addRow("When", comparison);
    sync->addRow("Output time", list("SynTimeX", numberItems(0, 30)));
    sync->addRow("Sync status", display("SyncStat"));
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(latch);
    layout->addLayout(sync);
    return box;
}

// The program text, its buttons beside it: run control, compiled code, program files.
QGroupBox* programControlFrame() {
    auto* box = frame("ProgramControlFrame", "Program control");
    auto* text =
        named(new ui::ProgramTextEdit(std::string(common::kMotiondeskModel)), "OrgProgram");
    text->setMinimumHeight(100);
    auto* total = named(new QLabel, "CompiledTotal");
    total->setMinimumWidth(110);

    // Two buttons to a row.
    const auto group = [](const char* title,
                          std::initializer_list<std::pair<const char*, const char*>> buttons) {
        auto* groupBox = new QGroupBox(QString::fromLatin1(title));
        auto* grid = new QGridLayout(groupBox);
        int index = 0;
        for (const auto& [name, caption] : buttons) {
            grid->addWidget(ui::button(name, caption), index / 2, index % 2);
            ++index;
        }
        grid->setRowStretch(grid->rowCount(), 1);
        return groupBox;
    };
    auto* code = group("Compiled code", {{"CompileAll", "Compile"},
                                         {"SimulateProg", "Simulate"},
                                         {"ViewCompiled", "View"},
                                         {"DownloadSAP", "Download"},
                                         {"UploadSAP", "Upload"},
                                         {"Command24", "Clear Code Space"}});
    static_cast<QGridLayout*>(code->layout())->addWidget(total, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(group(
        "Program in the controller",
        {{"RunProg", "Run"}, {"StopProg", "Stop"}, {"PauseProg", "Pause"}, {"ContProg", "Cont"}}));
    buttons->addWidget(code);
    buttons->addWidget(group(
        "Program file",
        {{"NewProg", "New"}, {"OpenProg", "Open"}, {"SaveProg", "Save"}, {"Command25", ">"}}));
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(text, 1);
    layout->addLayout(buttons);
    for (QPushButton* push : box->findChildren<QPushButton*>())
        if (push->objectName() == "Command25")
            push->setToolTip("Edit the program in the larger program editor");
        else if (push->objectName() == "SimulateProg")
            push->setToolTip("Run the program step by step on a simulated controller");
    return box;
}

QVBoxLayout* column(QGroupBox* top, QGroupBox* bottom) {
    auto* layout = new QVBoxLayout;
    layout->addWidget(top);
    layout->addWidget(bottom);
    layout->addStretch();
    return layout;
}

} // namespace

MainWindowFrames buildMainWindowLayout(QWidget* window) {
    MainWindowFrames frames{statusFrame(), controllerFrame(),   motionFrame(),        speedsFrame(),
                            ioFrame(),     latchAndSyncFrame(), programControlFrame()};
    auto* columns = new QHBoxLayout;
    columns->addLayout(column(frames.status, frames.controller), 1);
    columns->addLayout(column(frames.motion, frames.speeds), 1);
    columns->addLayout(column(frames.io, frames.latchAndSync), 1);
    // Whether the link is up, plainly, below everything: after a failure the values above are
    // stale.
    auto* linkStatus = named(new QLabel, "LinkStatus");
    QFont bold = linkStatus->font();
    bold.setBold(true);
    linkStatus->setFont(bold);
    // Reconnect opens the same link again once it has been lost.
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(linkStatus, 1);
    auto* reconnect = ui::button("Reconnect", "Reconnect");
    reconnect->setToolTip("Open the same link again, check the controller and read its settings "
                          "back, then go on polling");
    reconnect->hide();
    statusRow->addWidget(reconnect);
    // On a screen too small for all of it (1366 x 768, or a large scale) the frames scroll; the
    // status line stays in sight.
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addLayout(columns);
    contentLayout->addWidget(frames.programControl, 2);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("MainScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(scroll, 1);
    layout->addLayout(statusRow);
    frames.content = content;
    return frames;
}

} // namespace mainwindow
