#pragma once
// "Variables" (VariableForm): the controller's variables V1 to V100, refreshed one per tick of
// Timer1, and CommandText for commands (typically assignments). The boxes are the control array
// V0: element k (object name "V0_<k>") shows V<k+1>. A value that has just changed is marked
// for a moment. The window owns the serial port while it is open.

#include <QDialog>
#include <QElapsedTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QTimer;

namespace session {
struct WindowServices;
class HandlerRunner;
class WindowPort;
} // namespace session

namespace ui {
class ControlBinder;
}

namespace windows {

class VariablesRefresh;

class VariablesWindow final : public QDialog {
    Q_OBJECT
public:
    explicit VariablesWindow(const session::WindowServices& services, QWidget* parent = nullptr);
    ~VariablesWindow() override;

    // One tick of Timer1 (tests call it directly).
    void refreshTick();

    // The plot: up to eight variables picked in PlotVariables ("1, 5, 12") are handed to it
    // with every reading of theirs; picked gets the choice, shown the picks already made.
    void setPlotHooks(std::vector<int> shown, std::function<void(std::vector<int>)> picked,
                      std::function<void(int number, double value)> read);
    const std::vector<std::string>& unboundControls() const;

protected:
    void done(int result) override;

private:
    QWidget* frame(const char* title, int first, int last);
    void sendCommand();
    void show(int index, const std::string& text);
    void unmarkOldChanges();

    const session::WindowServices& services_;
    std::unique_ptr<session::WindowPort> port_;
    std::unique_ptr<VariablesRefresh> refresh_;
    std::unique_ptr<ui::ControlBinder> binder_;
    std::unique_ptr<session::HandlerRunner> runner_;
    std::array<QLineEdit*, 100> V0_{};
    std::array<qint64, 100> changedAt_{};
    QElapsedTimer sinceOpen_;
    QLineEdit* commandText_;
    QLineEdit* plotVariables_;
    std::vector<int> plotPicks_;
    std::function<void(std::vector<int>)> picked_;
    std::function<void(int, double)> read_;
    QTimer* Timer1_;
};

} // namespace windows
