// Progsmith: compiles or decompiles one stand-alone program, as its set-up file asks, and ends.

#include "progsmith/compiler_form.h"
#include "progsmith/qt_user_messages.h"

#include <QApplication>
#include <QFile>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::string folder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    progsmith::QtUserMessages messages;
    progsmith::CompilerForm form(folder, messages);
    form.show();
    const int status = app.exec();
    // Nobody reads the status; it only tells a person at a terminal that no result was written.
    return status != 0 ? status : (form.job().resultWritten() ? 0 : 1);
}
