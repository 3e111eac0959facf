#pragma once
// The main window's program-control frame: run control of the program in the controller, the
// compile, download, upload and clear jobs, the compiled program viewer, program files, and the
// program editor. It is also the jobs' view of the program text boxes.

#include "motiondesk/jobs/program_jobs.h"

#include <QPointer>

#include <memory>
#include <string>

class QLabel;
class QWidget;

namespace session {
struct WindowServices;
class PortHolder;
} // namespace session
namespace transport {
class CommandChannel;
}

namespace ui {
class ProgramTextEdit;
}

namespace windows {
class ProgramEditor;
}
namespace simulate {
class SimulatorWindow;
}

namespace mainwindow {

class StatusPoll;

class ProgramControl final : public jobs::ProgramTexts {
public:
    ProgramControl(const session::WindowServices& services, transport::CommandChannel& channel,
                   StatusPoll& poll, session::PortHolder& mainPort, QWidget* window,
                   ui::ProgramTextEdit* orgProgram, QLabel* compiledTotal);
    ~ProgramControl() override;

    void runProgram();      // "Run": SR=1, the poll paused during the exchange
    void stopProgram();     // "Stop": SR=0
    void pauseProgram();    // "Pause": SR=2
    void continueProgram(); // "Cont": SR=3

    void compile();
    void download(); // SR=0 first
    void upload();
    void clearCodeSpace();
    void viewCompiled();
    // "Simulate": the program text compiled for the controller's model and opened in the
    // program simulator (a compile error is shown as Compile shows it, and nothing opens).
    void simulate();
    simulate::SimulatorWindow* simulator() const;

    void newProgram();
    void openProgram();
    void saveProgram();
    void openEditor(); // ">"

    std::string sourceText() override;
    void selectSourceLine(int line) override;
    void setAllTexts(const std::string& text) override;
    void showCompiledTotal(int lines) override;

    jobs::ProgramJobs& jobs() { return jobs_; }
    // The program editor while it is open, else nullptr.
    windows::ProgramEditor* editor() const { return editor_; }

private:
    void runControl(const char* command);
    ui::ProgramTextEdit* sourceBox() const;

    const session::WindowServices& services_;
    transport::CommandChannel& channel_;
    StatusPoll& poll_;
    session::PortHolder& mainPort_;
    QWidget* window_;
    ui::ProgramTextEdit* orgProgram_;
    QLabel* compiledTotal_;
    jobs::ProgramJobs jobs_;
    windows::ProgramEditor* editor_ = nullptr;
    QPointer<simulate::SimulatorWindow> simulator_;
};

} // namespace mainwindow
