// The desktop program with a drop made for it, for checks under a real window manager
// (scripts/window_check): not a test, it passes or fails nothing itself.
//
//   window_drive SERVER TARGET PATH...
//
// Starts the program as farcast starts (the network from FARCAST_NETWORK, the settings from
// XDG_CONFIG_HOME), selects SERVER, makes TARGET the destination, and drops the local PATHs on
// the main window as a file manager would. Everything after that (the options sheet, the
// boxes, the run's dialogs) is left to whoever drives the keyboard and the mouse. Prints
// "run ended" when the run has returned, then goes on like the program until it is closed.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "copy/run_driver.h"
#include "scripts/window_session.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_drive SERVER TARGET PATH...\n");
        return 2;
    }
    FarcastSession session;
    if (!StartWithServer(session, "window_drive", argv[1], argv[2]))
        return 2;

    session.window->SetDropHandler([](const std::vector<std::string>& names) {
        RunCopy(names);
        std::printf("run ended\n");
        std::fflush(stdout);
    });
    QObject::connect(session.window.get(), &MainWindow::exited, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    Drop(session.window.get(), std::vector<std::string>(argv + 3, argv + argc));
    return QApplication::exec();
}
