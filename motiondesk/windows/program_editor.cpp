#include "motiondesk/windows/program_editor.h"

#include "link/connection_state.h"
#include "motiondesk/jobs/program_files.h"
#include "motiondesk/jobs/program_jobs.h"
#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/keyboard.h"
#include "motiondesk/ui/program_text_edit.h"
#include "motiondesk/ui/widgets.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace windows {

ProgramEditor::ProgramEditor(const session::WindowServices& services, jobs::ProgramJobs& jobs,
                             const std::string& program, QWidget* parent)
    : QDialog(parent), services_(services), jobs_(jobs),
      orgProgram_(new ui::ProgramTextEdit(services.program.ModelName, this)),
      binder_(std::make_unique<ui::ControlBinder>(this)),
      runner_(std::make_unique<session::HandlerRunner>(services.ui)) {
    setObjectName("ProgramEditForm");
    setWindowTitle("Program Editor");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    orgProgram_->setObjectName("OrgProgram");

    auto* files = new QHBoxLayout;
    for (const auto& [name, caption] : {std::pair{"NewProg", "New"}, std::pair{"OpenProg", "Open"},
                                        std::pair{"SaveProg", "Save"}})
        files->addWidget(ui::button(name, caption));
    files->addSpacing(24);
    for (const auto& [name, caption] :
         {std::pair{"Command1", "Compile"}, std::pair{"DownloadSAP", "Download"},
          std::pair{"UploadSAP", "Upload"}})
        files->addWidget(ui::button(name, caption));
    files->addStretch();
    files->addWidget(ui::button("Close", "Close"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(orgProgram_, 1);
    layout->addLayout(files);
    resize(760, 620);

    orgProgram_->setProgramText(program);
    const std::string& model = services_.program.ModelName;
    bind("NewProg", [this] { orgProgram_->clear(); });
    bind("OpenProg", [this, model] {
        if (const auto text = jobs::openProgramFile(services_.ui, model))
            orgProgram_->setProgramText(*text);
    });
    bind("SaveProg",
         [this, model] { jobs::saveProgramFile(services_.ui, model, orgProgram_->programText()); });
    bind("Command1", [this] { jobs_.CompileProgram(); });
    bind("DownloadSAP", [this] {
        if (services_.state.LinkOpen) jobs_.DownloadProgram();
    });
    bind("UploadSAP", [this] {
        if (services_.state.LinkOpen) jobs_.UploadProgram();
    });
    bind("Close", [this] { accept(); });
    ui::addProgramKeys(this);
}

ProgramEditor::~ProgramEditor() = default;

void ProgramEditor::bind(const char* name, std::function<void()> handler) {
    binder_->onClicked(name, [this, handler = std::move(handler)] { runner_->run(handler); });
}

const std::vector<std::string>& ProgramEditor::unboundControls() const {
    return binder_->unbound();
}

} // namespace windows
