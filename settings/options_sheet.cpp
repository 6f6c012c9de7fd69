// The options sheet's rules: what each page shows from CopyOptions when it is first shown,
// how its controls depend on each other, and what OK, Cancel and leaving a page do.

#include "settings/options_sheet.h"

#include <algorithm>
#include <cctype>

#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"
#include "util/characters.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::size_t kMaxEditText = 259;
constexpr int kSheetHelpContext = 990;
constexpr int kBufferRadios[] = {4, 8, 16, 32, 64};

struct ControlInfo {
    int id;
    int page;
    int helpContext;
};

// Every control of the five pages, with the help topic context help gives for it.
constexpr ControlInfo kControls[] = {
    {242, kCopyingPage, 3520},    {216, kCopyingPage, 3140},    {200, kCopyingPage, 3150},
    {212, kCopyingPage, 3170},    {334, kCopyingPage, 3190},    {232, kCopyingPage, 3180},
    {211, kCopyingPage, 3160},    {217, kCopyingPage, 3200},    {206, kErrorsPage, 3090},
    {222, kErrorsPage, 3100},     {199, kErrorsPage, 3110},     {234, kErrorsPage, 3280},
    {207, kErrorsPage, 3120},     {335, kErrorsPage, 3130},     {208, kOverwritesPage, 3210},
    {209, kOverwritesPage, 3220}, {210, kOverwritesPage, 3230}, {213, kAttributesPage, 3240},
    {215, kAttributesPage, 3260}, {231, kAttributesPage, 3270}, {237, kAttributesPage, 3500},
    {235, kAdvancedPage, 3470},   {4, kAdvancedPage, 3470},     {8, kAdvancedPage, 3470},
    {16, kAdvancedPage, 3470},    {32, kAdvancedPage, 3470},    {64, kAdvancedPage, 3470},
    {241, kAdvancedPage, 0},
};

const ControlInfo* InfoOf(int control) {
    for (const ControlInfo& info : kControls) {
        if (info.id == control)
            return &info;
    }
    return nullptr;
}

bool IsBufferRadio(int control) {
    return std::find(std::begin(kBufferRadios), std::end(kBufferRadios), control) !=
           std::end(kBufferRadios);
}

// The edit control takes at most 259 characters, as the field can hold.
std::string EditText(const std::string& text) {
    return FirstCharacters(text, kMaxEditText);
}

OptionsSheetModel::PathCanonicaliser g_canonicaliser = &CanonicalNetWarePath;

void ShowStopBox(const std::string& text) {
    win::Ui().MessageBox(win::kMainWindow, text, LoadResString(IDS_CAPTION_FARCAST),
                         win::MB_ICONSTOP | win::MB_SETFOREGROUND);
}

}  // namespace

OptionsSheetModel::OptionsSheetModel() = default;

// ---- controls ----

OptionsSheetModel::Control& OptionsSheetModel::At(int control) {
    for (auto& [id, state] : controls_) {
        if (id == control)
            return state;
    }
    controls_.emplace_back(control, Control{});
    return controls_.back().second;
}

const OptionsSheetModel::Control* OptionsSheetModel::Find(int control) const {
    for (const auto& [id, state] : controls_) {
        if (id == control)
            return &state;
    }
    return nullptr;
}

bool OptionsSheetModel::PageCreated(int page) const {
    return page >= 0 && page < kOptionsPageCount && created_[page];
}

bool OptionsSheetModel::Checked(int control) const {
    const Control* c = Find(control);
    return c != nullptr && c->checked;
}

bool OptionsSheetModel::Enabled(int control) const {
    const Control* c = Find(control);
    return c == nullptr || c->enabled;
}

bool OptionsSheetModel::Visible(int control) const {
    const Control* c = Find(control);
    return c == nullptr || c->visible;
}

std::string OptionsSheetModel::Text(int control) const {
    if (control == 222)
        return logFileName_;
    if (control == 241)
        return advancedText_;
    return {};
}

void OptionsSheetModel::SetText(int control, const std::string& text) {
    if (control == 222)
        logFileName_ = EditText(text);
}

const std::vector<std::string>& OptionsSheetModel::ComboItems() const {
    return combo_;
}

int OptionsSheetModel::ComboSelection() const {
    return comboSelection_;
}

int OptionsSheetModel::HelpContext(int control) {
    const ControlInfo* info = InfoOf(control);
    return info != nullptr ? info->helpContext : 0;
}

// ---- pages ----

void OptionsSheetModel::ShowPage(int page) {
    if (page < 0 || page >= kOptionsPageCount || created_[page])
        return;
    created_[page] = true;
    const CopyOptionsRecord& o = CopyOptions;
    switch (page) {
        case kCopyingPage:
            RefillCombo();
            At(242).checked = o.TrackDirectory != 0;
            At(211).checked = o.SyncDirs != 0;
            At(212).checked = o.CopySubDirs != 0;
            At(232).checked = o.Netware4xServers != 0;
            At(334).checked = o.OnlyCopyExistingFiles != 0;
            At(217).checked = o.PromptOnDeletion != 0;
            ApplySyncRule();
            break;
        case kErrorsPage:
            At(206).checked = o.CreateLogfile != 0;
            logFileName_ = EditText(o.LogFileName);
            At(234).checked = o.VerboseLogging != 0;
            At(207).checked = o.UnattendedMode != 0;
            At(335).checked = o.LogoutTargetFileUser != 0;
            At(335).visible = false;
            ApplyLogFileRule();
            break;
        case kOverwritesPage:
            At(208).checked = o.NeverOverwrite != 0;
            At(209).checked = o.OverwriteOlder != 0;
            At(210).checked = o.PromptOnOverwrite != 0;
            ApplyOverwriteRule();
            break;
        case kAttributesPage:
            At(213).checked = o.CopyAttributes != 0;
            At(215).checked = o.CopyInheritedRightsMask != 0;
            At(231).checked = o.CopyTrustees != 0;
            At(237).checked = o.CopyCompressed != 0;
            break;
        case kAdvancedPage:
            // Entry 445 is continued by 446: the two sentences with a blank line between.
            advancedText_ = LoadResString(IDS_BUFFER_SIZE_HINT);
            for (int radio : kBufferRadios)
                At(radio).checked = o.BufferSize == static_cast<std::uint32_t>(radio);
            break;
    }
}

void OptionsSheetModel::Click(int control) {
    const ControlInfo* info = InfoOf(control);
    if (info == nullptr || !created_[info->page] || !Enabled(control) || !Visible(control))
        return;
    if (IsBufferRadio(control)) {
        for (int radio : kBufferRadios)
            At(radio).checked = radio == control;
        return;
    }
    switch (control) {
        case 216:
        case 200:
        case 222:
        case 199:
        case 235:
        case 241:
            return;  // not check boxes
        default:
            At(control).checked = !At(control).checked;
    }
    if (control == 211)
        ApplySyncRule();
    else if (control == 206)
        ApplyLogFileRule();
    else if (control == 208)
        ApplyOverwriteRule();
}

// Copying only existing files and synchronising are never on together, and the deletion
// prompt can be changed only while synchronising (217 keeps its check mark when disabled).
void OptionsSheetModel::ApplySyncRule() {
    bool sync = Checked(211);
    if (sync)
        At(334).checked = false;
    At(334).enabled = !sync;
    At(217).enabled = sync;
}

// Verbose logging and unattended mode need a log file.
void OptionsSheetModel::ApplyLogFileRule() {
    bool logging = Checked(206);
    for (int control : {222, 199, 234, 207})
        At(control).enabled = logging;
    if (!logging) {
        At(234).checked = false;
        At(207).checked = false;
    }
}

void OptionsSheetModel::ApplyOverwriteRule() {
    bool never = Checked(208);
    for (int control : {209, 210}) {
        if (never)
            At(control).checked = false;
        At(control).enabled = !never;
    }
}

// ---- the destination combo box ----

void OptionsSheetModel::RefillCombo() {
    PathComboContents contents = FillPathCombo();
    combo_ = std::move(contents.items);
    comboSelection_ = contents.selection;
}

void OptionsSheetModel::SelectComboItem(int index) {
    if (index < 0 || index >= static_cast<int>(combo_.size()))
        return;
    comboSelection_ = index;
    PromoteSelectedPath(combo_[index]);
    RefillCombo();
}

void OptionsSheetModel::FolderPicked(const std::string& path) {
    std::string canonical = path;
    if (!g_canonicaliser(canonical, false)) {
        // The message shows the picked path upper-cased, as the client would have it.
        std::string shown = path;
        for (char& c : shown)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ShowStopBox(FormatText(LoadResString(IDS_ERR_VERIFY_TARGET), shown.c_str()));
        return;
    }
    AddPathToHistory(canonical);
    RefillCombo();
}

void OptionsSheetModel::LogFilePicked(const std::string& path) {
    logFileName_ = EditText(path);
}

// ---- leaving, OK, Cancel ----

bool OptionsSheetModel::KillActive(int page) {
    if (page != kErrorsPage || !created_[kErrorsPage])
        return true;
    if (!Checked(206))
        return true;
    if (logFileName_.empty()) {
        win::Ui().MessageBeep(win::MB_BEEP_EXCLAMATION);
        ShowStopBox(LoadResString(IDS_LOG_NAME_REQUIRED));
        logFileName_ = EditText(CopyOptions.LogFileName);
        focusControl_ = 222;
        return false;
    }
    // Taken at once: Cancel later does not undo it.
    CopyOptions.LogFileName = logFileName_;
    return true;
}

bool OptionsSheetModel::Apply(int currentPage) {
    refusingPage_ = -1;
    if (!KillActive(currentPage)) {
        refusingPage_ = currentPage;
        return false;
    }
    CopyOptionsRecord& o = CopyOptions;
    // Pages apply in tab order; the Copying page comes first, so when it refuses no other
    // page has applied anything.
    if (created_[kCopyingPage]) {
        std::string selected = comboSelection_ >= 0 ? combo_[comboSelection_] : std::string();
        if (selected.empty()) {
            win::Ui().MessageBeep(win::MB_BEEP_EXCLAMATION);
            ShowStopBox(LoadResString(IDS_DESTINATION_REQUIRED));
            RefillCombo();
            focusControl_ = 216;
            refusingPage_ = kCopyingPage;
            return false;
        }
        // A stored or given destination that is not a volume path would be taken apart as one
        // on every server ("Volume : does not exist"): it is refused here, saying why.
        std::string target;
        if (!NormaliseTargetPath(selected, &target, g_canonicaliser)) {
            win::Ui().MessageBeep(win::MB_BEEP_EXCLAMATION);
            ShowStopBox(FormatText(LoadResString(IDS_ERR_NOT_A_VOLUME_PATH), selected.c_str()));
            RefillCombo();
            focusControl_ = 216;
            refusingPage_ = kCopyingPage;
            return false;
        }
        o.TargetPath = target;
        PromoteSelectedPath(selected);
        o.TrackDirectory = Checked(242);
        o.SyncDirs = Checked(211);
        o.CopySubDirs = Checked(212);
        o.Netware4xServers = Checked(232);
        o.OnlyCopyExistingFiles = Checked(334);
        o.PromptOnDeletion = Checked(217);
    }
    if (created_[kErrorsPage]) {
        o.CreateLogfile = Checked(206);
        o.VerboseLogging = Checked(234);
        o.UnattendedMode = Checked(207);
        o.LogoutTargetFileUser = Checked(335);
    }
    if (created_[kOverwritesPage]) {
        o.NeverOverwrite = Checked(208);
        o.OverwriteOlder = Checked(209);
        o.PromptOnOverwrite = Checked(210);
    }
    if (created_[kAttributesPage]) {
        o.CopyAttributes = Checked(213);
        o.CopyInheritedRightsMask = Checked(215);
        o.CopyTrustees = Checked(231);
        o.CopyCompressed = Checked(237);
    }
    if (created_[kAdvancedPage]) {
        o.BufferSize = 4;
        for (int radio : {64, 32, 16, 8}) {
            if (Checked(radio)) {
                o.BufferSize = static_cast<std::uint32_t>(radio);
                break;
            }
        }
    }
    return true;
}

void OptionsSheetModel::Reset() {
    CancelRequested = true;
}

// ---- what the view needs besides the controls ----

std::string OptionsSheetModel::SheetCaption() {
    return LoadResString(IDS_OPTIONS_CAPTION);
}

std::string OptionsSheetModel::FolderBrowserTitle() {
    return LoadResString(IDS_SELECT_TARGET_TITLE);
}

std::vector<std::pair<std::string, std::string>> OptionsSheetModel::LogFileFilters() {
    // The filter text separates descriptions and patterns with its own last character.
    std::string text = LoadResString(IDS_LOG_FILE_FILTER);
    std::vector<std::pair<std::string, std::string>> filters;
    if (text.empty())
        return filters;
    const char separator = text.back();
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t k = 0; k <= text.size(); ++k) {
        if (k == text.size() || text[k] == separator) {
            parts.push_back(text.substr(start, k - start));
            start = k + 1;
        }
    }
    for (std::size_t k = 0; k + 1 < parts.size(); k += 2) {
        if (parts[k].empty() || parts[k + 1].empty())
            break;
        filters.emplace_back(parts[k], parts[k + 1]);
    }
    return filters;
}

std::string OptionsSheetModel::LogFileInitialName() {
    return LoadResString(IDS_LOG_FILE_PATTERN);
}

std::string OptionsSheetModel::LogFileDialogTitle() {
    return LoadResString(IDS_SELECT_LOG_FILE);
}

void OptionsSheetModel::ShowSheetHelp() {
    win::Ui().WinHelp(win::kMainWindow, LoadResString(IDS_HELP_FILE), win::HELP_CONTEXT,
                      kSheetHelpContext);
}

void OptionsSheetModel::ShowControlHelp(int control) {
    int context = HelpContext(control);
    if (context != 0)
        win::Ui().WinHelp(win::kMainWindow, LoadResString(IDS_HELP_FILE), win::HELP_WM_HELP,
                          static_cast<std::uintptr_t>(context));
}

void OptionsSheetModel::SetPathCanonicaliser(PathCanonicaliser canonicaliser) {
    g_canonicaliser = canonicaliser != nullptr ? canonicaliser : &CanonicalNetWarePath;
}

int OpenOptionsSheet(win::WindowId owner) {
    CancelRequested = false;
    return win::Ui().RunOptionsSheet(owner);
}
