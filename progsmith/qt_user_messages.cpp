#include "progsmith/qt_user_messages.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

namespace progsmith {

void QtUserMessages::showMessage(const std::string& text) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString(), QString::fromLatin1(text), QMessageBox::Ok);
    box.exec();
}

} // namespace progsmith
