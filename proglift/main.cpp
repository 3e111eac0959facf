// Proglift, the loader: takes its job from proglift_setup.txt in its own folder, downloads,
// uploads or clears the controller's program slots, writes its result file there and ends.

#include "proglift/windows/loader_program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    return proglift::runLoader(folder, transport::LinkFactory::real(folder));
}
