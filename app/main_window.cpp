#include "app/main_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QShortcut>

#include "app/about_box.h"
#include "app/resource_text.h"
#include "app/window_placement.h"
#include "copy/run_driver.h"
#include "netware/netware_client.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"
#include "settings/options_sheet.h"

namespace {

constexpr unsigned kWarningBox = win::MB_OK | win::MB_ICONEXCLAMATION | win::MB_SETFOREGROUND;

}  // namespace

MainWindow::MainWindow(const WindowPlacement& placement)
    : QMainWindow(nullptr), stored_(placement), dropHandler_(&RunCopy) {
    // A stored placement made for other screens, or another scale, is brought onto the
    // screens of the moment; the stored one stays until the user moves the window.
    const QRect fitted =
        FitOntoScreens(QRect(placement.left, placement.top, placement.width, placement.height));
    placement_ = WindowPlacement{fitted.x(), fitted.y(), fitted.width(), fitted.height()};
    setWindowTitle(ResText(IDS_CAPTION_FARCAST));
    setObjectName(QStringLiteral("main_window"));
    setAcceptDrops(true);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("id_%1").arg(kServerListId));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The scroll bar is always shown, and disabled while there is nothing to scroll.
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QScrollBar* scrollBar = list_->verticalScrollBar();
    scrollBar->setEnabled(false);
    connect(scrollBar, &QScrollBar::rangeChanged, scrollBar,
            [scrollBar](int minimum, int maximum) { scrollBar->setEnabled(maximum > minimum); });
    // A right click on it opens the window's right-click menu, not a scrolling menu of its own.
    scrollBar->setContextMenuPolicy(Qt::NoContextMenu);
    list_->setUniformItemSizes(true);
    // The list itself takes no drops: they go to the window, which starts the run.
    list_->setAcceptDrops(false);
    setCentralWidget(list_);

    BuildMenus();
    move(placement_.left, placement_.top);
    resize(placement_.width, placement_.height);
}

void MainWindow::AddCommand(QMenu* menu, unsigned text, int command) {
    QAction* action = menu->addAction(ResText(text));
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { Command(command); });
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(ResText(IDS_MENU_FILE));
    AddCommand(file, IDS_MENU_OPTIONS, kCmdOptions);
    file->addSeparator();
    AddCommand(file, IDS_MENU_EXIT, kCmdExit);

    QMenu* help = menuBar()->addMenu(ResText(IDS_MENU_HELP));
    AddCommand(help, IDS_MENU_TOPICS, kCmdHelpTopics);
    AddCommand(help, IDS_MENU_USING_HELP, kCmdUsingHelp);
    help->addSeparator();
    AddCommand(help, IDS_MENU_ABOUT, kCmdAbout);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("popup_menu"));
    AddCommand(popup_, IDS_POPUP_OPTIONS, kCmdOptions);
    popup_->addSeparator();
    AddCommand(popup_, IDS_MENU_HELP, kCmdHelpTopics);
    AddCommand(popup_, IDS_MENU_ABOUT, kCmdAbout);
    popup_->addSeparator();
    AddCommand(popup_, IDS_POPUP_EXIT, kCmdExit);
}

void MainWindow::InstallAccelerators() {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_X), kCmdExit},
        {QKeySequence(Qt::Key_F1), kCmdHelpTopics},
        {QKeySequence(Qt::CTRL | Qt::Key_O), kCmdOptions},
    };
    for (const auto& [key, command] : keys) {
        auto* shortcut = new QShortcut(key, this);
        // The main window and everything inside it; not the run's dialogs, which are windows
        // of their own and take their own keys.
        shortcut->setContext(Qt::WindowShortcut);
        const int id = command;
        connect(shortcut, &QShortcut::activated, this, [this, id] { Command(id); });
    }
}

void MainWindow::ShowAtPlacement() {
    show();
    FitFrameToPlacement();
}

bool MainWindow::FitFrameToPlacement() {
    const QSize extra = frameGeometry().size() - geometry().size();
    if (extra.width() <= 0 && extra.height() <= 0)
        return false;  // no frame, or not known yet
    frameFitted_ = true;
    // The stored rectangle is the outer frame; take the frame off the client size.
    resize(placement_.width - extra.width(), placement_.height - extra.height());
    move(placement_.left, placement_.top);
    return true;
}

bool MainWindow::event(QEvent* event) {
    // The frame becomes known once the window manager has framed the window, at the latest
    // when the window is first activated; later moves are the user's.
    if (!frameFitted_ && isVisible()) {
        if (event->type() == QEvent::Move) {
            FitFrameToPlacement();
        } else if (event->type() == QEvent::WindowActivate) {
            FitFrameToPlacement();
            frameFitted_ = true;
        }
    }
    return QMainWindow::event(event);
}

WindowPlacement MainWindow::CurrentPlacement() const {
    const QRect frame = frameGeometry();
    // Where the window still stands as it was opened, what the user last set is kept, also
    // when it was brought onto the screen to open.
    if (frame == QRect(placement_.left, placement_.top, placement_.width, placement_.height))
        return stored_;
    WindowPlacement placement;
    placement.left = frame.x();
    placement.top = frame.y();
    placement.width = frame.width();
    placement.height = frame.height();
    return placement;
}

void MainWindow::Command(int id) {
    switch (id) {
        case kCmdExit:
            close();
            break;
        case kCmdOptions:
            // Opened from the menu the sheet's result is not needed.
            OpenOptionsSheet(win::kMainWindow);
            break;
        case kCmdHelpTopics:
            win::Ui().WinHelp(win::kMainWindow, LoadResString(IDS_HELP_FILE), win::HELP_FINDER, 0);
            break;
        case kCmdUsingHelp:
            win::Ui().WinHelp(win::kMainWindow, nullptr, win::HELP_HELPONHELP, 0);
            break;
        case kCmdAbout:
            ShowAbout();
            break;
        default:
            break;
    }
}

void MainWindow::ShowAbout() {
    ShowAboutBox(this);
}

bool MainWindow::RunActive() const {
    return runActive_ || RunInProgress();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exited_) {
        event->accept();
        return;
    }
    if (RunActive()) {
        // Closing now would pull the window from under the run; end once it has returned.
        quitPending_ = true;
        event->ignore();
        return;
    }
    exited_ = true;
    SaveOptions();
    SaveWindowPlacement(CurrentPlacement(), isMinimized());
    win::Ui().WinHelp(win::kMainWindow, LoadResString(IDS_HELP_FILE), win::HELP_QUIT, 0);
    event->accept();
    emit exited();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // Only a mouse click inside the client area shows the menu; a request from the keyboard
    // (Shift+F10, the menu key) shows none.
    event->accept();
    if (event->reason() != QContextMenuEvent::Mouse)
        return;
    const QWidget* client = centralWidget();
    if (!client || !client->rect().contains(client->mapFromGlobal(event->globalPos())))
        return;
    popup_->popup(event->globalPos());
}

std::vector<std::string> MainWindow::DroppedNames(const QList<QUrl>& urls) {
    std::vector<std::string> names;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        QString local = url.toLocalFile();
        while (local.size() > 1 && local.endsWith(QLatin1Char('/')))
            local.chop(1);
        const std::string path = local.toStdString();
        std::string netPath;
        // Paths outside the network are handed on as they are; the run refuses them.
        names.push_back(NetWare().LocalPathToNetWarePath(path, &netPath) ? netPath : path);
    }
    return names;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> names = DroppedNames(event->mimeData()->urls());
    if (names.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The run starts once the drop has been answered, so that the file manager is not kept
    // waiting for the whole run.
    QMetaObject::invokeMethod(
        this, [this, names] { HandleDrop(names); }, Qt::QueuedConnection);
}

void MainWindow::HandleDrop(const std::vector<std::string>& names) {
    if (RunActive()) {
        win::Ui().MessageBox(win::kMainWindow, LoadResString(IDS_RUN_STILL_ENDING),
                             LoadResString(IDS_CAPTION_FARCAST), kWarningBox);
        return;
    }
    runActive_ = true;
    if (dropHandler_)
        dropHandler_(names);
    runActive_ = false;
    if (quitPending_) {
        quitPending_ = false;
        close();
    }
}
