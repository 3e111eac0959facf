#include "motiondesk/main/main_window.h"

#include <QCloseEvent>

namespace mainwindow {

class MainWindowPrivate {
public:
    explicit MainWindowPrivate(const MainWindowContext& context) : context(context) {}
    MainWindowContext context;
};

MainWindow::MainWindow(const MainWindowContext& context, QWidget* parent)
    : QDialog(parent), d_(std::make_unique<MainWindowPrivate>(context)) {
    setObjectName("frmMain");
    setWindowTitle("LMC-7 Program");
}

MainWindow::~MainWindow() = default;

void MainWindow::pollTick() {}
bool MainWindow::pollPaused() const {
    return false;
}
void MainWindow::setPollPaused(bool) {}
int MainWindow::statusPhase() const {
    return 1;
}
bool MainWindow::loading() const {
    return false;
}
bool MainWindow::demoMode() const {
    return false;
}
int MainWindow::demoStep() const {
    return 1;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
}
void MainWindow::done(int result) {
    QDialog::done(result);
}

} // namespace mainwindow
