#pragma once
// The Motiondesk program: composes the real services (dialogs, clock, USB library, serial ports,
// helper programs) and opens the connection window, from which the user reaches every other
// window. Runs the application's event loop until the connection window is left; returns the
// program's exit code.

#include <functional>

class QApplication;

namespace app {

// windowsShown runs once the connection window is up (the scripted build of the tests starts its
// window script there).
int runMotiondesk(QApplication& application, const std::function<void()>& windowsShown = {});

} // namespace app
