#include "proglift/windows/job_window.h"

#include "proglift/loader/loader_job.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace proglift {

namespace {

// A job sends a command every millisecond or less; painting every one of them would cost more
// than the exchange. No events are processed while the job runs, so the window is painted at
// once; the frame timer catches what the end of a slice left behind.
constexpr int FrameIntervalMs = 40;

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
    frameTimer_.setSingleShot(true);
    frameTimer_.setInterval(FrameIntervalMs);
    connect(&frameTimer_, &QTimer::timeout, this, &JobWindow::showPending);
}

bool JobWindow::runJob(LoaderJob& job) {
    job_ = &job;
    stepTimer_.start();
    exec();
    stepTimer_.stop();
    showPending();
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
    pendingCommand_ = QString::fromLatin1(command.data(), static_cast<qsizetype>(command.size()));
    updateAtFrameRate();
}

void JobWindow::setProgressMaximum(int32_t maximum) {
    progress_->setRange(0, std::max(maximum, 0));
}

void JobWindow::setProgressValue(int32_t value) {
    pendingProgress_ = value;
    updateAtFrameRate();
}

void JobWindow::updateAtFrameRate() {
    pending_ = true;
    if (!lastUpdate_.isValid() || lastUpdate_.elapsed() >= FrameIntervalMs) {
        showPending();
        if (isVisible()) {
            progressLabel_->repaint();
            progress_->repaint();
        }
    } else if (!frameTimer_.isActive()) {
        frameTimer_.start();
    }
}

void JobWindow::showPending() {
    if (!pending_) return;
    pending_ = false;
    lastUpdate_.start();
    progressLabel_->setText(pendingCommand_);
    if (pendingProgress_ >= progress_->minimum() && pendingProgress_ <= progress_->maximum())
        progress_->setValue(pendingProgress_);
}

} // namespace proglift
