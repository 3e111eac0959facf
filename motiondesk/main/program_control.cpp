#include "motiondesk/main/program_control.h"

#include "common/textfile.h"
#include "jobfiles/file_names.h"
#include "link/command_channel.h"
#include "motiondesk/jobs/compiled_viewer.h"
#include "motiondesk/jobs/program_files.h"
#include "motiondesk/main/status_poll.h"
#include "motiondesk/session/port_loan.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/simulate/simulator_window.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/windows/program_editor.h"

#include <QLabel>

namespace mainwindow {

namespace {

// The poll sends nothing while a job has the link or a program is being started.
class PollPause {
public:
    explicit PollPause(StatusPoll& poll) : poll_(poll) { poll_.setPaused(true); }
    ~PollPause() { poll_.setPaused(false); }
    PollPause(const PollPause&) = delete;
    PollPause& operator=(const PollPause&) = delete;

private:
    StatusPoll& poll_;
};

} // namespace

ProgramControl::ProgramControl(const session::WindowServices& services,
                               transport::CommandChannel& channel, StatusPoll& poll,
                               session::PortHolder& mainPort, QWidget* window,
                               ui::ProgramTextEdit* orgProgram, QLabel* compiledTotal)
    : services_(services), channel_(channel), poll_(poll), mainPort_(mainPort), window_(window),
      orgProgram_(orgProgram), compiledTotal_(compiledTotal), jobs_(services, *this) {}

ProgramControl::~ProgramControl() = default;

// The reply and status are not looked at; a failed exchange has told the user itself.
void ProgramControl::runControl(const char* command) {
    if (channel_.linkOpen()) channel_.exchange(command);
}

void ProgramControl::runProgram() {
    if (!channel_.linkOpen()) return;
    const PollPause paused(poll_);
    channel_.exchange("SR=1");
}

void ProgramControl::stopProgram() {
    runControl("SR=0");
}

void ProgramControl::pauseProgram() {
    runControl("SR=2");
}

void ProgramControl::continueProgram() {
    runControl("SR=3");
}

void ProgramControl::compile() {
    jobs_.CompileProgram();
}

void ProgramControl::download() {
    if (!channel_.linkOpen()) return;
    channel_.exchange("SR=0");
    const PollPause paused(poll_);
    jobs_.DownloadProgram();
}

void ProgramControl::upload() {
    if (!channel_.linkOpen()) return;
    const PollPause paused(poll_);
    jobs_.UploadProgram();
}

void ProgramControl::clearCodeSpace() {
    const PollPause paused(poll_);
    jobs_.ClearCodeSpace();
}

// A missing compile result ends this without a message.
void ProgramControl::viewCompiled() {
    const auto file =
        common::readTextFile(jobfiles::pathIn(services_.exeFolder, jobfiles::kCompileResultFile));
    if (!file.ok()) return;
    jobs::CompiledViewer viewer(services_.ui, file.lines, window_);
    viewer.exec();
}

simulate::SimulatorWindow* ProgramControl::simulator() const {
    return simulator_;
}

void ProgramControl::simulate() {
    const std::string source = orgProgram_->programText();
    const std::string& model = services_.program.ModelName;
    const simulate::SimulationProgram program = simulate::compileForSimulation(source, model);
    if (!program.error.empty()) {
        services_.ui.showMessage(program.error);
        if (program.errorLine > 0) orgProgram_->selectProgramLine(program.errorLine);
        return;
    }
    // One simulator at a time: a new Simulate starts over with the text as it is now.
    if (simulator_) simulator_->close();
    simulator_ = new simulate::SimulatorWindow(services_.ui, source, model, program, window_);
    simulator_->show();
}

void ProgramControl::newProgram() {
    orgProgram_->clear();
}

void ProgramControl::openProgram() {
    if (const auto text = jobs::openProgramFile(services_.ui, services_.program.ModelName))
        orgProgram_->setProgramText(*text);
}

void ProgramControl::saveProgram() {
    jobs::saveProgramFile(services_.ui, services_.program.ModelName, orgProgram_->programText());
}

// The editor has the port (its jobs let it go and take it back themselves) and a copy of the
// program; the main window's text stays as it was.
void ProgramControl::openEditor() {
    const session::PortLoan loan(mainPort_);
    services_.program.CompileFromEditor = true;
    windows::ProgramEditor editor(services_, jobs_, orgProgram_->programText(), window_);
    editor_ = &editor;
    editor.exec();
    editor_ = nullptr;
    services_.program.CompileFromEditor = false;
}

ui::ProgramTextEdit* ProgramControl::sourceBox() const {
    return services_.program.CompileFromEditor && editor_ ? editor_->programText() : orgProgram_;
}

std::string ProgramControl::sourceText() {
    return sourceBox()->programText();
}

void ProgramControl::selectSourceLine(int line) {
    sourceBox()->selectProgramLine(line);
}

void ProgramControl::setAllTexts(const std::string& text) {
    orgProgram_->setProgramText(text);
    if (editor_) editor_->programText()->setProgramText(text);
}

void ProgramControl::showCompiledTotal(int lines) {
    compiledTotal_->setText("Total Lines: " + QString::number(lines));
}

} // namespace mainwindow
