// farcast: the desktop program. Everything happens in start-up and the event loop.
#include <QApplication>

#include "app/startup.h"
#include "app/stop_signal_bridge.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("farcast"));
    // SIGTERM and SIGINT end the program as its Exit command does.
    StopSignalBridge stopSignals;
    return RunFarcast();
}
