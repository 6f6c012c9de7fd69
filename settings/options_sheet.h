#pragma once
// The options sheet's rules, kept apart from any window system so that the Qt sheet (app/)
// and the scripted run (farcast-run) apply the same ones. The view shows the controls'
// states from the model and reports what the user does to it.
//
// Pages, in tab order: 0 "Copying" (901), 1 "Errors" (900), 2 "Overwrites" (902),
// 3 "Attributes" (903), 4 "Advanced" (904). Controls are named by their identifiers.

#include <string>
#include <utility>
#include <vector>

#include "platform/window_system.h"

enum OptionsPage { kCopyingPage = 0, kErrorsPage, kOverwritesPage, kAttributesPage, kAdvancedPage };
constexpr int kOptionsPageCount = 5;

class OptionsSheetModel {
  public:
    OptionsSheetModel();

    // A page is initialised from CopyOptions the first time it is shown; pages never shown
    // are neither initialised nor applied.
    void ShowPage(int page);
    bool PageCreated(int page) const;

    bool Checked(int control) const;
    bool Enabled(int control) const;
    bool Visible(int control) const;
    // The user clicked a check box or radio button (its new state is the toggled one, for
    // radio buttons: checked); the page's rules follow.
    void Click(int control);

    // Edit 222 (log file name) and static 241 (the Advanced page's text).
    std::string Text(int control) const;
    void SetText(int control, const std::string& text);

    // Combo box 216: the destination history, most recent first.
    const std::vector<std::string>& ComboItems() const;
    int ComboSelection() const;       // -1 when nothing is selected
    void SelectComboItem(int index);  // CBN_SELCHANGE
    // The Copying page's "&Select..." picked this folder (a path as the file manager gives
    // it). Rewrites it to \VOLUME\path and puts it at the front of the history, or shows
    // message 429.
    void FolderPicked(const std::string& path);
    // The Errors page's "&Select..." picked this log file name (field 222 changes).
    void LogFilePicked(const std::string& path);

    // Leaving a page (PSN_KILLACTIVE). False keeps the page active (a message was shown and
    // the control to focus is FocusControl()).
    bool KillActive(int page);
    // OK (PSN_APPLY on every created page, KillActive of the current page first). False when
    // a page refused: it is RefusingPage() and stays shown, FocusControl() gets the focus.
    bool Apply(int currentPage);
    // Cancel (PSN_RESET): sets CancelRequested.
    void Reset();

    int RefusingPage() const { return refusingPage_; }
    int FocusControl() const { return focusControl_; }

    // Context help topic of a control, 0 when it has none.
    static int HelpContext(int control);

    // What the view needs besides the controls' states: the sheet's caption, the folder
    // browser's title (Copying "&Select..."), and the log-file save dialog's filters as
    // (description, pattern) pairs, initial file name and title (Errors "&Select...").
    static std::string SheetCaption();
    static std::string FolderBrowserTitle();
    static std::vector<std::pair<std::string, std::string>> LogFileFilters();
    static std::string LogFileInitialName();
    static std::string LogFileDialogTitle();
    // The Help button (topic 990, the same from every page) and context help for a control
    // (its topic; nothing for a control without one).
    static void ShowSheetHelp();
    static void ShowControlHelp(int control);

    // How FolderPicked rewrites a picked folder: CanonicalNetWarePath (copy/path_utils.h)
    // unless replaced, so that the sheet's rules can be exercised without a network. Null
    // puts CanonicalNetWarePath back.
    using PathCanonicaliser = bool (*)(std::string& path, bool withServer);
    static void SetPathCanonicaliser(PathCanonicaliser canonicaliser);

  private:
    struct Control {
        bool checked = false;
        bool enabled = true;
        bool visible = true;
    };
    Control& At(int control);
    const Control* Find(int control) const;
    void ApplySyncRule();
    void ApplyLogFileRule();
    void ApplyOverwriteRule();
    void RefillCombo();

    bool created_[kOptionsPageCount] = {};
    std::vector<std::pair<int, Control>> controls_;
    std::string logFileName_;   // edit 222
    std::string advancedText_;  // static 241
    std::vector<std::string> combo_;
    int comboSelection_ = -1;
    int refusingPage_ = -1;
    int focusControl_ = 0;
};

// Shows the options sheet modal to owner: CancelRequested is cleared first and set by Cancel.
// Returns -1 when the sheet cannot be created, otherwise the sheet's result.
int OpenOptionsSheet(win::WindowId owner);
