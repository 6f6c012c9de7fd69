#pragma once
// What the programs that drive the desktop program from scripts share: the program started as
// a user finds it, with a server selected and a destination chosen, and a drop made on its
// window as a file manager makes one.
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
#include "settings/settings_store.h"

// Starts the program as farcast starts (the network from FARCAST_NETWORK, the settings from
// XDG_CONFIG_HOME) and stands where the user starts: the banner and the first start's help
// gone, SERVER selected, TARGET first in the destination history. False, said on standard
// error under PROGRAM's name, when the program did not start or has no such server.
inline bool StartWithServer(FarcastSession& session, const char* program, const char* server,
                            const char* target) {
    QApplication::setQuitOnLastWindowClosed(false);
    if (!StartFarcast(&session))
        return false;
    CloseHelpViewer();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* banner = qobject_cast<StartupBanner*>(widget))
            banner->TimerFired();
    const auto servers = session.window->ServerList()->findItems(server, Qt::MatchExactly);
    if (servers.size() != 1) {
        std::fprintf(stderr, "%s: no server %s\n", program, server);
        return false;
    }
    servers[0]->setSelected(true);
    TargetPathHistory = {target};
    return true;
}

// Drops the local paths on the window, as a file manager does.
inline void Drop(QWidget* window, const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    QMimeData mime;
    mime.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(window)->event(&drop);
}
