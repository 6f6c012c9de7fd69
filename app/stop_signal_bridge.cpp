#include "app/stop_signal_bridge.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <csignal>

#include "app/main_window.h"
#include "copy/copy_run.h"
#include "platform/window_system.h"

StopSignalBridge::StopSignalBridge(QObject* parent) : QObject(parent), signals_({SIGTERM, SIGINT}) {
    connect(&quitTimer_, &QTimer::timeout, qApp, &QCoreApplication::quit);
    if (!signals_.Installed())
        return;
    notifier_ = new QSocketNotifier(signals_.ReadFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignalBridge::SignalArrived);
}

StopSignalBridge::~StopSignalBridge() {
    if (ending_)
        qApp->removeEventFilter(this);
}

void StopSignalBridge::SignalArrived() {
    if (!signals_.Take())
        return;
    if (!ending_) {
        ending_ = true;
        // Boxes the run shows from now on (the summary) are answered as they open.
        qApp->installEventFilter(this);
    }
    CancelRun();
    QMetaObject::invokeMethod(this, &StopSignalBridge::AnswerWaitingDialog, Qt::QueuedConnection);
    CloseMainWindow();
}

// What the user's Cancel does in the run's dialog that is open: the synchronisation dialog
// when there is one, else the progress dialog.
void StopSignalBridge::CancelRun() {
    for (const win::WindowId dialog : {SyncDialog, ProgressDialog}) {
        if (dialog != win::kNoWindow && win::Ui().IsWindow(dialog)) {
            win::Ui().DestroyDialog(dialog);
            win::NotifyDialogCancelled(dialog);
            break;
        }
    }
    CancelRequested = true;
}

void StopSignalBridge::AnswerWaitingDialog() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* answer = box->escapeButton();
        if (!answer)
            answer = box->button(QMessageBox::Cancel);
        if (!answer)
            answer = box->button(QMessageBox::No);
        if (!answer)
            answer = box->button(QMessageBox::Ok);
        if (!answer)
            answer = box->defaultButton();
        if (answer)
            answer->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    }
    // The dialog under it, if any, is answered next.
    if (QApplication::activeModalWidget() != modal)
        QMetaObject::invokeMethod(this, &StopSignalBridge::AnswerWaitingDialog,
                                  Qt::QueuedConnection);
}

void StopSignalBridge::CloseMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainWindow*>(widget)) {
            connect(window, &MainWindow::exited, this, &StopSignalBridge::QuitWhenTheEventLoopRuns,
                    Qt::UniqueConnection);
            // During a run the window ends the program once the run has returned.
            QMetaObject::invokeMethod(
                window, [window] { window->close(); }, Qt::QueuedConnection);
            return;
        }
    }
    QuitWhenTheEventLoopRuns();
}

// A signal during start-up ends the program before its event loop has begun, when a quit
// would go unheard: the quit is repeated until the loop takes it.
void StopSignalBridge::QuitWhenTheEventLoopRuns() {
    quitTimer_.start(50);
}

bool StopSignalBridge::eventFilter(QObject* watched, QEvent* event) {
    if (ending_ && event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isModal())
        QMetaObject::invokeMethod(this, &StopSignalBridge::AnswerWaitingDialog,
                                  Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}
