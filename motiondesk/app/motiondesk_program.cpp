#include "motiondesk/app/motiondesk_program.h"

#include "common/atomic_file.h"
#include "jobfiles/file_names.h"
#include "link/clock.h"
#include "link/command_transport.h"
#include "link/connection_state.h"
#include "link/serial_port_link.h"
#include "link/usb_library_loader.h"
#include "motiondesk/connection/comm_settings.h"
#include "motiondesk/connection/comm_type_window.h"
#include "motiondesk/connection/usb_handle_file.h"
#include "motiondesk/jobs/process_helpers.h"
#include "motiondesk/main/main_window.h"
#include "motiondesk/session/program_values.h"
#include "motiondesk/session/window_services.h"
#include "motiondesk/ui/colours.h"
#include "motiondesk/ui/qt_user_interface.h"
#include "motiondesk/ui/window_places.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

namespace app {

int runMotiondesk(QApplication& application, const std::function<void()>& windowsShown) {
    application.setApplicationName("Motiondesk");
    // The menu entry of the installed package, so a desktop shows the program with its icon.
    application.setDesktopFileName("motiondesk");

    QCommandLineParser options;
    options.setApplicationDescription("Sets up and programs stepper-motor controllers.");
    options.addHelpOption();
    options.addOption({"dark", "Show the windows on a dark palette."});
    options.process(application);
    if (options.isSet("dark")) {
        application.setStyle(QStyleFactory::create("Fusion"));
        application.setPalette(ui::darkPalette());
    }
    // Every window opens where the user left it, on a screen that is there.
    ui::WindowPlaces windowPlaces;

    // The installed launcher's reason for not starting, for a user who started it from a menu.
    const QString launchFailure = qEnvironmentVariable("MOTIONDESK_LAUNCH_FAILURE");
    if (!launchFailure.isEmpty()) {
        ui::QtUserInterface userInterface;
        userInterface.showMessage(launchFailure.toLatin1().toStdString());
        return 1;
    }

    // Helper programs, job files and settings live in EXE below the program's own folder.
    const std::string exeFolder = QCoreApplication::applicationDirPath().toStdString() + "/EXE";
    // What a Motiondesk killed while saving its own files left beside them.
    for (const char* name :
         {connection::CommSettingsFileName, connection::UsbHandleFileName, jobfiles::kProgramFile,
          jobfiles::kCompilerSetupFile, jobfiles::kLoaderSetupFile})
        common::removeLeftoverTemporaries(exeFolder + "/" + name);

    transport::ConnectionState state;
    ui::QtUserInterface userInterface;
    transport::RealClock clock;
    transport::LoadedUsbLibrary usb;
    transport::CommandTransport transport(state, transport::TransportPolicy::motiondesk(), nullptr,
                                          &usb, &userInterface, clock);
    session::ProgramValues program;
    auto makeSerialLink = [exeFolder]() -> std::unique_ptr<transport::SerialLink> {
        return std::make_unique<transport::SerialPortLink>(exeFolder);
    };

    jobs::ProcessHelpers helpers;
    session::WindowServices services{state, transport,      userInterface, clock,
                                     usb,   makeSerialLink, exeFolder,     program};
    services.helpers = &helpers;
    services.showMainWindow = [&services](QWidget* parent) {
        mainwindow::MainWindow mainWindow(services, parent);
        mainWindow.exec();
    };

    connection::CommTypeWindow window(services);
    QObject::connect(&window, &connection::CommTypeWindow::exitRequested, &application,
                     &QApplication::quit);
    window.show();
    if (windowsShown) windowsShown();
    return application.exec();
}

} // namespace app
