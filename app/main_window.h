#pragma once
// The main window: "Farcast", a menu bar, and the server list box (control 150) over the
// whole client area. Files and directories dropped on it start a copy run; closing it saves
// the options and the window placement and ends the program.

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings_store.h"

class QListWidget;
class QMenu;

// Command identifiers of the menus and accelerators.
enum MainCommand {
    kCmdExit = 1000,
    kCmdOptions = 1001,
    kCmdHelpTopics = 24341,
    kCmdUsingHelp = 24345,
    kCmdAbout = 24346,
};
constexpr int kServerListId = 150;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(const WindowPlacement& placement);

    QListWidget* ServerList() const { return list_; }
    QMenu* PopupMenu() const { return popup_; }

    // Shows the window with its outer frame at the stored placement.
    void ShowAtPlacement();
    // Ctrl+X, F1 and Ctrl+O for the main window and every window inside it.
    void InstallAccelerators();
    // A command of the menus, the right-click menu or the accelerators.
    void Command(int id);

    // The outer frame's rectangle, as the placement is stored; the stored placement while the
    // window stands where it opened.
    WindowPlacement CurrentPlacement() const;

    // What a drop hands over: the dropped names, local paths under the network root turned
    // into \\SERVER\VOLUME\path. RunCopy unless replaced.
    using DropHandler = std::function<void(const std::vector<std::string>&)>;
    void SetDropHandler(DropHandler handler) { dropHandler_ = std::move(handler); }
    static std::vector<std::string> DroppedNames(const QList<QUrl>& urls);
    // Starts the run for dropped names, or refuses it while a run is still going on.
    void HandleDrop(const std::vector<std::string>& names);

    // A close request came while a run was going on: the program ends when the run returns.
    bool QuitPending() const { return quitPending_; }
    bool RunActive() const;

  signals:
    // The window has saved the settings and is closing: the program ends.
    void exited();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildMenus();
    void AddCommand(QMenu* menu, unsigned text, int command);
    void ShowAbout();
    // Fits the client size so that the outer frame has the stored size, once the frame is
    // known (a window manager reports it only after the window has been mapped).
    bool FitFrameToPlacement();

    QListWidget* list_ = nullptr;
    QMenu* popup_ = nullptr;
    WindowPlacement stored_;     // as the settings hold it
    WindowPlacement placement_;  // where the window opens: stored_, fitted onto the screens
    DropHandler dropHandler_;
    bool runActive_ = false;
    bool quitPending_ = false;
    bool exited_ = false;
    bool frameFitted_ = false;
};
