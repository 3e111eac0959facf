#pragma once
// "Motion Plot" (MotionPlot): the values the main window's poll reads, against time, while the
// poll runs; a non-modal window beside the main window. It sends nothing: the main window hands
// it each poll cycle (and the variables window each reading of a picked variable).
//
// Traces of position, encoder, delta, speed, the analog inputs and the program line, each
// switchable; below them the lamps as step traces. Time windows of 10 s, 1 min and 10 min;
// "Pause" freezes the picture while the history and a recording go on; the mouse wheel zooms the
// time axis, dragging pans it, a double click goes back to following; the cursor reads every
// trace's value at its time. "Record" streams every cycle to a CSV file, "Save image" writes the
// picture as PNG.

#include "motiondesk/plot/plot_history.h"
#include "motiondesk/plot/recording.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace ui {
class UserInterface;
}

namespace plot {

class PlotCharts;

class PlotWindow final : public QDialog {
    Q_OBJECT
public:
    PlotWindow(ui::UserInterface& ui, QWidget* parent = nullptr);
    ~PlotWindow() override;

    // One poll cycle; the link lost (its traces end there).
    void addSample(const Sample& sample);
    void addGap();
    // The picked variables (up to eight of V1..V100) and their readings.
    void setVariables(std::vector<int> numbers);
    void addVariable(int number, long long ms, double value);
    const std::vector<int>& variables() const { return variables_; }

    const History& history() const { return history_; }
    bool recording() const { return recording_.active(); }
    // Starts recording into path, as "Record" does once the user has named the file; why not,
    // when it cannot.
    std::optional<std::string> record(const std::string& path);
    // The time window: 0 for 10 s, 1 for 1 min, 2 for 10 min.
    void setTimeWindow(int index);
    // Draws what the time window shows now.
    void redraw();
    // What the frame timer does at most 30 times a second: draws when there is something new to
    // see.
    void frameTick();
    // The time range drawn, in seconds.
    std::pair<double, double> shownRange() const;
    // The points a trace shows now (for the tests): the column's, or V<number>'s.
    std::vector<std::vector<Point>> shownPoints(const char* column) const;
    std::vector<std::vector<Point>> shownVariable(int number) const;
    // The cursor's reading at a time, as the window shows it below the traces.
    QString readingAt(double seconds) const;

    // The time window's length in seconds: 10, 60 or 600.
    double span() const;

protected:
    void changeEvent(QEvent* event) override;
    void done(int result) override;

private:
    void toggleRecording(bool on);
    void saveImage();
    void followLive();
    void showCursor(double seconds);
    void zoom(double factor, double atSeconds);
    void pan(double seconds);

    ui::UserInterface& ui_;
    History history_;
    Recording recording_;
    std::vector<int> variables_;
    std::unique_ptr<PlotCharts> charts_;
    std::array<QCheckBox*, kColumnCount> shown_{};
    QComboBox* timeWindow_;
    QPushButton* pause_;
    QPushButton* record_;
    QLabel* readout_;
    QTimer* frames_;
    bool dirty_ = false;
    bool following_ = true;
    bool cursorMoved_ = false;
    double drawnLatest_ = -1;
    double from_ = 0, to_ = 10;
};

} // namespace plot
