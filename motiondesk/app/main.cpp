// Motiondesk, the windowed program the user starts.

#include "motiondesk/app/motiondesk_program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return app::runMotiondesk(application);
}
