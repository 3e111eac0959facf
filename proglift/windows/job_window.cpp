#include "proglift/windows/job_window.h"

#include "proglift/loader/loader_job.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace proglift {

namespace {

// A serial job sends a command every millisecond or two with no events in between; painting
// every one of them would cost more than the exchange.
constexpr qint64 RepaintIntervalMs = 20;

} // namespace

JobWindow::JobWindow(Kind kind, QWidget* parent)
    : QDialog(parent), label_(new QLabel(this)), progressLabel_(new QLabel(this)),
      progress_(new QProgressBar(this)) {
    const bool upload = kind == Kind::Upload;
    setObjectName(upload ? "CompilerForm" : "DownloadForm");
    setWindowTitle(upload ? "SA Upload" : "SA Download");
    label_->setObjectName("label");
    progressLabel_->setObjectName("ProgressLabel");
    progress_->setObjectName("Progress");
    progress_->setRange(0, 0);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(progressLabel_);
    layout->addWidget(progress_);
    if (upload) {
        cancel_ = new QPushButton("Cancel", this);
        cancel_->setObjectName("Cancel");
        layout->addWidget(cancel_, 0, Qt::AlignRight);
        connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    }
    setMinimumWidth(360);

    stepTimer_.setObjectName(upload ? "StatusTimer" : "Timer1");
    stepTimer_.setInterval(StepIntervalMs);
    connect(&stepTimer_, &QTimer::timeout, this, &JobWindow::stepTimerFired);
}

bool JobWindow::runJob(LoaderJob& job) {
    job_ = &job;
    lastRepaint_.start();
    stepTimer_.start();
    exec();
    stepTimer_.stop();
    job_ = nullptr;
    return job.finished();
}

void JobWindow::stepTimerFired() {
    if (!job_) return;
    job_->tick();
    if (job_->finished()) accept();
}

void JobWindow::showPhase(const std::string& text) {
    label_->setText(QString::fromStdString(text));
    label_->repaint();
}

void JobWindow::showCommand(const std::string& command) {
    progressLabel_->setText(QString::fromLatin1(command.data(), static_cast<int>(command.size())));
    repaintAtFrameRate();
}

void JobWindow::setProgressMaximum(int32_t maximum) {
    progress_->setRange(0, std::max(maximum, 0));
}

void JobWindow::setProgressValue(int32_t value) {
    if (value >= progress_->minimum() && value <= progress_->maximum()) progress_->setValue(value);
}

void JobWindow::repaintAtFrameRate() {
    if (!isVisible() || lastRepaint_.elapsed() < RepaintIntervalMs) return;
    lastRepaint_.restart();
    progressLabel_->repaint();
    progress_->repaint();
}

} // namespace proglift
