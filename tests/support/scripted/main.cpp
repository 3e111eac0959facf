// motiondesk-scripted: Motiondesk's windows as the program composes them, worked by the window
// script that MOTIONDESK_SCRIPT names. For the end-to-end tests and the screenshots only; the
// shipped motiondesk carries no script driver.

#include "motiondesk/app/motiondesk_program.h"
#include "support/scripted/window_script.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return app::runMotiondesk(application, [&application] {
        testing_support::WindowScript::startFromEnvironment(&application);
    });
}
