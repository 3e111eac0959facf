#include "progsmith/compiler_form.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace progsmith {

CompilerForm::CompilerForm(const std::string& programFolder, UserMessages& messages,
                           QWidget* parent)
    : QWidget(parent), job_(programFolder, messages), progress_(new QProgressBar(this)),
      progressLabel_(new QLabel(this)), orgProgram_(new QPlainTextEdit(this)),
      cancel_(new QPushButton(tr("Cancel"), this)), statusTimer_(new QTimer(this)) {
    setObjectName("CompilerForm");
    setWindowTitle("Compile / Decompile");
    progress_->setObjectName("Progress");
    progress_->setRange(0, 1000);
    progressLabel_->setObjectName("ProgressLabel");
    orgProgram_->setObjectName("OrgProgram");
    orgProgram_->setReadOnly(true);
    orgProgram_->setLineWrapMode(QPlainTextEdit::NoWrap);
    cancel_->setObjectName("Cancel");
    statusTimer_->setObjectName("StatusTimer");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressLabel_);
    layout->addWidget(progress_);
    layout->addWidget(orgProgram_, 1);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    resize(520, 360);

    connect(cancel_, &QPushButton::clicked, this, &CompilerForm::onCancel);
    connect(statusTimer_, &QTimer::timeout, this, &CompilerForm::onStatusTimer);

    job_.load();
    showState();
    statusTimer_->start(100);
    closeWhenFinished();
}

void CompilerForm::onStatusTimer() {
    job_.tick();
    showState();
    closeWhenFinished();
}

void CompilerForm::onCancel() {
    job_.cancel();
    closeWhenFinished();
}

void CompilerForm::showState() {
    progress_->setValue(job_.progress());
    progressLabel_->setText(QString::fromLatin1(job_.caption()));
    if (job_.orgProgram() != shownProgram_) {
        shownProgram_ = job_.orgProgram();
        QString text = QString::fromLatin1(shownProgram_);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        orgProgram_->setPlainText(text);
    }
    if (const auto line = job_.selectedLine()) {
        const QTextBlock block = orgProgram_->document()->findBlockByNumber(*line - 1);
        if (block.isValid()) {
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            orgProgram_->setTextCursor(cursor);
            orgProgram_->setFocus();
        }
    }
}

void CompilerForm::closeWhenFinished() {
    if (!job_.finished()) return;
    statusTimer_->stop();
    // Closed from the event loop, so that a window closed during construction still ends the run.
    QTimer::singleShot(0, this, &QWidget::close);
}

} // namespace progsmith
