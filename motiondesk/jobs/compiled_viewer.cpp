#include "motiondesk/jobs/compiled_viewer.h"

#include "common/textfile.h"
#include "motiondesk/jobs/program_files.h"
#include "motiondesk/ui/user_interface.h"
#include "motiondesk/ui/widgets.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace jobs {

void saveCompiledProgram(ui::UserInterface& ui, const std::vector<std::string>& rows) {
    const auto name =
        ui.saveFileName({"Save Compiled Program As", "Compiled Program Files (*.cpg)|*.cpg", ""});
    if (!name) return;
    if (name->empty()) return ui.showMessage("No Program Name!");
    if (name->find('*') != std::string::npos) return;
    std::vector<std::string> lines = rows;
    lines.emplace_back();
    if (!common::writeLinesAtomically(*name, lines))
        return ui.showMessage("File " + *name + " could not be saved: " + saveFailureReason(*name));
    ui.showMessage("Save Done!");
}

CompiledViewer::CompiledViewer(ui::UserInterface& ui, const std::vector<std::string>& rows,
                               QWidget* parent)
    : QDialog(parent), ui_(ui), viewList_(new QListWidget(this)) {
    setObjectName("CompiledViewer");
    setWindowTitle("View Compiled Program");
    viewList_->setObjectName("viewList");
    viewList_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewList_->setUniformItemSizes(true);
    for (const std::string& row : rows)
        viewList_->addItem(ui::fromLatin1(row));

    auto* save = new QPushButton("Save", this);
    save->setObjectName("Save");
    save->setAutoDefault(false);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("Close");
    close->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, [this] { saveCompiledProgram(ui_, this->rows()); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(viewList_, 1);
    layout->addLayout(buttons);
    resize(360, 480);
}

std::vector<std::string> CompiledViewer::rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < viewList_->count(); ++i)
        rows.push_back(ui::toLatin1(viewList_->item(i)->text()));
    return rows;
}

} // namespace jobs
