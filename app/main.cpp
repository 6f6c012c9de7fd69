// farcast: the desktop program. Everything happens in start-up and the event loop.
#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "app/startup.h"
#include "app/startup_options.h"
#include "app/stop_signal_bridge.h"

int main(int argc, char* argv[]) {
    const int ended = HandleStartupOptions(
        argc, argv, [](const char* name) -> const char* { return std::getenv(name); }, std::cout,
        std::cerr);
    if (ended >= 0)
        return ended;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("farcast"));
    // SIGTERM and SIGINT end the program as its Exit command does.
    StopSignalBridge stopSignals;
    return RunFarcast();
}
