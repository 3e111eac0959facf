#pragma once
// The controls of the main window, built into frames with Qt layouts. Every control the program
// addresses carries its name as objectName.

#include <QString>

class QGroupBox;
class QWidget;

namespace mainwindow {

struct MainWindowFrames {
    QGroupBox* status = nullptr;
    QGroupBox* controller = nullptr;
    QGroupBox* motion = nullptr;
    QGroupBox* speeds = nullptr;
    QGroupBox* io = nullptr;
    QGroupBox* latchAndSync = nullptr;
    QGroupBox* programControl = nullptr;
    QWidget* content = nullptr; // everything but the status line, scrolled when the screen is small
};

// Creates all controls as children of window and lays them out.
MainWindowFrames buildMainWindowLayout(QWidget* window);

} // namespace mainwindow
