#pragma once
// The loader's progress windows, "SA Download" and "SA Upload": the phase, the command just sent
// and a progress bar, with the job's step timer. A job runs to its end without the user.

#include "proglift/loader/job_display.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace proglift {

class LoaderJob;

class JobWindow final : public QDialog, public JobDisplay {
    Q_OBJECT
public:
    enum class Kind { Download, Upload };
    explicit JobWindow(Kind kind, QWidget* parent = nullptr);

    // Runs the job on the step timer until it has finished or the window is closed; true when
    // the job came to its end.
    bool runJob(LoaderJob& job);

    void showPhase(const std::string& text) override;
    void showCommand(const std::string& command) override;
    void setProgressMaximum(int32_t maximum) override;
    void setProgressValue(int32_t value) override;

    static constexpr int StepIntervalMs = 1;

private:
    void stepTimerFired();
    // Shows the latest command and progress now if the last update is a frame ago, otherwise
    // when the frame timer fires.
    void updateAtFrameRate();
    void showPending();

    QLabel* label_;
    QLabel* progressLabel_;
    QProgressBar* progress_;
    QPushButton* cancel_ = nullptr;
    QTimer stepTimer_;
    QTimer frameTimer_;
    QElapsedTimer lastUpdate_;
    QString pendingCommand_;
    int pendingProgress_ = 0;
    bool pending_ = false;
    LoaderJob* job_ = nullptr;
};

} // namespace proglift
