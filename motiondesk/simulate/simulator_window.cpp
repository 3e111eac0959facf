#include "motiondesk/simulate/simulator_window.h"

#include "controller/status_decoding.h"
#include "motiondesk/plot/plot_window.h"
#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/variable_picks.h"
#include "motiondesk/ui/widgets.h"
#include "progsmith/compiler/model_tables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace simulate {

namespace {

constexpr int kFrameMs = 34; // at most 30 pictures a second

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace

SimulatorWindow::SimulatorWindow(ui::UserInterface& ui, const std::string& source,
                                 const std::string& model, const SimulationProgram& program,
                                 QWidget* parent)
    : QDialog(parent), ui_(ui), source_(source), text_(new ui::ProgramTextEdit(model, this)),
      frames_(new QTimer(this)) {
    setObjectName("ProgramSimulator");
    setWindowTitle("Program Simulator");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setAttribute(Qt::WA_DeleteOnClose);

    text_->setObjectName("SimSource");
    text_->setReadOnly(true);
    text_->setProgramText(source);
    text_->setToolTip("Click a line number, or press F9 on a line, to set or clear a breakpoint");
    const auto toggle = [this](int line) {
        simulation_->toggleBreakpoint(line);
        text_->setBreakpointLines(simulation_->breakpoints());
    };
    connect(text_, &ui::ProgramTextEdit::lineNumberClicked, this, toggle);
    // From the keyboard: the line of the cursor in the source.
    connect(new QShortcut(Qt::Key_F9, this), &QShortcut::activated, this,
            [this, toggle] { toggle(text_->textCursor().blockNumber() + 1); });

    // On a screen too small for all of it (a large scale) the source, the state and the
    // variables scroll; the buttons and the status line stay in sight.
    auto* content = new QWidget;
    auto* middle = new QHBoxLayout;
    middle->addWidget(text_, 1);
    middle->addWidget(buildState());
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addLayout(middle, 1);
    contentLayout->addWidget(buildVariables());
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    status_ = new QLabel(this);
    status_->setObjectName("SimStatus");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildToolbar());
    layout->addWidget(scroll, 1);
    layout->addWidget(status_);

    frames_->setInterval(kFrameMs);
    frames_->setTimerType(Qt::PreciseTimer);
    connect(frames_, &QTimer::timeout, this, [this] {
        const qint64 wallUs = clock_.nsecsElapsed() / 1000;
        clock_.restart();
        frame(wallUs);
    });
    load(model, program);
    resize(1080, 720);
}

SimulatorWindow::~SimulatorWindow() = default;

plot::PlotWindow* SimulatorWindow::plotWindow() const {
    return plot_;
}

QWidget* SimulatorWindow::buildToolbar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    model_ = new QComboBox(bar);
    model_->setObjectName("SimModel");
    model_->setToolTip("The controller model the program is compiled for and simulated on");
    for (const auto& info : progsmith::allModels())
        model_->addItem(QString::fromLatin1(info.name.data(), qsizetype(info.name.size())));
    thread_ = new QComboBox(bar);
    thread_->setObjectName("SimThread");
    thread_->addItems({"Program 0", "Program 1"});
    thread_->setToolTip("The program thread Step moves");
    speed_ = new QComboBox(bar);
    speed_->setObjectName("SimSpeed");
    speed_->addItems({"Real time", "10x", "As fast as possible"});
    connect(speed_, &QComboBox::currentIndexChanged, this,
            [this](int index) { simulation_->setSpeed(Speed(index)); });

    run_ = ui::button("SimRun", "Run", bar);
    run_->setToolTip("Run in controller time until a breakpoint or Pause (F5)");
    run_->setShortcut(Qt::Key_F5);
    pause_ = ui::button("SimPause", "Pause", bar);
    pause_->setToolTip("Pause the run (F6)");
    pause_->setShortcut(Qt::Key_F6);
    auto* step = ui::button("SimStep", "Step", bar);
    step->setToolTip("Run one statement of the selected program (F10)");
    step->setShortcut(Qt::Key_F10);
    auto* back = ui::button("SimStepBack", "Step back", bar);
    back->setToolTip("Undo the last step, input or stretch of a run (Shift+F10)");
    back->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    auto* reset = ui::button("SimReset", "Reset", bar);
    auto* plot = ui::button("SimPlot", "Plot", bar);
    plot->setToolTip("Show position and the picked variables over controller time");
    time_ = new QLabel(bar);
    time_->setObjectName("SimTime");
    time_->setMinimumWidth(fontMetrics().horizontalAdvance("Time 000000.000 s"));

    connect(run_, &QPushButton::clicked, this, [this] { startRun(); });
    connect(pause_, &QPushButton::clicked, this, [this] { act(&ProgramSimulation::pause); });
    connect(step, &QPushButton::clicked, this, [this] {
        simulation_->step(thread_->currentIndex());
        refresh();
    });
    connect(back, &QPushButton::clicked, this, [this] {
        simulation_->stepBack();
        refresh();
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        act(&ProgramSimulation::reset);
        if (plot_) plot_->close();
        plottedMs_ = -1;
    });
    connect(plot, &QPushButton::clicked, this, [this] { showPlot(); });
    connect(model_, &QComboBox::currentIndexChanged, this,
            [this](int index) { changeModel(index); });

    row->addWidget(new QLabel("Model", bar));
    row->addWidget(model_);
    for (QWidget* widget : std::initializer_list<QWidget*>{run_, pause_, step, back, reset})
        row->addWidget(widget);
    row->addWidget(thread_);
    row->addWidget(new QLabel("Speed", bar));
    row->addWidget(speed_);
    row->addWidget(plot);
    // The variables the plot draws beside the axis.
    plotVariables_ = new QLineEdit(bar);
    plotVariables_->setObjectName("SimPlotVariables");
    plotVariables_->setPlaceholderText("V 1, 5, 12");
    plotVariables_->setToolTip("Up to 8 variables the plot draws over controller time");
    plotVariables_->setMinimumWidth(fontMetrics().horizontalAdvance("V 10, 20, 30") + 16);
    connect(plotVariables_, &QLineEdit::editingFinished, this, [this] {
        const auto picks = ui::variablePicks(plotVariables_->text());
        plotVariables_->setText(ui::picksText(picks));
        if (plot_) plot_->setVariables(picks);
    });
    row->addWidget(plotVariables_);
    row->addStretch();
    row->addWidget(time_);
    return bar;
}

QWidget* SimulatorWindow::buildState() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto label = [column](const char* name) {
        auto* shown = new QLabel(column);
        shown->setObjectName(name);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return shown;
    };

    auto* programs = new QGroupBox("Programs", column);
    auto* programRows = new QVBoxLayout(programs);
    for (int thread = 0; thread < 2; ++thread) {
        threads_[size_t(thread)] = label(thread == 0 ? "SimThread0State" : "SimThread1State");
        threads_[size_t(thread)]->setWordWrap(true);
        programRows->addWidget(threads_[size_t(thread)]);
    }

    auto* axis = new QGroupBox("Axis", column);
    auto* form = new QFormLayout(axis);
    form->addRow("Position", position_ = label("SimPosition"));
    form->addRow("Encoder", encoder_ = label("SimEncoder"));
    form->addRow("Speed", speedValue_ = label("SimSpeedValue"));
    form->addRow("Motion", motion_ = label("SimMotion"));
    form->addRow("Limits", limits_ = label("SimLimits"));
    form->addRow("Timer TR", timer_ = label("SimTimer"));
    form->addRow("Outputs", outputs_ = label("SimOutputs"));

    // The inputs as the programs read them: DI<n> is 1 while its box is ticked.
    auto* inputs = new QGroupBox("Inputs", column);
    auto* grid = new QGridLayout(inputs);
    const struct {
        const char* name;
        const char* caption;
        const char* assignment;
    } boxes[] = {{"SimIn1", "DI1", "DI1"},
                 {"SimIn2", "DI2", "DI2"},
                 {"SimIn3", "DI3", "DI3"},
                 {"SimIn4", "DI4", "DI4"},
                 {"SimLimitPlus", "+Limit", "LIMIT+"},
                 {"SimLimitMinus", "-Limit", "LIMIT-"},
                 {"SimHomeIn", "Home", "HOMEIN"}};
    for (const auto& box : boxes) {
        auto* check = new QCheckBox(box.caption, inputs);
        check->setObjectName(box.name);
        const char* assignment = box.assignment;
        connect(check, &QCheckBox::toggled, this,
                [this, assignment](bool on) { setInput(assignment, on); });
        grid->addWidget(check, int(inputs_.size()) / 2, int(inputs_.size()) % 2);
        inputs_.push_back(check);
    }

    layout->addWidget(programs);
    layout->addWidget(axis);
    layout->addWidget(inputs);
    layout->addStretch();
    column->setFixedWidth(fontMetrics().horizontalAdvance("M") * 24);
    return column;
}

QWidget* SimulatorWindow::buildVariables() {
    auto* box = new QGroupBox("Variables (changed by the last step or run are marked)", this);
    variables_ = new QTableWidget(10, 10, box);
    variables_->setObjectName("SimVariables");
    variables_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList columns, rows;
    for (int i = 0; i < 10; ++i) {
        columns << QString("+%1").arg(i);
        rows << QString("V%1").arg(i * 10 + 1);
    }
    variables_->setHorizontalHeaderLabels(columns);
    variables_->setVerticalHeaderLabels(rows);
    variables_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    variables_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int n = 1; n <= 100; ++n) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(QString("V%1").arg(n));
        variables_->setItem((n - 1) / 10, (n - 1) % 10, item);
    }
    int height = variables_->horizontalHeader()->sizeHint().height() + 2 * variables_->frameWidth();
    for (int row = 0; row < 10; ++row)
        height += variables_->verticalHeader()->sectionSizeHint(row);
    variables_->setFixedHeight(height);

    auto* layout = new QVBoxLayout(box);
    layout->addWidget(variables_);
    return box;
}

void SimulatorWindow::load(const std::string& model, const SimulationProgram& program) {
    frames_->stop();
    auto simulation =
        std::make_unique<ProgramSimulation>(model, program.lines, program.sourceLines);
    if (!simulation->error().empty()) {
        // The compile has checked the lines against the slots; this is for the unforeseen.
        ui_.showMessage("The program cannot run on the simulated " + model + ": " +
                        simulation->error());
        if (simulation_) return;
    }
    // Another model keeps the breakpoints.
    if (simulation_)
        for (int line : simulation_->breakpoints())
            simulation->toggleBreakpoint(line);
    simulation_ = std::move(simulation);
    simulation_->setSpeed(Speed(speed_->currentIndex()));
    {
        const QSignalBlocker quiet(model_);
        model_->setCurrentText(QString::fromStdString(simulation_->model()));
    }
    text_->setBreakpointLines(simulation_->breakpoints());
    if (plot_) plot_->close();
    plottedMs_ = -1;
    refresh();
}

// The same text compiled for another model; a compile error keeps the model it had.
void SimulatorWindow::changeModel(int index) {
    const std::string model = model_->itemText(index).toStdString();
    if (model == simulation_->model()) return;
    const SimulationProgram program = compileForSimulation(source_, model);
    if (!program.error.empty()) {
        ui_.showMessage(program.error);
        if (program.errorLine > 0) text_->selectProgramLine(program.errorLine);
        {
            const QSignalBlocker quiet(model_);
            model_->setCurrentText(QString::fromStdString(simulation_->model()));
        }
        return;
    }
    load(model, program);
}

void SimulatorWindow::startRun() {
    simulation_->run();
    if (simulation_->running()) {
        clock_.start();
        frames_->start();
    }
    refresh();
}

void SimulatorWindow::act(void (ProgramSimulation::*action)()) {
    (simulation_.get()->*action)();
    refresh();
}

void SimulatorWindow::frame(int64_t wallUs) {
    simulation_->frame(wallUs);
    refresh();
}

// Inputs set before a run or while it runs or waits; a step back may undo them, so the boxes
// follow the controller.
void SimulatorWindow::setInput(const char* assignment, bool on) {
    simulation_->setInput(std::string(assignment) + (on ? "=1" : "=0"));
    refresh();
}

void SimulatorWindow::refresh() {
    const SimulatedState& state = simulation_->state();
    if (!simulation_->running()) frames_->stop();
    run_->setEnabled(!simulation_->running());
    pause_->setEnabled(simulation_->running());
    time_->setText(QString("Time %1 s").arg(double(state.timeUs) / 1e6, 0, 'f', 3));
    for (int thread = 0; thread < 2; ++thread) {
        QString text = QString("Program %1: %2")
                           .arg(thread)
                           .arg(threadStateText(state.states[size_t(thread)]));
        if (state.nextLines[size_t(thread)] > 0)
            text += QString(", line %1").arg(state.nextLines[size_t(thread)]);
        if (!state.faults[size_t(thread)].empty())
            text += ": " + QString::fromStdString(state.faults[size_t(thread)]);
        threads_[size_t(thread)]->setText(text);
    }
    text_->setNextLines(state.nextLines, simulation_->focus(),
                        {state.states[0] == simulator::ProgramInterpreter::kErrored,
                         state.states[1] == simulator::ProgramInterpreter::kErrored});

    const auto motion = controller::decodeMotionStatus(state.motionStatus);
    position_->setText(QString::number(state.position));
    encoder_->setText(QString::number(state.encoder));
    speedValue_->setText(QString::number(state.speed));
    motion_->setText(QString::fromStdString(motion.Stat));
    limits_->setText(QString("+%1  -%2").arg(onOff(motion.PosLim), onOff(motion.NegLim)) +
                     (motion.Home ? "  at home" : ""));
    timer_->setText(QString("%1 ms").arg(state.timer));
    outputs_->setText(
        QString("DO1 %1  DO2 %2").arg(onOff(state.outputs & 1), onOff(state.outputs & 2)));
    // The boxes follow the controller: a step back or Reset may have undone what they set.
    for (size_t box = 0; box < inputs_.size(); ++box) {
        const QSignalBlocker quiet(inputs_[box]);
        inputs_[box]->setChecked(box < 4 ? (state.inputs >> box) & 1 : state.limitInputs[box - 4]);
    }
    showVariables();
    status_->setText(QString::fromStdString(simulation_->status()));
    feedPlot();
}

void SimulatorWindow::showVariables() {
    const SimulatedState& state = simulation_->state();
    const QColor changed = ui::changedBackground(palette());
    for (int n = 1; n <= 100; ++n) {
        QTableWidgetItem* item = variables_->item((n - 1) / 10, (n - 1) % 10);
        const QString value = QString::number(state.variables[size_t(n - 1)]);
        if (item->text() != value) item->setText(value);
        const bool marked = state.changed.count(n) > 0;
        if (item->data(Qt::UserRole).toBool() != marked) {
            item->setData(Qt::UserRole, marked);
            item->setBackground(marked ? QBrush(changed) : QBrush());
            QFont font = item->font();
            font.setBold(marked);
            item->setFont(font);
        }
    }
}

void SimulatorWindow::showPlot() {
    if (!plot_) {
        plot_ = new plot::PlotWindow(ui_, this);
        plot_->setAttribute(Qt::WA_DeleteOnClose);
        plot_->setWindowTitle("Motion Plot (simulated, controller time)");
        plot_->setVariables(ui::variablePicks(plotVariables_->text()));
        plottedMs_ = -1;
        feedPlot();
    }
    plot_->show();
    plot_->raise();
    plot_->activateWindow();
}

// The plot takes the controller's values at each new millisecond of controller time it sees; a
// step back does not take its time back.
void SimulatorWindow::feedPlot() {
    if (!plot_) return;
    const SimulatedState& state = simulation_->state();
    const long long ms = state.timeUs / 1000;
    if (ms <= plottedMs_) return;
    plottedMs_ = ms;
    plot::Sample sample;
    sample.ms = ms;
    const auto set = [&sample](const char* column, double value) {
        sample.values[plot::columnIndex(column)] = value;
    };
    const auto motion = controller::decodeMotionStatus(state.motionStatus);
    set("position", state.position);
    set("encoder", state.encoder);
    set("delta", double(state.position) - double(state.encoder));
    set("speed", state.speed);
    set("program_line", state.nextLines[0]);
    set("limit_plus", motion.PosLim);
    set("limit_minus", motion.NegLim);
    set("home", motion.Home);
    set("z_index", motion.ZIndex);
    set("latch_input", motion.LatchIn);
    for (int bit = 0; bit < 4; ++bit)
        set(("in" + std::to_string(bit + 1)).c_str(), (state.inputs >> bit) & 1);
    set("out1", state.outputs & 1);
    set("out2", (state.outputs >> 1) & 1);
    set("moving", motion.Stat == "CONST" || motion.Stat == "ACCEL" || motion.Stat == "DECEL");
    set("program_state", state.states[0]);
    plot_->addSample(sample);
    for (int number : plot_->variables())
        plot_->addVariable(number, ms, state.variables[size_t(number - 1)]);
}

void SimulatorWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        for (int n = 1; n <= 100; ++n)
            variables_->item((n - 1) / 10, (n - 1) % 10)->setData(Qt::UserRole, false);
        showVariables();
    }
}

} // namespace simulate
