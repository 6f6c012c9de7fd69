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
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <cstdio>
#include <string>
#include <vector>

#include "app/banner.h"
#include "app/help_viewer.h"
#include "app/startup.h"
#include "copy/run_driver.h"
#include "settings/settings_store.h"

namespace {

void Drop(QWidget* window, const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    QMimeData mime;
    mime.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(window)->event(&drop);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_drive SERVER TARGET PATH...\n");
        return 2;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    FarcastSession session;
    if (!StartFarcast(&session))
        return 2;
    CloseHelpViewer();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* banner = qobject_cast<StartupBanner*>(widget))
            banner->TimerFired();

    const auto servers = session.window->ServerList()->findItems(argv[1], Qt::MatchExactly);
    if (servers.size() != 1) {
        std::fprintf(stderr, "window_drive: no server %s\n", argv[1]);
        return 2;
    }
    servers[0]->setSelected(true);
    TargetPathHistory = {argv[2]};

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
