#pragma once
// "Program Editor" (ProgramEditForm): a larger editing surface for the stand-alone program. It
// opens with a copy of the main window's program and has its own New, Open, Save, Compile,
// Download and Upload; the jobs are the main window's, which let the link go and take it back
// themselves. Its text is not copied back when it closes: changes reach the main window only
// through a file or an upload.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace session {
struct WindowServices;
class HandlerRunner;
} // namespace session

namespace jobs {
class ProgramJobs;
}

namespace ui {
class ControlBinder;
class ProgramTextEdit;
} // namespace ui

namespace windows {

class ProgramEditor final : public QDialog {
    Q_OBJECT
public:
    ProgramEditor(const session::WindowServices& services, jobs::ProgramJobs& jobs,
                  const std::string& program, QWidget* parent = nullptr);
    ~ProgramEditor() override;

    ui::ProgramTextEdit* programText() const { return orgProgram_; }
    const std::vector<std::string>& unboundControls() const;

private:
    void bind(const char* name, std::function<void()> handler);

    const session::WindowServices& services_;
    jobs::ProgramJobs& jobs_;
    ui::ProgramTextEdit* orgProgram_;
    std::unique_ptr<ui::ControlBinder> binder_;
    std::unique_ptr<session::HandlerRunner> runner_;
};

} // namespace windows
