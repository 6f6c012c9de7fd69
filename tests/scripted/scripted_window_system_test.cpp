// The scripted window system: answers, recording, dialogs and the echo farcast-run prints.
#include "scripted/scripted_window_system.h"

#include <gtest/gtest.h>

#include <sstream>

#include "netware/login_dialog.h"

// The engine's login and options-sheet rules are replaced here by recording fakes (the
// definitions below take the place of the engine's), so the tests check how the scripted
// system drives them.

namespace {
std::vector<std::pair<std::string, std::string>> g_loginOks;
int g_loginCancels = 0;
std::vector<int> g_pagesShown;
std::vector<int> g_pagesApplied;
int g_sheetResets = 0;
bool g_applySucceeds = true;

void ResetFakes() {
    g_loginOks.clear();
    g_loginCancels = 0;
    g_pagesShown.clear();
    g_pagesApplied.clear();
    g_sheetResets = 0;
    g_applySucceeds = true;
}
}  // namespace

LoginDialogStart LoginDialogInit() {
    return {"Enter login name", "ADMIN"};
}
LoginDialogOutcome LoginDialogOk(win::WindowId, const std::string& user, const std::string& pw) {
    g_loginOks.emplace_back(user, pw);
    // The fake refuses an empty user name, as the real rules do.
    return user.empty() ? LoginDialogOutcome::KeepOpen : LoginDialogOutcome::Close;
}
void LoginDialogCancel() {
    ++g_loginCancels;
}
OptionsSheetModel::OptionsSheetModel() {}
void OptionsSheetModel::ShowPage(int page) {
    g_pagesShown.push_back(page);
}
bool OptionsSheetModel::Apply(int page) {
    g_pagesApplied.push_back(page);
    return g_applySucceeds;
}
void OptionsSheetModel::Reset() {
    ++g_sheetResets;
}

namespace {

using namespace win;

class ScriptedWindowSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetFakes(); }
    ScriptedWindowSystem ui;
};

TEST_F(ScriptedWindowSystemTest, BoxesTakeScriptedAnswersOnlyWhenTheyHaveAChoice) {
    ui.answers = {IDNO, IDCANCEL};
    EXPECT_EQ(ui.MessageBox(kMainWindow, "stop", "Farcast", MB_OK | MB_ICONSTOP), IDOK);
    EXPECT_EQ(ui.answers.size(), 2u) << "an OK-only box must not consume an answer";
    EXPECT_EQ(ui.MessageBox(kMainWindow, "q", "Farcast", 0x10024), IDNO);
    EXPECT_EQ(ui.MessageBox(kMainWindow, "q", "Farcast", 0x10023), IDCANCEL);
    // Script exhausted: the answer that goes on.
    EXPECT_EQ(ui.MessageBox(kMainWindow, "q", "Farcast", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(ui.MessageBox(kMainWindow, "q", "Farcast", MB_OKCANCEL), IDOK);

    ASSERT_EQ(ui.boxes.size(), 5u);
    EXPECT_EQ(ui.boxes[1].style, 0x10024u);
    EXPECT_EQ(ui.boxes[1].answer, IDNO);
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui.boxes[0].owner, kMainWindow);
    EXPECT_EQ(ui.CountBoxes("q"), 4);
}

TEST_F(ScriptedWindowSystemTest, EchoPrintsEachLineOfTheTextAndTheAnswer) {
    std::ostringstream out;
    ui.echo = &out;
    ui.answers = {IDNO};
    ui.MessageBox(kMainWindow, "ERROR - one.\r\nNWCall error: 0x89FF\nlast", "Farcast", 0x10014);
    ui.MessageBox(kMainWindow, "", "Farcast", 0x10010);
    EXPECT_EQ(out.str(),
              "[box] Farcast | style=0x10014\n"
              "ERROR - one.\n"
              "NWCall error: 0x89FF\n"
              "last\n"
              "[answer] No\n"
              "[box] Farcast | style=0x10010\n"
              "\n"
              "[answer] OK\n");
}

TEST_F(ScriptedWindowSystemTest, ProgressDialogsDisableTheirOwnerAndRecordEveryUpdate) {
    const WindowId counting = ui.CreateProgressDialog(DialogKind::ReadDir, kMainWindow);
    ASSERT_NE(counting, kNoWindow);
    EXPECT_FALSE(ui.IsEnabled(kMainWindow));
    EXPECT_TRUE(ui.IsWindow(counting));
    EXPECT_EQ(ui.FindDialog(counting)->title, "Counting Source Files and Directories...");
    ui.SetDlgItemText(counting, 226, "1");
    ui.SetDlgItemText(counting, 226, "2");
    ui.DestroyDialog(counting);
    EXPECT_TRUE(ui.IsEnabled(kMainWindow));
    EXPECT_FALSE(ui.IsWindow(counting));
    ui.SetDlgItemText(counting, 226, "3");  // gone: ignored, but noticed
    EXPECT_EQ(ui.writesToMissingDialogs, 1);
    EXPECT_EQ(ui.FindDialog(counting)->FieldHistory(226), (std::vector<std::string>{"1", "2"}));

    const WindowId copy = ui.CreateProgressDialog(DialogKind::CopyFiles, kMainWindow);
    EXPECT_EQ(ui.FindDialog(copy)->title, "Copying...");
    ui.SetProgressPos(copy, 224, 0);
    ui.SetProgressPos(copy, 224, 33);
    EXPECT_EQ(ui.FindDialog(copy)->BarHistory(224), (std::vector<int>{0, 33}));
    EXPECT_EQ(ui.FindDialog(copy)->Bar(205), -1);

    // The synchronisation dialog disables the copy dialog, not only the main window.
    const WindowId sync = ui.CreateProgressDialog(DialogKind::SyncDir, kMainWindow);
    EXPECT_EQ(ui.FindDialog(sync)->title, "Synchronizing...");
    EXPECT_FALSE(ui.IsEnabled(copy));
    ui.DestroyDialog(sync);
    EXPECT_TRUE(ui.IsEnabled(copy));
    EXPECT_FALSE(ui.IsEnabled(kMainWindow)) << "the copy dialog is still open";
    ui.DestroyDialog(copy);
    EXPECT_TRUE(ui.IsEnabled(kMainWindow));
    EXPECT_EQ(ui.DialogCount(DialogKind::CopyFiles), 1);

    ui.failDialogCreation = true;
    EXPECT_EQ(ui.CreateProgressDialog(DialogKind::CopyFiles, kMainWindow), kNoWindow);
}

TEST_F(ScriptedWindowSystemTest, WithoutHistoryOnlyTheLatestValueIsKept) {
    ui.keepHistory = false;
    const WindowId copy = ui.CreateProgressDialog(DialogKind::CopyFiles, kMainWindow);
    for (int i = 0; i <= 100; ++i) {
        ui.SetDlgItemText(copy, 233, std::to_string(i));
        ui.SetProgressPos(copy, 204, i);
    }
    EXPECT_EQ(ui.FindDialog(copy)->FieldHistory(233), (std::vector<std::string>{"100"}));
    EXPECT_EQ(ui.FindDialog(copy)->Bar(204), 100);
    EXPECT_EQ(ui.FindDialog(copy)->BarHistory(204).size(), 1u);
}

TEST_F(ScriptedWindowSystemTest, ServerNameSetsTitlesWithinTheCaptionBuffer) {
    const WindowId copy = ui.CreateProgressDialog(DialogKind::CopyFiles, kMainWindow);
    const std::string name47(47, 'S');
    ui.SendServerName(copy, name47);
    EXPECT_EQ(ui.FindDialog(copy)->title, "Copying Files To " + name47 + "...");
    EXPECT_EQ(ui.FindDialog(copy)->Field(203), name47);
    ui.SendServerName(copy, std::string(60, 'L'));
    EXPECT_EQ(ui.FindDialog(copy)->title.size(), 67u);
    EXPECT_EQ(ui.FindDialog(copy)->titles.size(), 3u);

    const WindowId sync = ui.CreateProgressDialog(DialogKind::SyncDir, kMainWindow);
    ui.SendServerName(sync, "ACME_HQ");
    EXPECT_EQ(ui.FindDialog(sync)->title, "Synchronizing Directories On ACME_HQ...");
}

TEST_F(ScriptedWindowSystemTest, CancelDestroysFirstThenTellsTheEngine) {
    static ScriptedWindowSystem* current = nullptr;
    static bool wasOpenWhenNotified = true;
    static WindowId notified = kNoWindow;
    current = &ui;
    SetDialogCancelHandler([](WindowId id) {
        notified = id;
        wasOpenWhenNotified = current->IsWindow(id);
    });
    const WindowId copy = ui.CreateProgressDialog(DialogKind::CopyFiles, kMainWindow);
    ui.CancelDialog(copy);
    SetDialogCancelHandler(nullptr);
    EXPECT_EQ(notified, copy);
    EXPECT_FALSE(wasOpenWhenNotified);
    EXPECT_TRUE(ui.FindDialog(copy)->cancelled);
    EXPECT_TRUE(ui.IsEnabled(kMainWindow));
}

TEST_F(ScriptedWindowSystemTest, ServerListSortsWithoutRegardToCaseAndKeepsSelections) {
    ui.ServerListAdd("beta");
    ui.ServerListAdd("ALPHA");
    EXPECT_TRUE(ui.SelectServerByName("Beta"));
    ui.ServerListAdd("Gamma");
    ui.ServerListAdd("aardvark");  // inserted before the selected entry
    EXPECT_EQ(ui.Servers(), (std::vector<std::string>{"aardvark", "ALPHA", "beta", "Gamma"}));
    EXPECT_EQ(ui.ServerListSelection(), (std::vector<int>{2}));
    ui.SelectServer(0);
    EXPECT_EQ(ui.ServerListSelection(), (std::vector<int>{0, 2}));
    EXPECT_FALSE(ui.SelectServerByName("DELTA"));
    EXPECT_EQ(ui.ServerListText(3), "Gamma");
    EXPECT_EQ(ui.ServerListText(4), "");
    ui.ServerListReset();
    EXPECT_TRUE(ui.ServerListSelection().empty());
}

TEST_F(ScriptedWindowSystemTest, LoginDialogTakesLoginsUntilTheRulesCloseIt) {
    std::ostringstream out;
    ui.echo = &out;
    ui.logins = {":NOPE", "SUPERVISOR:SECRET"};
    EXPECT_EQ(ui.ShowLoginDialog(kMainWindow), IDOK);
    ASSERT_EQ(g_loginOks.size(), 2u);
    EXPECT_EQ(g_loginOks[1], (std::pair<std::string, std::string>{"SUPERVISOR", "SECRET"}));
    EXPECT_EQ(g_loginCancels, 0);

    EXPECT_EQ(ui.ShowLoginDialog(kMainWindow), IDCANCEL);
    EXPECT_EQ(g_loginCancels, 1);
    ASSERT_EQ(ui.loginDialogs.size(), 2u);
    EXPECT_EQ(ui.loginDialogs[0].initialUserName, "ADMIN");
    EXPECT_EQ(out.str(),
              "[dialog] Login | Enter login name\n[answer] OK \n[answer] OK SUPERVISOR\n"
              "[dialog] Login | Enter login name\n[answer] Cancel\n");
}

TEST_F(ScriptedWindowSystemTest, OptionsSheetIsConfirmedOnItsFirstPage) {
    EXPECT_EQ(ui.RunOptionsSheet(kMainWindow), 1);
    EXPECT_EQ(g_pagesShown, (std::vector<int>{kCopyingPage}));
    EXPECT_EQ(g_pagesApplied, (std::vector<int>{kCopyingPage}));
    EXPECT_EQ(g_sheetResets, 0);

    g_applySucceeds = false;  // a page refuses OK: the script cannot fix it, so Cancel
    EXPECT_EQ(ui.RunOptionsSheet(kMainWindow), 0);
    EXPECT_EQ(g_sheetResets, 1);

    ui.optionsSheetResult = IDCANCEL;
    EXPECT_EQ(ui.RunOptionsSheet(kMainWindow), 0);
    EXPECT_EQ(g_sheetResets, 2);
    EXPECT_EQ(g_pagesApplied.size(), 2u) << "a cancelled sheet applies nothing";

    ui.optionsSheetResult = -1;
    EXPECT_EQ(ui.RunOptionsSheet(kMainWindow), -1);
    EXPECT_EQ(ui.optionsSheetsShown, 3);
}

TEST_F(ScriptedWindowSystemTest, MeasuresTextAgainstTheDialogsControlWidths) {
    const WindowId copy = ui.CreateProgressDialog(DialogKind::CopyFiles, kMainWindow);
    int text = 0, client = 0;
    ASSERT_TRUE(ui.MeasureControlText(copy, 201, "abcd", &text, &client));
    EXPECT_EQ(text, 4 * ScriptedWindowSystem::kCharWidth);
    EXPECT_EQ(client, 390);
    EXPECT_FALSE(ui.MeasureControlText(copy, 225, "x", &text, &client));
    const WindowId counting = ui.CreateProgressDialog(DialogKind::ReadDir, kMainWindow);
    ASSERT_TRUE(ui.MeasureControlText(counting, 225, "\xc3\xa9", &text, &client));
    EXPECT_EQ(text, ScriptedWindowSystem::kCharWidth) << "one character, two bytes";
    EXPECT_EQ(client, 414);
    ui.DestroyDialog(counting);
    EXPECT_FALSE(ui.MeasureControlText(counting, 225, "x", &text, &client));
}

TEST_F(ScriptedWindowSystemTest, PumpRunsTheHookAndOtherCallsAreRecorded) {
    int hookCalls = 0;
    ui.onPump = [&] { ++hookCalls; };
    SetUi(&ui);
    EXPECT_TRUE(win::PumpMessages());
    SetUi(nullptr);
    ui.PumpMessages();
    EXPECT_EQ(hookCalls, 2);
    EXPECT_EQ(ui.pumps, 2);

    ui.SetWaitCursor(true);
    EXPECT_TRUE(ui.WaitCursorOn());
    ui.SetWaitCursor(false);
    EXPECT_EQ(ui.waitCursorHistory, (std::vector<bool>{true, false}));
    ui.MessageBeep(MB_BEEP_EXCLAMATION);
    EXPECT_EQ(ui.beeps, (std::vector<unsigned>{MB_BEEP_EXCLAMATION}));
    ui.WinHelp(kMainWindow, "FARCAST.HLP", HELP_CONTEXT, 990);
    ASSERT_EQ(ui.helpCalls.size(), 1u);
    EXPECT_EQ(ui.helpCalls[0].helpFile, "FARCAST.HLP");
    EXPECT_EQ(ui.helpCalls[0].data, 990u);
}

}  // namespace
