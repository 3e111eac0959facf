#pragma once
// "View Compiled Program": the compiled lines of the last compile, one per row of viewList, and
// "Save" of them as a compiled-program file (.cpg).

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace ui {
class UserInterface;
}

namespace jobs {

// Every row, then one empty line, as a .cpg file is written.
void saveCompiledProgram(ui::UserInterface& ui, const std::vector<std::string>& rows);

class CompiledViewer final : public QDialog {
    Q_OBJECT
public:
    CompiledViewer(ui::UserInterface& ui, const std::vector<std::string>& rows,
                   QWidget* parent = nullptr);

    std::vector<std::string> rows() const;

private:
    ui::UserInterface& ui_;
    QListWidget* viewList_;
};

} // namespace jobs
