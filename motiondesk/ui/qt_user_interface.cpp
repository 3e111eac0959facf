#include "motiondesk/ui/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace ui {
namespace {

QString fromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Dialogs belong to whatever window is in front, so they stay above a modal window.
QWidget* frontWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// The message boxes carry no title; Qt would otherwise show the application name.
int showBox(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString(), fromLatin1(text), buttons, frontWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    return box.exec();
}

std::optional<std::string> chosen(const QString& name) {
    if (name.isEmpty()) return std::nullopt;
    return name.toLocal8Bit().toStdString();
}

} // namespace

void QtUserInterface::showMessage(const std::string& text) {
    showBox(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

bool QtUserInterface::askYesNo(const std::string& text) {
    return showBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<std::string> QtUserInterface::openFileName(const std::string& caption,
                                                         const std::string& filter) {
    return chosen(
        QFileDialog::getOpenFileName(frontWindow(), fromLatin1(caption), {}, fromLatin1(filter)));
}

std::optional<std::string> QtUserInterface::saveFileName(const std::string& caption,
                                                         const std::string& filter) {
    return chosen(
        QFileDialog::getSaveFileName(frontWindow(), fromLatin1(caption), {}, fromLatin1(filter)));
}

// Called from deep inside nested modal loops and exchanges; returning would let the callers go
// on with a dead link, so the process ends here.
void QtUserInterface::quitProgram() {
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace ui
