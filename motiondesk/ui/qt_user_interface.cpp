#include "motiondesk/ui/qt_user_interface.h"
#include "motiondesk/ui/widgets.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace ui {
namespace {

// Dialogs belong to whatever window is in front, so they stay above a modal window.
QWidget* frontWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// Message boxes without a title would otherwise show the application name.
int showBox(QMessageBox::Icon icon, const std::string& text, const std::string& title,
            QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, messageText(title), messageText(text), buttons, frontWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    return box.exec();
}

std::optional<std::string> chosen(const QString& name) {
    if (name.isEmpty()) return std::nullopt;
    return name.toLocal8Bit().toStdString();
}

// A pattern such as "*.prg" is what the filter already shows; only a real name is preset.
QString presetName(const std::string& initialName) {
    return initialName.find('*') == std::string::npos ? messageText(initialName) : QString();
}

} // namespace

QString qtNameFilter(const std::string& filter) {
    const QStringList parts = fromLatin1(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (pattern.isEmpty() || description.contains('(' + pattern + ')'))
            filters << description;
        else
            filters << description + " (" + pattern + ")";
    }
    return filters.join(";;");
}

void QtUserInterface::showMessage(const std::string& text) {
    showBox(QMessageBox::NoIcon, text, {}, QMessageBox::Ok);
}

bool QtUserInterface::askYesNo(const std::string& text, const std::string& title) {
    return showBox(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<std::string> QtUserInterface::openFileName(const FileDialog& dialog) {
    return chosen(QFileDialog::getOpenFileName(frontWindow(), fromLatin1(dialog.caption),
                                               presetName(dialog.initialName),
                                               qtNameFilter(dialog.filter)));
}

std::optional<std::string> QtUserInterface::saveFileName(const FileDialog& dialog) {
    return chosen(QFileDialog::getSaveFileName(frontWindow(), fromLatin1(dialog.caption),
                                               presetName(dialog.initialName),
                                               qtNameFilter(dialog.filter)));
}

// Called from deep inside nested modal loops and exchanges; returning would let the callers go
// on with a dead link, so the process ends here.
void QtUserInterface::quitProgram() {
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace ui
