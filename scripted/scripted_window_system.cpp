// The scripted window system: records what the engine shows and answers from a script.
#include "scripted/scripted_window_system.h"

#include <strings.h>
#include <algorithm>
#include <cstdio>

#include "netware/login_dialog.h"
#include "resources/string_ids.h"
#include "util/string_table.h"

namespace win {

namespace {

const std::vector<std::string> kNoTexts;
const std::vector<int> kNoPositions;

// Control widths in dialog units, from the dialogs' layouts; the progress bars included.
struct ControlWidth {
    int control;
    int width;
};
const std::vector<ControlWidth>& ControlWidths(DialogKind kind) {
    static const std::vector<ControlWidth> readDir = {
        {225, 276}, {226, 56}, {221, 52}, {223, 76}, {2, 50}};
    static const std::vector<ControlWidth> copyFiles = {{201, 260}, {202, 260}, {223, 80},
                                                        {233, 80},  {204, 232}, {203, 92},
                                                        {205, 232}, {224, 232}, {2, 50}};
    static const std::vector<ControlWidth> syncDir = {
        {216, 284}, {226, 56}, {221, 52}, {223, 76}, {2, 50}};
    switch (kind) {
        case DialogKind::ReadDir:
            return readDir;
        case DialogKind::CopyFiles:
            return copyFiles;
        case DialogKind::SyncDir:
            break;
    }
    return syncDir;
}

const char* InitialTitle(DialogKind kind) {
    switch (kind) {
        case DialogKind::ReadDir:
            return LoadResString(IDS_COUNTING_CAPTION);
        case DialogKind::CopyFiles:
            return LoadResString(IDS_COPYING_CAPTION);
        case DialogKind::SyncDir:
            break;
    }
    return LoadResString(IDS_SYNC_CAPTION);
}

// The copy dialog joins its caption in a 68-byte buffer: at most 67 characters.
constexpr std::size_t kCopyCaptionLimit = 67;

std::string CopyDialogCaption(const std::string& serverName) {
    std::string caption =
        std::string(LoadResString(IDS_COPYING_FILES_TO)) + serverName + LoadResString(IDS_ELLIPSIS);
    if (caption.size() > kCopyCaptionLimit)
        caption.resize(kCopyCaptionLimit);
    return caption;
}

std::string SyncDialogCaption(const std::string& serverName) {
    return std::string(LoadResString(IDS_SYNC_CAPTION_SERVER)) + serverName +
           LoadResString(IDS_ELLIPSIS);
}

// Characters of a UTF-8 text (continuation bytes are not counted).
int CharacterCount(const std::string& text) {
    int count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

bool HasMoreThanOneButton(unsigned style) {
    return (style & MB_TYPEMASK) != MB_OK;
}

bool HasYes(unsigned style) {
    const unsigned type = style & MB_TYPEMASK;
    return type == MB_YESNO || type == MB_YESNOCANCEL;
}

}  // namespace

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// ---- RecordedDialog ----

std::string RecordedDialog::Field(int control) const {
    const auto& history = FieldHistory(control);
    return history.empty() ? std::string() : history.back();
}

int RecordedDialog::Bar(int control) const {
    const auto& history = BarHistory(control);
    return history.empty() ? -1 : history.back();
}

const std::vector<std::string>& RecordedDialog::FieldHistory(int control) const {
    auto it = fields.find(control);
    return it == fields.end() ? kNoTexts : it->second;
}

const std::vector<int>& RecordedDialog::BarHistory(int control) const {
    auto it = bars.find(control);
    return it == bars.end() ? kNoPositions : it->second;
}

// ---- ScriptedWindowSystem ----

ScriptedWindowSystem::ScriptedWindowSystem(DialogDriver login, DialogDriver optionsSheet)
    : loginDriver_(login), sheetDriver_(optionsSheet) {}

bool ScriptedWindowSystem::IsEnabled(WindowId window) const {
    auto it = enabled_.find(window);
    return it == enabled_.end() || it->second;
}

RecordedDialog* ScriptedWindowSystem::FindDialog(WindowId id) {
    for (auto& dialog : dialogs)
        if (dialog.id == id)
            return &dialog;
    return nullptr;
}

RecordedDialog* ScriptedWindowSystem::LastDialog(DialogKind kind) {
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it)
        if (it->kind == kind)
            return &*it;
    return nullptr;
}

int ScriptedWindowSystem::DialogCount(DialogKind kind) const {
    return static_cast<int>(
        std::count_if(dialogs.begin(), dialogs.end(),
                      [kind](const RecordedDialog& d) { return d.kind == kind; }));
}

void ScriptedWindowSystem::CancelDialog(WindowId id) {
    RecordedDialog* dialog = FindDialog(id);
    if (!dialog || !dialog->open)
        return;
    DestroyDialog(id);
    dialog->cancelled = true;
    NotifyDialogCancelled(id);
}

int ScriptedWindowSystem::CountBoxes(const std::string& textPart) const {
    return static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [&](const RecordedBox& b) {
        return b.text.find(textPart) != std::string::npos;
    }));
}

void ScriptedWindowSystem::SelectServer(int index, bool selected) {
    if (index >= 0 && index < static_cast<int>(selected_.size()))
        selected_[index] = selected;
}

bool ScriptedWindowSystem::SelectServerByName(const std::string& name, bool selected) {
    for (std::size_t i = 0; i < servers_.size(); ++i) {
        if (strcasecmp(servers_[i].c_str(), name.c_str()) == 0) {
            selected_[i] = selected;
            return true;
        }
    }
    return false;
}

void ScriptedWindowSystem::ClearServerSelection() {
    std::fill(selected_.begin(), selected_.end(), false);
}

int ScriptedWindowSystem::NextAnswer(const RecordedBox& box) {
    if (!HasMoreThanOneButton(box.style))
        return IDOK;
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if (ask)
        return ask(box);
    return HasYes(box.style) ? IDYES : IDOK;
}

void ScriptedWindowSystem::Echo(const std::string& line) {
    if (echo)
        *echo << line << '\n' << std::flush;
}

const char* ScriptedWindowSystem::AnswerName(int answer) {
    switch (answer) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        default:
            return "?";
    }
}

int ScriptedWindowSystem::MessageBox(WindowId owner, const std::string& text,
                                     const std::string& caption, unsigned style) {
    RecordedBox box{owner, caption, text, style, 0};
    // The text comes first, so that a person asked sees what the question is about.
    if (echo) {
        char styleText[32];
        std::snprintf(styleText, sizeof styleText, "0x%X", style);
        Echo("[box] " + caption + " | style=" + styleText);
        for (const std::string& line : TextLines(text))
            Echo(line);
    }
    box.answer = NextAnswer(box);
    Echo(std::string("[answer] ") + AnswerName(box.answer));
    boxes.push_back(box);
    return box.answer;
}

WindowId ScriptedWindowSystem::CreateProgressDialog(DialogKind kind, WindowId owner) {
    if (failDialogCreation)
        return kNoWindow;
    RecordedDialog dialog;
    dialog.kind = kind;
    dialog.owner = owner;
    dialog.id = NewWindowId();
    dialog.title = InitialTitle(kind);
    dialog.titles.push_back(dialog.title);
    // The synchronisation dialog disables the copy dialog that is open beneath it; the others
    // disable their owner.
    dialog.disabledWindow = owner;
    if (kind == DialogKind::SyncDir) {
        if (RecordedDialog* copy = LastDialog(DialogKind::CopyFiles); copy && copy->open)
            dialog.disabledWindow = copy->id;
    }
    dialogs.push_back(dialog);
    if (dialog.disabledWindow != kNoWindow)
        EnableWindow(dialog.disabledWindow, false);
    return dialog.id;
}

void ScriptedWindowSystem::DestroyDialog(WindowId id) {
    RecordedDialog* dialog = FindDialog(id);
    if (!dialog || !dialog->open)
        return;
    dialog->open = false;
    if (dialog->disabledWindow != kNoWindow)
        EnableWindow(dialog->disabledWindow, true);
}

bool ScriptedWindowSystem::IsWindow(WindowId window) {
    if (window == kMainWindow)
        return true;
    const RecordedDialog* dialog = FindDialog(window);
    return dialog && dialog->open;
}

// Appends to a control's history, or with keepHistory off replaces its one value, so that a
// long unattended run does not grow with every file it copies.
template <typename T>
void ScriptedWindowSystem::Record(std::vector<T>& history, const T& value) const {
    if (keepHistory || history.empty())
        history.push_back(value);
    else
        history.back() = value;
}

void ScriptedWindowSystem::SetDlgItemText(WindowId id, int control, const std::string& text) {
    RecordedDialog* dialog = FindDialog(id);
    if (!dialog || !dialog->open) {
        ++writesToMissingDialogs;
        return;
    }
    Record(dialog->fields[control], text);
    ++dialog->fieldWrites[control];
}

void ScriptedWindowSystem::SetProgressPos(WindowId id, int control, int percent) {
    RecordedDialog* dialog = FindDialog(id);
    if (!dialog || !dialog->open) {
        ++writesToMissingDialogs;
        return;
    }
    Record(dialog->bars[control], percent);
}

void ScriptedWindowSystem::SendServerName(WindowId id, const std::string& serverName) {
    RecordedDialog* dialog = FindDialog(id);
    if (!dialog || !dialog->open) {
        ++writesToMissingDialogs;
        return;
    }
    switch (dialog->kind) {
        case DialogKind::CopyFiles:
            dialog->title = CopyDialogCaption(serverName);
            Record(dialog->fields[203], serverName);
            break;
        case DialogKind::SyncDir:
            dialog->title = SyncDialogCaption(serverName);
            break;
        case DialogKind::ReadDir:
            return;  // the counting dialog does not handle the message
    }
    dialog->titles.push_back(dialog->title);
    dialog->fieldWritesAtTitle = dialog->fieldWrites;
}

void ScriptedWindowSystem::EnableWindow(WindowId window, bool enable) {
    enabled_[window] = enable;
    enableHistory.emplace_back(window, enable);
}

void ScriptedWindowSystem::PumpMessages() {
    ++pumps;
    if (onPump)
        onPump();
}

bool ScriptedWindowSystem::MeasureControlText(WindowId id, int control, const std::string& text,
                                              int* textWidth, int* clientWidth) {
    RecordedDialog* dialog = FindDialog(id);
    if (!dialog || !dialog->open)
        return false;
    for (const auto& entry : ControlWidths(dialog->kind)) {
        if (entry.control == control) {
            if (textWidth)
                *textWidth = CharacterCount(text) * kCharWidth;
            if (clientWidth)
                *clientWidth = entry.width * 3 / 2;
            return true;
        }
    }
    return false;
}

void ScriptedWindowSystem::SetWaitCursor(bool on) {
    waitCursorOn_ = on;
    waitCursorHistory.push_back(on);
}

void ScriptedWindowSystem::MessageBeep(unsigned type) {
    beeps.push_back(type);
}

void ScriptedWindowSystem::ServerListReset() {
    servers_.clear();
    selected_.clear();
}

void ScriptedWindowSystem::ServerListAdd(const std::string& name) {
    // A sorted list box puts a new entry after the entries that compare equal to it.
    auto it = std::upper_bound(servers_.begin(), servers_.end(), name,
                               [](const std::string& a, const std::string& b) {
                                   return strcasecmp(a.c_str(), b.c_str()) < 0;
                               });
    const auto index = it - servers_.begin();
    servers_.insert(it, name);
    selected_.insert(selected_.begin() + index, false);
}

std::vector<int> ScriptedWindowSystem::ServerListSelection() {
    std::vector<int> selection;
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i])
            selection.push_back(static_cast<int>(i));
    return selection;
}

std::string ScriptedWindowSystem::ServerListText(int index) {
    if (index < 0 || index >= static_cast<int>(servers_.size()))
        return std::string();
    return servers_[index];
}

int ScriptedWindowSystem::ShowLoginDialog(WindowId owner) {
    if (!loginDriver_)
        return IDCANCEL;
    return loginDriver_(*this, owner);
}

int ScriptedWindowSystem::RunOptionsSheet(WindowId owner) {
    if (optionsSheetResult >= 0)
        ++optionsSheetsShown;
    if (!sheetDriver_)
        return optionsSheetResult < 0 ? -1 : optionsSheetResult == IDOK ? 1 : 0;
    return sheetDriver_(*this, owner);
}

void ScriptedWindowSystem::WinHelp(WindowId owner, const char* helpFile, unsigned command,
                                   std::uintptr_t data) {
    helpCalls.push_back({owner, helpFile ? helpFile : "", command, data});
}

// ---- the engine's dialog rules, driven from the script ----

namespace scripted {

int DriveLoginDialog(ScriptedWindowSystem& ui, WindowId owner) {
    const WindowId dialog = ui.NewWindowId();
    RecordedLogin record;
    record.owner = owner;
    const LoginDialogStart start = LoginDialogInit();
    record.prompt = start.prompt;
    record.initialUserName = start.userName;
    ui.Echo("[dialog] Login | " + start.prompt);
    for (;;) {
        std::string entry;
        if (!ui.logins.empty()) {
            entry = ui.logins.front();
            ui.logins.pop_front();
        }
        const bool complete = entry.find(':') != std::string::npos;
        const bool asked = !complete && ui.askLogin;
        if (asked ? !ui.askLogin(start.prompt, &entry) : entry.empty()) {
            LoginDialogCancel();
            ui.Echo("[answer] Cancel");
            record.result = IDCANCEL;
            break;
        }
        const auto colon = entry.find(':');
        const std::string user = entry.substr(0, colon);
        const std::string password = colon == std::string::npos ? "" : entry.substr(colon + 1);
        record.usersTried.push_back(user);
        ui.Echo("[answer] OK " + user);
        if (LoginDialogOk(dialog, user, password) == LoginDialogOutcome::Close) {
            record.result = IDOK;
            break;
        }
    }
    ui.loginDialogs.push_back(record);
    return record.result;
}

int DriveOptionsSheet(ScriptedWindowSystem& ui, WindowId /*owner*/) {
    if (ui.optionsSheetResult < 0)
        return -1;
    OptionsSheetModel model;
    model.ShowPage(kCopyingPage);
    if (ui.onOptionsSheet)
        ui.onOptionsSheet(model);
    if (ui.optionsSheetResult == IDOK && model.Apply(kCopyingPage))
        return 1;
    model.Reset();
    return 0;
}

}  // namespace scripted

ScriptedWindowSystem::ScriptedWindowSystem()
    : ScriptedWindowSystem(&scripted::DriveLoginDialog, &scripted::DriveOptionsSheet) {}

}  // namespace win
