#include "progsmith/compiler_form.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace progsmith {

CompilerForm::CompilerForm(const std::string& programFolder, UserMessages& messages,
                           QWidget* parent)
    : QWidget(parent), job_(programFolder, messages), progress_(new QProgressBar(this)),
      progressLabel_(new QLabel(this)), orgProgram_(new QPlainTextEdit(this)),
      phaseOutput_(new QPlainTextEdit(this)), phaseCaption_(new QLabel(this)),
      cancel_(new QPushButton(tr("Cancel"), this)), statusTimer_(new QTimer(this)),
      handRun_(nullptr) {
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
    phaseOutput_->setObjectName("PhaseOutput");
    phaseOutput_->setReadOnly(true);
    phaseOutput_->setLineWrapMode(QPlainTextEdit::NoWrap);
    phaseCaption_->setObjectName("PhaseCaption");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    orgProgram_->setFont(fixed);
    phaseOutput_->setFont(fixed);

    auto* phases = new QHBoxLayout;
    phases->addWidget(phaseButton("Clean", tr("Clean"), CompilePhase::Clean));
    phases->addWidget(phaseButton("Token", tr("Token"), CompilePhase::Tokenise));
    phases->addWidget(phaseButton("Check", tr("Check"), CompilePhase::Check));
    phases->addWidget(phaseButton("Compile", tr("Compile"), CompilePhase::Assemble));
    phases->addWidget(addSpacesButton());
    phases->addStretch();
    phases->addWidget(cancel_);

    auto* texts = new QSplitter(this);
    texts->addWidget(orgProgram_);
    auto* output = new QWidget(texts);
    auto* outputLayout = new QVBoxLayout(output);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    outputLayout->addWidget(phaseCaption_);
    outputLayout->addWidget(phaseOutput_, 1);
    texts->addWidget(output);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressLabel_);
    layout->addWidget(progress_);
    layout->addWidget(texts, 1);
    layout->addLayout(phases);
    resize(720, 400);

    connect(cancel_, &QPushButton::clicked, this, &CompilerForm::onCancel);
    connect(statusTimer_, &QTimer::timeout, this, &CompilerForm::onStatusTimer);

    job_.load();
    handRun_ = CompilePhases(job_.model());
    showState();
    // One phase per event, the next as soon as the window has shown the last: the progress is
    // seen phase by phase, Cancel and the buttons still work, and nobody waits on a clock.
    statusTimer_->setTimerType(Qt::PreciseTimer);
    statusTimer_->start(0);
    closeWhenFinished();
}

// The clean-up starts from the program text as it stands in the window, edits included.
QPushButton* CompilerForm::phaseButton(const char* name, const QString& caption,
                                       CompilePhase phase) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, phase] {
        takeOverByHand();
        if (phase == CompilePhase::Clean) handRun_.setProgramText(programText());
        showPhase(handRun_.runShown(phase));
    });
    return button;
}

QPushButton* CompilerForm::addSpacesButton() {
    auto* button = new QPushButton(tr("Add Spaces"), this);
    button->setObjectName("AddSpaces");
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] {
        takeOverByHand();
        const std::string indented = addSpaces(programText());
        orgProgram_->setPlainText(QString::fromLatin1(indented).replace("\r\n", "\n"));
        showPhase({"Add Spaces: done", {}, std::nullopt});
    });
    return button;
}

// From the first phase run by hand on, the timer no longer steps the job: nothing is written.
void CompilerForm::takeOverByHand() {
    if (byHand_) return;
    byHand_ = true;
    statusTimer_->stop();
    orgProgram_->setReadOnly(false);
    progressLabel_->setText(tr("Run by hand: no result file is written."));
}

std::string CompilerForm::programText() const {
    QString text = orgProgram_->toPlainText();
    text.replace('\n', QLatin1String("\r\n"));
    if (!text.isEmpty() && !text.endsWith(QLatin1String("\r\n"))) text += QLatin1String("\r\n");
    return text.toLatin1().toStdString();
}

void CompilerForm::showPhase(const PhaseOutput& output) {
    phaseCaption_->setText(QString::fromLatin1(output.caption));
    QStringList lines;
    for (const std::string& line : output.lines)
        lines << QString::fromLatin1(line);
    phaseOutput_->setPlainText(lines.join('\n'));
    if (!output.error || !output.error->selectsLine) return;
    const QTextBlock block = orgProgram_->document()->findBlockByNumber(output.error->line - 1);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    orgProgram_->setTextCursor(cursor);
    orgProgram_->setFocus();
}

void CompilerForm::onStatusTimer() {
    if (byHand_) return;
    job_.tick();
    showState();
    if (isVisible()) {
        progress_->repaint();
        progressLabel_->repaint();
    }
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
