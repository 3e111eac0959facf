#include "motiondesk/setup/dio_window.h"

#include "motiondesk/session/handler_runner.h"
#include "motiondesk/session/window_port.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/setup/dio_file.h"
#include "motiondesk/setup/dio_table.h"
#include "motiondesk/ui/control_binder.h"
#include "motiondesk/ui/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace setup {

namespace {

QLabel* header(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// The table: a header, then one row of five fields per entry with its number in front. The
// lists start empty; loading fills them.
void buildTable(QWidget* window) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(header("Row"), 0, 0);
    grid->addWidget(header("Move Type"), 0, 1);
    for (const DioTextField& field : kDioTextFields)
        grid->addWidget(header(field.caption), 0, 1 + field.field);
    for (int row = 0; row < kDioRows; ++row) {
        grid->addWidget(new QLabel(QString::number(row)), row + 1, 0, Qt::AlignRight);
        auto* moveType = new QComboBox;
        moveType->setObjectName(QString::fromStdString(dioControlName("MoveType", row)));
        moveType->setMinimumWidth(110);
        grid->addWidget(moveType, row + 1, 1);
        for (const DioTextField& field : kDioTextFields) {
            auto* edit = new QLineEdit;
            edit->setObjectName(QString::fromStdString(dioControlName(field.name, row)));
            edit->setMinimumWidth(90);
            grid->addWidget(edit, row + 1, 1 + field.field);
        }
    }
    for (int column = 1; column <= kDioFields; ++column)
        grid->setColumnStretch(column, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ui::button("Download", "Down"));
    buttons->addWidget(ui::button("Upload", "Upload"));
    buttons->addWidget(ui::button("SetSN", "Store"));
    buttons->addSpacing(24);
    buttons->addWidget(ui::button("SaveParameters", "Save"));
    buttons->addWidget(ui::button("OpenParameters", "Open"));
    buttons->addStretch();
    buttons->addWidget(ui::button("CloseButton", "Close"));

    auto* layout = new QVBoxLayout(window);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
}

} // namespace

class DioWindowPrivate {
public:
    DioWindowPrivate(DioWindow* window, const session::WindowServices& services)
        : window(window), services(services), port(services),
          table(port.channel(), services.ui, panel), binder(window),
          runner(
              services.ui, [this] { readInputs(); }, [this] { showPanel(); }) {}

    struct RowControls {
        QComboBox* moveType = nullptr;
        QLineEdit* fields[kDioFields] = {}; // by field number; 0 unused
    };

    void bindControls();
    void readInputs();
    void showPanel();
    void load();
    void connectButton(const char* name, std::function<void()> action);

    DioWindow* window;
    session::WindowServices services;
    DioPanel panel;
    session::WindowPort port;
    DioTable table;
    ui::ControlBinder binder;
    session::HandlerRunner runner;
    RowControls rows[kDioRows];
};

void DioWindowPrivate::bindControls() {
    for (int row = 0; row < kDioRows; ++row) {
        rows[row].moveType = binder.find<QComboBox>(dioControlName("MoveType", row));
        for (const DioTextField& field : kDioTextFields)
            rows[row].fields[field.field] = binder.find<QLineEdit>(dioControlName(field.name, row));
    }
}

void DioWindowPrivate::readInputs() {
    for (int row = 0; row < kDioRows; ++row) {
        DioRow& entry = panel.rows[size_t(row)];
        if (rows[row].moveType && isMoveType(rows[row].moveType->currentIndex()))
            entry.MoveType = rows[row].moveType->currentIndex();
        for (const DioTextField& field : kDioTextFields)
            if (QLineEdit* edit = rows[row].fields[field.field])
                entry.*field.member = ui::toLatin1(edit->text());
    }
}

void DioWindowPrivate::showPanel() {
    for (int row = 0; row < kDioRows; ++row) {
        const DioRow& entry = panel.rows[size_t(row)];
        if (rows[row].moveType) rows[row].moveType->setCurrentIndex(entry.MoveType);
        for (const DioTextField& field : kDioTextFields)
            if (QLineEdit* edit = rows[row].fields[field.field])
                if (ui::toLatin1(edit->text()) != entry.*field.member)
                    edit->setText(ui::fromLatin1(entry.*field.member));
    }
}

void DioWindowPrivate::load() {
    port.OpenWindowPort();
    QStringList moveTypes;
    for (const char* text : kMoveTypes)
        moveTypes << QString::fromLatin1(text);
    for (const RowControls& controls : rows)
        if (controls.moveType) {
            controls.moveType->addItems(moveTypes);
            controls.moveType->setCurrentIndex(0);
        }
    showPanel();
    runner.run([this] { table.Upload(true); });
}

void DioWindowPrivate::connectButton(const char* name, std::function<void()> action) {
    binder.onClicked(name, [this, action = std::move(action)] { runner.run(action); });
}

DioWindow::DioWindow(const session::WindowServices& services, QWidget* parent)
    : QDialog(parent), d_(std::make_unique<DioWindowPrivate>(this, services)) {
    setObjectName("DIO");
    session::stopOnEscape(this, d_->port);
    setWindowTitle("DIO Control");
    buildTable(this);
    d_->bindControls();
    d_->connectButton("Download", [this] { d_->table.Download(); });
    d_->connectButton("Upload", [this] { d_->table.Upload(); });
    d_->connectButton("SetSN", [this] { d_->table.Store(); });
    d_->connectButton("SaveParameters", [this] { saveDioFile(d_->services.ui, d_->panel); });
    d_->connectButton("OpenParameters", [this] {
        openDioFile(d_->services.ui, d_->services.program.ModelName, d_->panel);
    });
    d_->binder.onClicked("CloseButton", [this] { reject(); });
    d_->load();
}

DioWindow::~DioWindow() = default;

const std::vector<std::string>& DioWindow::unboundControls() const {
    return d_->binder.unbound();
}

void DioWindow::done(int result) {
    d_->port.ReleasePort();
    QDialog::done(result);
}

} // namespace setup
