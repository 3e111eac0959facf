#include "motiondesk/connection/search_window.h"

#include "link/serial_link.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace connection {

SearchWindow::SearchWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), port_(services.makeSerialLink()),
      search_(
          std::make_unique<SerialSearch>(*port_, services.ui, services.timings.searchEmptyReadMs)),
      tickMs_(services.timings.searchTickMs), settleMs_(services.timings.searchSettleMs) {
    setObjectName("SearchCom");
    setWindowTitle("Search KT Device");
    setModal(true);

    progressLabel_ = new QLabel("Searching ...", this);
    progressLabel_->setObjectName("ProgressLabel");
    progressLabel_->setMinimumWidth(300);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("Progress");
    progress_->setRange(0, ProgressMaximum);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");
    connect(cancel, &QPushButton::clicked, this, [this] { search_->StartSearch = false; });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressLabel_);
    layout->addWidget(progress_);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    statusTimer_ = new QTimer(this);
    statusTimer_->setObjectName("StatusTimer");
    statusTimer_->setInterval(services.timings.searchTickMs);
    statusTimer_->setTimerType(Qt::PreciseTimer);
    connect(statusTimer_, &QTimer::timeout, this, &SearchWindow::onTick);
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!finished_) statusTimer_->start();
}

// The steps come faster than anyone reads them; the window shows them at a frame rate.
void SearchWindow::onTick() {
    const bool goOn = search_->tick();
    if (!goOn || !shown_.isValid() || shown_.elapsed() >= kFrameMs) {
        shown_.start();
        progress_->setValue(search_->progress());
        progressLabel_->setText(QString::fromLatin1(search_->progressLabel()));
    }
    if (goOn) {
        statusTimer_->setInterval(search_->needsSettling() ? settleMs_ : tickMs_);
        return;
    }
    finished_ = true;
    statusTimer_->stop();
    accept();
}

// The close box and Escape act like Cancel: the search ends at the next tick, with the port
// closed by the search itself.
void SearchWindow::closeEvent(QCloseEvent* event) {
    if (finished_) return QDialog::closeEvent(event);
    search_->StartSearch = false;
    event->ignore();
}

void SearchWindow::reject() {
    if (finished_) return QDialog::reject();
    search_->StartSearch = false;
}

} // namespace connection
