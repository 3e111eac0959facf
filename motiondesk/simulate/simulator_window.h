#pragma once
// "Program Simulator" (ProgramSimulator): the program text of the main window compiled and run on
// a simulated controller of the window's own, so a program can be run, paused, stepped, stopped
// at breakpoints and stepped back before anything moves. Nothing goes to the real controller;
// closing the window ends its controller.

#include "motiondesk/simulate/program_simulation.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace ui {
class ProgramTextEdit;
class UserInterface;
} // namespace ui

namespace plot {
class PlotWindow;
}

namespace simulate {

class SimulatorWindow final : public QDialog {
    Q_OBJECT
public:
    // The source and what compiling it for the model gave (without an error).
    SimulatorWindow(ui::UserInterface& ui, const std::string& source, const std::string& model,
                    const SimulationProgram& program, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    ProgramSimulation& simulation() { return *simulation_; }
    // One frame of a run as the frame timer gives it (at most 30 a second), wallUs after the
    // last.
    void frame(int64_t wallUs);
    // The plot of the simulated controller's values, when open.
    plot::PlotWindow* plotWindow() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildToolbar();
    QWidget* buildState();
    QWidget* buildVariables();
    void load(const std::string& model, const SimulationProgram& program);
    void changeModel(int index);
    void startRun();
    void act(void (ProgramSimulation::*action)());
    void setInput(const char* assignment, bool on);
    void refresh();
    void showVariables();
    void showPlot();
    void feedPlot();

    ui::UserInterface& ui_;
    std::string source_;
    std::unique_ptr<ProgramSimulation> simulation_;
    ui::ProgramTextEdit* text_;
    QComboBox* model_;
    QComboBox* thread_;
    QComboBox* speed_;
    QPushButton* run_;
    QPushButton* pause_;
    QLabel* time_;
    std::array<QLabel*, 2> threads_{};
    QLabel* position_;
    QLabel* encoder_;
    QLabel* speedValue_;
    QLabel* motion_;
    QLabel* limits_;
    QLabel* timer_;
    QLabel* outputs_;
    std::vector<QCheckBox*> inputs_;
    QTableWidget* variables_;
    QLineEdit* plotVariables_;
    QLabel* status_;
    QTimer* frames_;
    QElapsedTimer clock_;
    QPointer<plot::PlotWindow> plot_;
    long long plottedMs_ = -1;
};

} // namespace simulate
