#include "motiondesk/windows/variables_window.h"

#include "common/numbers.h"
#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/variable_picks.h"
#include "motiondesk/ui/widgets.h"
#include "motiondesk/windows/variables_refresh.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace windows {

namespace {

constexpr int kColumns = 5;
// With the link down the boxes still turn empty in order, this many per wake-up.
constexpr int kBoxesPerIdleTick = 10;
constexpr qint64 kNeverChanged = -1;

} // namespace

VariablesWindow::VariablesWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), services_(services), port_(std::make_unique<session::WindowPort>(services)),
      refresh_(std::make_unique<VariablesRefresh>(port_->channel())),
      binder_(std::make_unique<ui::ControlBinder>(this)),
      runner_(std::make_unique<session::HandlerRunner>(services.ui)),
      commandText_(new QLineEdit(this)), plotVariables_(new QLineEdit(this)),
      Timer1_(new QTimer(this)) {
    setObjectName("VariableForm");
    session::stopOnEscape(this, *port_);
    setWindowTitle("Variables");
    changedAt_.fill(kNeverChanged);
    commandText_->setObjectName("CommandText");
    commandText_->setPlaceholderText("Command, then Enter (for example V5=12)");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("Close");
    close->setAutoDefault(false);

    auto* frames = new QHBoxLayout;
    frames->addWidget(frame("Volatile Variables", 0, 49));
    frames->addWidget(frame("Non-Volatile Variables", 50, 99));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel("Command:"));
    bottom->addWidget(commandText_, 1);
    bottom->addWidget(new QLabel("Plot V:"));
    plotVariables_->setObjectName("PlotVariables");
    plotVariables_->setPlaceholderText("up to 8, e.g. 1, 5, 12");
    plotVariables_->setToolTip("The variables the Motion Plot draws over time");
    plotVariables_->setEnabled(false);
    bottom->addWidget(plotVariables_);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames, 1);
    layout->addLayout(bottom);

    for (int k = 0; k < 100; ++k)
        binder_->find<QLineEdit>("V0_" + std::to_string(k));
    binder_->onClicked("Close", [this] { accept(); });
    connect(commandText_, &QLineEdit::returnPressed, this, [this] { sendCommand(); });
    connect(plotVariables_, &QLineEdit::editingFinished, this, [this] {
        plotPicks_ = ui::variablePicks(plotVariables_->text());
        plotVariables_->setText(ui::picksText(plotPicks_));
        if (picked_) picked_(plotPicks_);
    });

    Timer1_->setObjectName("Timer1");
    Timer1_->setTimerType(Qt::PreciseTimer);
    Timer1_->setInterval(services.timings.refreshIntervalMs);
    connect(Timer1_, &QTimer::timeout, this, &VariablesWindow::refreshTick);
    sinceOpen_.start();

    // Load: the window's own port, the cursor at V1, the timer on.
    port_->OpenWindowPort();
    Timer1_->start();
}

VariablesWindow::~VariablesWindow() = default;

void VariablesWindow::setPlotHooks(std::vector<int> shown,
                                   std::function<void(std::vector<int>)> picked,
                                   std::function<void(int, double)> read) {
    plotPicks_ = std::move(shown);
    picked_ = std::move(picked);
    read_ = std::move(read);
    plotVariables_->setText(ui::picksText(plotPicks_));
    plotVariables_->setEnabled(true);
}

QWidget* VariablesWindow::frame(const char* title, int first, int last) {
    auto* box = new QGroupBox(QString::fromLatin1(title), this);
    auto* grid = new QGridLayout(box);
    const int rows = (last - first) / kColumns + 1;
    for (int k = first; k <= last; ++k) {
        auto* value = new QLineEdit("0", box);
        value->setObjectName("V0_" + QString::number(k));
        value->setReadOnly(true);
        value->setMinimumWidth(70);
        value->setAlignment(Qt::AlignRight);
        auto* label = new QLabel("V" + QString::number(k + 1), box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(value);
        // Down the columns: V1..V10 in the first, V11..V20 in the second.
        const int row = (k - first) % rows;
        const int column = (k - first) / rows;
        grid->addWidget(label, row, column * 2);
        grid->addWidget(value, row, column * 2 + 1);
        V0_[size_t(k)] = value;
    }
    return box;
}

const std::vector<std::string>& VariablesWindow::unboundControls() const {
    return binder_->unbound();
}

// Once the link has failed nothing is sent: the boxes turn empty in order, a few wake-ups a
// second, and no further message comes.
void VariablesWindow::refreshTick() {
    runner_->run([this] {
        const bool wasOpen = refresh_->linkOpen();
        for (int n = 0; n < (wasOpen ? 1 : kBoxesPerIdleTick); ++n) {
            const VariablesRefresh::Refreshed refreshed = refresh_->tick();
            show(refreshed.index, refreshed.text);
            const int number = refreshed.index + 1;
            if (read_ && refresh_->linkOpen() &&
                std::find(plotPicks_.begin(), plotPicks_.end(), number) != plotPicks_.end())
                if (const auto value = common::toWholeNumber(refreshed.text)) read_(number, *value);
        }
        Timer1_->setInterval(refresh_->linkOpen() ? services_.timings.refreshIntervalMs
                                                  : services_.timings.idleRefreshIntervalMs);
        unmarkOldChanges();
    });
}

void VariablesWindow::show(int index, const std::string& text) {
    QLineEdit* box = V0_[size_t(index)];
    const QString value = ui::fromLatin1(text);
    if (box->text() == value) return;
    box->setText(value);
    // A value a program or a command changed; not the first reading of a box.
    if (!value.isEmpty() && box->property("read").toBool()) {
        changedAt_[size_t(index)] = sinceOpen_.elapsed();
        box->setProperty("changed", true);
        QPalette marked = palette();
        marked.setColor(QPalette::Base, ui::changedBackground(palette()));
        marked.setColor(QPalette::Text, ui::changedText(palette()));
        box->setPalette(marked);
    }
    box->setProperty("read", true);
}

void VariablesWindow::unmarkOldChanges() {
    const qint64 now = sinceOpen_.elapsed();
    for (size_t k = 0; k < V0_.size(); ++k) {
        if (changedAt_[k] == kNeverChanged || now - changedAt_[k] < services_.timings.changeMarkMs)
            continue;
        changedAt_[k] = kNeverChanged;
        V0_[k]->setProperty("changed", false);
        V0_[k]->setPalette(QPalette());
    }
}

// An empty line is not sent: the controller would not answer it, and the link would be lost.
void VariablesWindow::sendCommand() {
    const std::string command = ui::toLatin1(commandText_->text());
    commandText_->clear();
    if (!command.empty()) runner_->run([this, command] { refresh_->command(command); });
}

// Unloading stops the timer and lets the port go.
void VariablesWindow::done(int result) {
    Timer1_->stop();
    port_->CloseWindowPort();
    QDialog::done(result);
}

} // namespace windows
