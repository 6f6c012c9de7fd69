// The desktop program's copy run, timed as a user sees it: from the options sheet's OK to the
// copy dialog closing. A benchmark, not a test: nothing here passes or fails.
//
//   bench_window SERVER TARGET PATH...
//
// Starts the program as farcast starts (the network from FARCAST_NETWORK, the settings from
// XDG_CONFIG_HOME), needs a display (Xvfb will do), selects SERVER, drops the local PATHs on
// the main window as a file manager would, presses OK on the options sheet with TARGET as the
// destination, and answers the summary box with OK. Copies subdirectories with a 64 KiB
// buffer, as scripts/bench runs farcast-run. Prints "window SECONDS" (OK to the copy dialog
// closing) and the summary's text; exits 1 when the run did not reach its summary or showed
// any other box.
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cstdio>
#include <string>
#include <vector>

#include "app/banner.h"
#include "app/help_viewer.h"
#include "app/progress_dialog.h"
#include "app/startup.h"
#include "copy/run_driver.h"
#include "scripts/window_session.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"

namespace {

// Plays the user: presses OK on the options sheet and on every box, and notes when the copy
// dialog goes away.
class User : public QObject {
  public:
    QElapsedTimer clock;
    qint64 okAt = -1;
    qint64 copyDialogClosedAt = -1;
    std::vector<std::string> boxes;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            Shown(static_cast<QWidget*>(watched));
        else if (event->type() == QEvent::Hide)
            if (auto* dialog = qobject_cast<class ProgressDialog*>(watched);
                dialog && dialog->Kind() == win::DialogKind::CopyFiles && okAt >= 0 &&
                copyDialogClosedAt < 0)
                copyDialogClosedAt = clock.nsecsElapsed();
        return QObject::eventFilter(watched, event);
    }

  private:
    void Shown(QWidget* widget) {
        if (widget->objectName() == QStringLiteral("OptionsSheet")) {
            auto* ok = widget->findChild<QPushButton*>(QStringLiteral("id_1"));
            QMetaObject::invokeMethod(
                widget,
                [this, ok] {
                    okAt = clock.nsecsElapsed();
                    ok->click();
                },
                Qt::QueuedConnection);
        } else if (auto* box = qobject_cast<QMessageBox*>(widget)) {
            boxes.push_back(box->text().toStdString());
            QMetaObject::invokeMethod(
                box, [box] { box->defaultButton()->click(); }, Qt::QueuedConnection);
        }
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_window SERVER TARGET PATH...\n");
        return 2;
    }
    FarcastSession session;
    // The user starts after the banner and the first start's help have gone.
    if (!StartWithServer(session, "bench_window", argv[1], argv[2]))
        return 2;
    CopyOptions.CopySubDirs = 1;
    CopyOptions.BufferSize = 64;

    User user;
    app.installEventFilter(&user);
    user.clock.start();
    session.window->SetDropHandler([](const std::vector<std::string>& names) {
        RunCopy(names);
        QCoreApplication::exit(0);
    });
    Drop(session.window.get(), std::vector<std::string>(argv + 3, argv + argc));
    QApplication::exec();
    app.removeEventFilter(&user);

    if (user.okAt < 0 || user.copyDialogClosedAt < 0 || !LastRunReachedSummary()) {
        std::fprintf(stderr, "bench_window: the run did not reach its summary\n");
        for (const std::string& box : user.boxes)
            std::fprintf(stderr, "%s\n", box.c_str());
        return 1;
    }
    std::printf("window %.3f\n", (user.copyDialogClosedAt - user.okAt) / 1e9);
    for (const std::string& box : user.boxes)
        std::printf("%s\n", box.c_str());
    return user.boxes.size() == 1 ? 0 : 1;
}
