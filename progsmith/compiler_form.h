#pragma once
// The "Compile / Decompile" window: shows the run's progress while its timer steps the job.

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

private:
    void onStatusTimer();
    void onCancel();
    void showState();
    void closeWhenFinished();

    CompilerJob job_;
    QProgressBar* progress_;
    QLabel* progressLabel_;
    QPlainTextEdit* orgProgram_;
    QPushButton* cancel_;
    QTimer* statusTimer_;
    std::string shownProgram_;
};

} // namespace progsmith
