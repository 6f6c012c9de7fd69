#pragma once
// The login dialog's rules (LOGINDLG), kept apart from any window system: the Qt dialog
// (app/) and the scripted one (farcast-run) call these.

#include <string>

#include "platform/window_system.h"

// Bindery credentials, asked once and kept in memory only (never logged, never written).
extern std::string LoginName;      // upper case, at most 47 characters
extern std::string LoginPassword;  // upper case, at most 47 characters
// False: the dialog only collects credentials for the run. True: the dialog is for the
// current server (TargetServer) and logs in to it itself.
extern bool LoginDialogForServer;

struct LoginDialogStart {
    std::string prompt;    // control 220
    std::string userName;  // control 218: LoginName, else PrimaryLoginName
};

// What the dialog shows when it opens.
LoginDialogStart LoginDialogInit();

enum class LoginDialogOutcome { Close, KeepOpen };

// OK pressed with these field contents. Shows its own messages (owned by dialog where the
// rules say so). KeepOpen: the dialog stays open and the user name field gets the focus.
LoginDialogOutcome LoginDialogOk(win::WindowId dialog, const std::string& userName,
                                 const std::string& password);

// Cancel or close: LoginName becomes empty; LoginPassword keeps its value.
void LoginDialogCancel();

// Help topic for context help on a control (218 -> 3070, 219 -> 3080), 0 for others.
int LoginDialogHelpContext(int control);
