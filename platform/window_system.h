#pragma once
// The window system as the engine sees it: everything the engine shows or asks goes through
// this interface. The Qt front-end (app/) implements it with real windows; the scripted
// implementation (scripted/scripted_window_system.h) records what is shown and answers from a
// queue, for tests and farcast-run.
//
// Windows are named by small integer identifiers; kNoWindow (0) means none.

#include <cstdint>
#include <string>
#include <vector>

namespace win {

using WindowId = int;
constexpr WindowId kNoWindow = 0;
constexpr WindowId kMainWindow = 1;

// Message box styles (MessageBox uType).
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_YESNOCANCEL = 0x03;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_ICONHAND = 0x10;  // stop icon
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONASTERISK = 0x40;  // information icon
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_SETFOREGROUND = 0x10000;
constexpr unsigned MB_TYPEMASK = 0x0F;
constexpr unsigned MB_ICONMASK = 0xF0;

// Message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The user's default language.
constexpr unsigned LANG_USER_DEFAULT = 0x0400;

// Help engine commands (WinHelp).
constexpr unsigned HELP_CONTEXT = 0x0001;
constexpr unsigned HELP_QUIT = 0x0002;
constexpr unsigned HELP_HELPONHELP = 0x0004;
constexpr unsigned HELP_FINDER = 0x000B;
constexpr unsigned HELP_WM_HELP = 0x000C;

// MessageBeep.
constexpr unsigned MB_BEEP_EXCLAMATION = 0x30;

// The modeless dialogs of a copy run.
enum class DialogKind {
    ReadDir,    // READDIRDLG: counting the source
    CopyFiles,  // COPYFILESDLG: copying
    SyncDir,    // SYNCDIRDLG: synchronising
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    // A modal message box; returns IDOK, IDCANCEL, IDYES or IDNO. The caller passes the full
    // style, foreground flag included.
    virtual int MessageBox(WindowId owner, const std::string& text, const std::string& caption,
                           unsigned style) = 0;

    // Modeless progress dialogs. Creating one disables its owner (the main window, or for the
    // synchronisation dialog the copy dialog), places it and gives Cancel the focus; destroying
    // it enables the owner again. Create returns kNoWindow when the dialog cannot be made.
    // When the user cancels (button, Escape, close), the implementation destroys the dialog
    // and calls ProgressDialogCancelled(id) (copy/progress_dialogs.h).
    virtual WindowId CreateProgressDialog(DialogKind kind, WindowId owner) = 0;
    virtual void DestroyDialog(WindowId dialog) = 0;
    virtual bool IsWindow(WindowId window) = 0;
    virtual void SetDlgItemText(WindowId dialog, int control, const std::string& text) = 0;
    virtual void SetProgressPos(WindowId dialog, int control, int percent) = 0;
    // The private message 2027 with a server name: the dialog sets its title (and, for the
    // copy dialog, field 203) itself.
    virtual void SendServerName(WindowId dialog, const std::string& serverName) = 0;
    virtual void EnableWindow(WindowId window, bool enable) = 0;

    // Processes pending window-system events without waiting.
    virtual void PumpMessages() = 0;

    // Measures text as a dialog control shows it (the control's font): width of text and the
    // control's client width, in pixels. False when the control does not exist.
    virtual bool MeasureControlText(WindowId dialog, int control, const std::string& text,
                                    int* textWidth, int* clientWidth) = 0;

    // The wait cursor on (true) or back to the previous cursor (false).
    virtual void SetWaitCursor(bool on) = 0;
    virtual void MessageBeep(unsigned type) = 0;

    // The server list box (control 150) of the main window.
    virtual void ServerListReset() = 0;
    virtual void ServerListAdd(const std::string& name) = 0;  // the list sorts it in
    virtual std::vector<int> ServerListSelection() = 0;       // ascending indices
    virtual std::string ServerListText(int index) = 0;

    // Modal dialogs whose rules live in the engine (netware/login_dialog.h,
    // settings/options_sheet.h); the implementation shows them and drives those rules.
    // ShowLoginDialog returns IDOK or IDCANCEL.
    virtual int ShowLoginDialog(WindowId owner) = 0;
    // Returns -1 when the sheet cannot be created, otherwise the sheet's modal result
    // (1 OK, 0 Cancel).
    virtual int RunOptionsSheet(WindowId owner) = 0;

    // The help engine.
    virtual void WinHelp(WindowId owner, const char* helpFile, unsigned command,
                         std::uintptr_t data) = 0;
};

// The window system the engine uses; programs and tests install theirs with SetUi.
WindowSystem& Ui();
void SetUi(WindowSystem* ui);

// Processes pending window-system events without waiting; always true.
bool PumpMessages();

}  // namespace win

namespace win {

// The engine's handler for a progress dialog the user cancelled (Cancel button, Escape,
// closing the window). Window-system implementations destroy the dialog first, then call
// NotifyDialogCancelled; the engine installs its handler with SetDialogCancelHandler.
using DialogCancelHandler = void (*)(WindowId dialog);
void SetDialogCancelHandler(DialogCancelHandler handler);
void NotifyDialogCancelled(WindowId dialog);

}  // namespace win
