// farcast: the desktop program. Everything happens in start-up and the event loop.
#include <QApplication>

#include "app/startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("farcast"));
    return RunFarcast();
}
