#pragma once
// The "Compile / Decompile" window: shows the run's progress while its timer steps the job.
// Its buttons Clean, Token, Check, Compile and "Add Spaces" run one phase by hand; the first of
// them takes the run over: the timer stops, the program text can be edited, and no result file
// is written (the window then ends like Cancel).

#include "progsmith/compiler/compile_phases.h"
#include "progsmith/compiler/job_driver.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace progsmith {

class CompilerForm : public QWidget {
    Q_OBJECT
public:
    CompilerForm(const std::string& programFolder, UserMessages& messages,
                 QWidget* parent = nullptr);

    const CompilerJob& job() const { return job_; }
    bool runByHand() const { return byHand_; }

private:
    QPushButton* phaseButton(const char* name, const QString& caption, CompilePhase phase);
    QPushButton* addSpacesButton();
    void takeOverByHand();
    std::string programText() const;
    void showPhase(const PhaseOutput& output);
    void onStatusTimer();
    void onCancel();
    void showState();
    void closeWhenFinished();

    CompilerJob job_;
    QProgressBar* progress_;
    QLabel* progressLabel_;
    QPlainTextEdit* orgProgram_;
    QPlainTextEdit* phaseOutput_;
    QLabel* phaseCaption_;
    QPushButton* cancel_;
    QTimer* statusTimer_;
    std::string shownProgram_;
    CompilePhases handRun_;
    bool byHand_ = false;
};

} // namespace progsmith
