#pragma once
// A window system without a screen: every message box, dialog, field, bar and enable state is
// recorded, and the questions are answered from a script. Tests drive the engine through it
// and farcast-run uses it to run a copy unattended by a person.
//
// Answers: a message box with more than one button takes the next entry of `answers`; when
// none is left it is put to `ask` when that is set (a person at a terminal), else it takes the
// answer that goes on (Yes when the box has a Yes button, else OK).
// A box with only an OK button never consumes an answer. The login dialog takes the next
// entry of `logins` ("USER:PASSWORD"); an entry without its password, or none left, is put to
// `askLogin` when that is set, and the dialog is cancelled when nothing completes it. The options
// sheet is shown and confirmed with OK on its first page unless `optionsSheetResult` says
// otherwise.
//
// With `echo` set, boxes and the login dialog are printed as farcast-run prints them:
//   [box] CAPTION | style=0x10010
//   each line of the text
//   [answer] OK

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "settings/options_sheet.h"

namespace win {

struct RecordedBox {
    WindowId owner = kNoWindow;
    std::string caption;
    std::string text;
    unsigned style = 0;
    int answer = 0;
};

// One progress or synchronisation dialog, with the history of everything written into it.
struct RecordedDialog {
    DialogKind kind = DialogKind::ReadDir;
    WindowId owner = kNoWindow;
    WindowId id = kNoWindow;
    std::string title;                // the title it has now (or had when it was destroyed)
    std::vector<std::string> titles;  // every title, the initial one first
    bool open = true;
    bool cancelled = false;                          // closed by CancelDialog, as the user's Cancel
    WindowId disabledWindow = kNoWindow;             // the window it disabled while open
    std::map<int, std::vector<std::string>> fields;  // every text per control, in order
    std::map<int, std::vector<int>> bars;            // every position per bar, in order
    std::map<int, std::uint64_t> fieldWrites;        // how often each control was written
    std::map<int, std::uint64_t> fieldWritesAtTitle;  // ... when the title last changed

    // The latest text of a control ("" when never set) and the latest bar position (-1).
    std::string Field(int control) const;
    int Bar(int control) const;
    const std::vector<std::string>& FieldHistory(int control) const;
    const std::vector<int>& BarHistory(int control) const;
};

struct RecordedLogin {
    WindowId owner = kNoWindow;
    std::string prompt;
    std::string initialUserName;
    std::vector<std::string> usersTried;  // user names entered with OK, in order
    int result = 0;                       // IDOK or IDCANCEL
};

struct RecordedHelpCall {
    WindowId owner = kNoWindow;
    std::string helpFile;
    unsigned command = 0;
    std::uintptr_t data = 0;
};

class ScriptedWindowSystem;

// The lines of a box's text: "\r\n" and "\n" both end a line; an empty text is one empty line.
std::vector<std::string> TextLines(const std::string& text);

// The engine's dialog rules, driven from the script. The login dialog: shows LoginDialogInit's
// prompt, presses OK with each scripted login until the rules close the dialog, and Cancel when
// the script has none left. The options sheet: its first page is shown and OK pressed; a page
// that refuses OK keeps the sheet open, which a script cannot answer, so the sheet is then
// cancelled.
namespace scripted {
int DriveLoginDialog(ScriptedWindowSystem& ui, WindowId owner);
int DriveOptionsSheet(ScriptedWindowSystem& ui, WindowId owner);
}  // namespace scripted

class ScriptedWindowSystem : public WindowSystem {
  public:
    using DialogDriver = int (*)(ScriptedWindowSystem& ui, WindowId owner);

    // Drives the engine's login dialog and options sheet rules.
    ScriptedWindowSystem();
    // Drives them with the given functions instead (either may be null: the login dialog is
    // then cancelled, the options sheet confirmed without rules).
    ScriptedWindowSystem(DialogDriver login, DialogDriver optionsSheet);

    // ---- the script ----
    std::deque<int> answers;         // IDOK, IDCANCEL, IDYES, IDNO
    std::deque<std::string> logins;  // "USER:PASSWORD"
    std::function<void()> onPump;    // called by every PumpMessages
    // Answers a box with more than one button once the script has no answer left for it;
    // called after the box's text has been echoed.
    std::function<int(const RecordedBox& box)> ask;
    // Completes a login: *entry is "" (the script has none left) or "USER" (no password); on
    // true it holds "USER:PASSWORD", on false the dialog is cancelled.
    std::function<bool(const std::string& prompt, std::string* entry)> askLogin;
    // Called with the sheet's model after its first page was shown, before OK is pressed.
    std::function<void(OptionsSheetModel&)> onOptionsSheet;
    int optionsSheetResult = IDOK;    // IDOK confirms, IDCANCEL cancels, -1: cannot be created
    bool failDialogCreation = false;  // CreateProgressDialog returns kNoWindow
    std::ostream* echo = nullptr;
    // Keep every text and position written into the dialogs (tests); off: only the latest.
    bool keepHistory = true;

    // ---- what happened ----
    std::vector<RecordedBox> boxes;
    std::vector<RecordedDialog> dialogs;  // in creation order
    std::vector<RecordedLogin> loginDialogs;
    std::vector<RecordedHelpCall> helpCalls;
    std::vector<std::pair<WindowId, bool>> enableHistory;  // every EnableWindow, in order
    std::vector<bool> waitCursorHistory;
    std::vector<unsigned> beeps;
    int optionsSheetsShown = 0;
    int pumps = 0;
    int writesToMissingDialogs = 0;  // field or bar writes to a dialog that is not open

    // ---- queries and actions for tests ----
    bool IsEnabled(WindowId window) const;
    bool WaitCursorOn() const { return waitCursorOn_; }
    RecordedDialog* FindDialog(WindowId id);
    // The latest dialog of that kind, or null.
    RecordedDialog* LastDialog(DialogKind kind);
    int DialogCount(DialogKind kind) const;
    // What the user's Cancel does: destroys the dialog, then tells the engine.
    void CancelDialog(WindowId id);
    // Boxes whose text contains the given text.
    int CountBoxes(const std::string& textPart) const;

    // The server list: sorted case-insensitively as the list box does.
    const std::vector<std::string>& Servers() const { return servers_; }
    void SelectServer(int index, bool selected = true);
    bool SelectServerByName(const std::string& name, bool selected = true);  // any case
    void ClearServerSelection();

    // Takes the next scripted answer for the box (its style, and its text for `ask`).
    int NextAnswer(const RecordedBox& box);
    void Echo(const std::string& line);
    static const char* AnswerName(int answer);
    // A new window identifier (for modal dialogs the drivers open).
    WindowId NewWindowId() { return nextId_++; }

    // ---- WindowSystem ----
    int MessageBox(WindowId owner, const std::string& text, const std::string& caption,
                   unsigned style) override;
    WindowId CreateProgressDialog(DialogKind kind, WindowId owner) override;
    void DestroyDialog(WindowId dialog) override;
    bool IsWindow(WindowId window) override;
    void SetDlgItemText(WindowId dialog, int control, const std::string& text) override;
    void SetProgressPos(WindowId dialog, int control, int percent) override;
    void SendServerName(WindowId dialog, const std::string& serverName) override;
    void EnableWindow(WindowId window, bool enable) override;
    void PumpMessages() override;
    bool MeasureControlText(WindowId dialog, int control, const std::string& text, int* textWidth,
                            int* clientWidth) override;
    void SetWaitCursor(bool on) override;
    void MessageBeep(unsigned type) override;
    void ServerListReset() override;
    void ServerListAdd(const std::string& name) override;
    std::vector<int> ServerListSelection() override;
    std::string ServerListText(int index) override;
    int ShowLoginDialog(WindowId owner) override;
    int RunOptionsSheet(WindowId owner) override;
    void WinHelp(WindowId owner, const char* helpFile, unsigned command,
                 std::uintptr_t data) override;

    // Pixels per character of the measured text; controls are 1.5 pixels per dialog unit.
    static constexpr int kCharWidth = 6;

  private:
    template <typename T>
    void Record(std::vector<T>& history, const T& value) const;

    DialogDriver loginDriver_ = nullptr;
    DialogDriver sheetDriver_ = nullptr;
    std::map<WindowId, bool> enabled_;
    std::vector<std::string> servers_;
    std::vector<bool> selected_;
    bool waitCursorOn_ = false;
    WindowId nextId_ = 100;
};

}  // namespace win
