#pragma once
// The window system of the desktop program, with Qt: message boxes, the run's progress
// dialogs, the server list of the main window, the login dialog, the options sheet and the
// help viewer.
//
// Windows are known by identifiers: kMainWindow is the main window; every progress dialog and
// every open login dialog gets an identifier of its own. A progress dialog is a window of its
// own (not a child widget of its owner), so that disabling the owner leaves it usable; it is
// kept above its owner as a transient window.
//
// Pacing: the engine writes the run dialogs' fields and bars and pumps events several times
// for every file. A dialog shows the latest values at most about 25 times a second (see
// RunDialog), every open dialog shows them at once before a box, the login dialog or the
// options sheet opens, and the pump handles events at most every few milliseconds.
//
// WinHelp: HELP_CONTEXT and HELP_WM_HELP take the help context as their data (for
// HELP_WM_HELP the caller has already looked up the control's context), HELP_FINDER shows the
// contents, HELP_HELPONHELP the page on using the help viewer, HELP_QUIT closes the viewer.

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/window_system.h"

class QListWidget;
class RunDialog;

class QtWindowSystem : public win::WindowSystem {
  public:
    QtWindowSystem();
    ~QtWindowSystem() override;

    // The main window (kMainWindow) and its server list box (control 150).
    void SetMainWindow(QWidget* mainWindow, QListWidget* serverList);

    // A box as it was asked for, and a stand-in for the user: when set, boxes are not shown
    // but handed to it, and its answer is returned (tests).
    struct Box {
        win::WindowId owner;
        QWidget* over;  // the window it is asked over, which it belongs to
        std::string text;
        std::string caption;
        unsigned style;
    };
    using BoxAnswerer = std::function<int(const Box&)>;
    void SetBoxAnswerer(BoxAnswerer answerer) { answerer_ = std::move(answerer); }

    // The widget behind an identifier, or null.
    QWidget* Widget(win::WindowId id) const;
    RunDialog* Dialog(win::WindowId id) const;

    int MessageBox(win::WindowId owner, const std::string& text, const std::string& caption,
                   unsigned style) override;
    win::WindowId CreateProgressDialog(win::DialogKind kind, win::WindowId owner) override;
    void DestroyDialog(win::WindowId dialog) override;
    bool IsWindow(win::WindowId window) override;
    void SetDlgItemText(win::WindowId dialog, int control, const std::string& text) override;
    void SetProgressPos(win::WindowId dialog, int control, int percent) override;
    void SendServerName(win::WindowId dialog, const std::string& serverName) override;
    void EnableWindow(win::WindowId window, bool enable) override;
    void PumpMessages() override;
    bool MeasureControlText(win::WindowId dialog, int control, const std::string& text,
                            int* textWidth, int* clientWidth) override;
    void SetWaitCursor(bool on) override;
    void MessageBeep(unsigned type) override;
    void ServerListReset() override;
    void ServerListAdd(const std::string& name) override;
    std::vector<int> ServerListSelection() override;
    std::string ServerListText(int index) override;
    int ShowLoginDialog(win::WindowId owner) override;
    int RunOptionsSheet(win::WindowId owner) override;
    void WinHelp(win::WindowId owner, const char* helpFile, unsigned command,
                 std::uintptr_t data) override;

  private:
    class ActivationForwarder;
    struct OpenDialog {
        std::unique_ptr<RunDialog> dialog;
        win::WindowId owner = win::kNoWindow;
        win::DialogKind kind = win::DialogKind::ReadDir;
        win::WindowId disabled = win::kNoWindow;  // the window it disabled while it is open
    };

    // The longest the pump lets pending events wait while the engine keeps calling it.
    static constexpr std::chrono::milliseconds kPumpInterval{5};

    // Every open run dialog shows the latest values it was given.
    void ShowLatestValues();

    // The window a box or the login dialog is asked over: the window named as owner, where
    // that is the main window the modal dialog open or the run dialog that takes input.
    QWidget* AskedOver(win::WindowId owner) const;

    // The open progress dialog of that kind, or kNoWindow.
    win::WindowId OpenDialogOfKind(win::DialogKind kind) const;

    void UserCancelled(win::WindowId dialog);

    QPointer<QWidget> mainWindow_;
    QPointer<QListWidget> serverList_;
    std::map<win::WindowId, OpenDialog> dialogs_;
    std::map<win::WindowId, QPointer<QWidget>> otherWindows_;  // open login dialogs
    win::WindowId nextId_ = win::kMainWindow + 1;
    int waitCursors_ = 0;
    std::chrono::steady_clock::time_point nextPump_{};
    BoxAnswerer answerer_;
    std::unique_ptr<ActivationForwarder> forwarder_;
};

// Gives the focus back, when it ends, to the window a box or dialog was asked over and to the
// control in it that had the focus.
class FocusReturn {
  public:
    explicit FocusReturn(QWidget* window);
    ~FocusReturn();
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;
    QWidget* Window() const { return window_.data(); }

  private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

// Keeps window above owner as its transient window, when both have native windows.
void SetOwnerWindow(QWidget* window, QWidget* owner);
