// The options sheet's rules, through the model the Qt sheet and farcast-run drive.

#include "settings/options_sheet.h"

#include "copy/copy_run.h"
#include "platform/scripted_window_system.h"
#include "settings_fixture.h"

using namespace win;

namespace {

// Stands in for the network's path check: a folder under /net/SERVER/ is the volume path
// below it; anything else is refused, upper-cased as the real check leaves it.
bool FakeCanonical(std::string& path, bool withServer) {
    const std::string prefix = "/net/";
    std::size_t serverEnd = path.find('/', prefix.size());
    if (withServer || path.rfind(prefix, 0) != 0 || serverEnd == std::string::npos) {
        for (char& c : path)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return false;
    }
    std::string volumePath = path.substr(serverEnd);
    for (char& c : volumePath) {
        if (c == '/')
            c = '\\';
    }
    path = volumePath;
    return true;
}

class OptionsSheetTest : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        SetUi(&ui_);
        OptionsSheetModel::SetPathCanonicaliser(&FakeCanonical);
        CancelRequested = false;
    }
    void TearDown() override {
        OptionsSheetModel::SetPathCanonicaliser(nullptr);
        SetUi(nullptr);
        SettingsFixture::TearDown();
    }

    // The one stop box shown since the last call, checked for owner, caption and style.
    std::string TakeStopBox() {
        EXPECT_EQ(ui_.boxes.size(), 1u);
        if (ui_.boxes.empty())
            return {};
        RecordedBox box = ui_.boxes.front();
        ui_.boxes.clear();
        EXPECT_EQ(box.owner, kMainWindow);
        EXPECT_EQ(box.caption, "Farcast");
        EXPECT_EQ(box.style, MB_ICONSTOP | MB_SETFOREGROUND);
        return box.text;
    }

    ScriptedWindowSystem ui_{nullptr, nullptr};
    OptionsSheetModel sheet_;
};

TEST_F(OptionsSheetTest, PagesNeverShownNeitherInitialiseNorApply) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.BufferSize = 12;  // hand-edited
    CopyOptions.CreateLogfile = 0;
    CopyOptions.VerboseLogging = 1;
    CopyOptions.NeverOverwrite = 1;
    CopyOptions.OverwriteOlder = 1;
    sheet_.ShowPage(kCopyingPage);
    ASSERT_TRUE(sheet_.Apply(kCopyingPage));
    EXPECT_FALSE(sheet_.PageCreated(kErrorsPage));
    EXPECT_EQ(CopyOptions.BufferSize, 12u);
    EXPECT_EQ(CopyOptions.VerboseLogging, 1u);
    EXPECT_EQ(CopyOptions.OverwriteOlder, 1u);
    EXPECT_EQ(CopyOptions.TargetPath, "\\SYS\\A");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(OptionsSheetTest, AdvancedPageBufferSizeRadios) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.BufferSize = 12;
    sheet_.ShowPage(kCopyingPage);
    sheet_.ShowPage(kAdvancedPage);
    for (int radio : {4, 8, 16, 32, 64})
        EXPECT_FALSE(sheet_.Checked(radio)) << radio;
    EXPECT_EQ(sheet_.Text(241),
              "Using a small buffer size will give you better visual feedback on the progress of "
              "file copies, particularly when you are copying over slow WAN links.\n\nUsing a "
              "large buffer size will give you better throughput if you have packet burst "
              "enabled.");
    ASSERT_TRUE(sheet_.Apply(kAdvancedPage));
    EXPECT_EQ(CopyOptions.BufferSize, 4u) << "opened with nothing checked stores 4";

    OptionsSheetModel again;
    again.ShowPage(kAdvancedPage);
    EXPECT_TRUE(again.Checked(4));
    again.Click(32);
    EXPECT_TRUE(again.Checked(32));
    EXPECT_FALSE(again.Checked(4));
    again.ShowPage(kCopyingPage);
    ASSERT_TRUE(again.Apply(kCopyingPage));
    EXPECT_EQ(CopyOptions.BufferSize, 32u);
}

TEST_F(OptionsSheetTest, SynchronisingExcludesOnlyExistingFiles) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.SyncDirs = 1;
    CopyOptions.OnlyCopyExistingFiles = 1;
    CopyOptions.PromptOnDeletion = 1;
    sheet_.ShowPage(kCopyingPage);
    EXPECT_TRUE(sheet_.Checked(211));
    EXPECT_FALSE(sheet_.Checked(334));
    EXPECT_FALSE(sheet_.Enabled(334));
    EXPECT_TRUE(sheet_.Enabled(217));

    sheet_.Click(334);  // disabled: nothing happens
    EXPECT_FALSE(sheet_.Checked(334));
    sheet_.Click(211);
    EXPECT_TRUE(sheet_.Enabled(334));
    EXPECT_FALSE(sheet_.Enabled(217));
    EXPECT_TRUE(sheet_.Checked(217)) << "the deletion prompt keeps its check mark";
    sheet_.Click(334);
    EXPECT_TRUE(sheet_.Checked(334));
    sheet_.Click(211);
    EXPECT_FALSE(sheet_.Checked(334));

    ASSERT_TRUE(sheet_.Apply(kCopyingPage));
    EXPECT_EQ(CopyOptions.SyncDirs, 1u);
    EXPECT_EQ(CopyOptions.OnlyCopyExistingFiles, 0u);
    EXPECT_EQ(CopyOptions.PromptOnDeletion, 1u);
}

TEST_F(OptionsSheetTest, LoggingOptionsNeedALogFile) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.CreateLogfile = 0;
    CopyOptions.VerboseLogging = 1;
    CopyOptions.UnattendedMode = 1;
    CopyOptions.LogoutTargetFileUser = 1;
    CopyOptions.LogFileName = "/var/log/old.log";
    sheet_.ShowPage(kCopyingPage);
    sheet_.ShowPage(kErrorsPage);
    EXPECT_EQ(sheet_.Text(222), "/var/log/old.log");
    for (int control : {222, 199, 234, 207})
        EXPECT_FALSE(sheet_.Enabled(control)) << control;
    EXPECT_FALSE(sheet_.Checked(234));
    EXPECT_FALSE(sheet_.Checked(207));
    EXPECT_FALSE(sheet_.Visible(335));
    EXPECT_TRUE(sheet_.Checked(335));

    sheet_.Click(206);
    for (int control : {222, 199, 234, 207})
        EXPECT_TRUE(sheet_.Enabled(control)) << control;
    sheet_.Click(234);
    sheet_.Click(206);
    EXPECT_FALSE(sheet_.Checked(234));

    ASSERT_TRUE(sheet_.Apply(kErrorsPage));
    EXPECT_EQ(CopyOptions.CreateLogfile, 0u);
    EXPECT_EQ(CopyOptions.VerboseLogging, 0u);
    EXPECT_EQ(CopyOptions.UnattendedMode, 0u);
    EXPECT_EQ(CopyOptions.LogoutTargetFileUser, 1u) << "the hidden check box keeps its value";
    EXPECT_EQ(CopyOptions.LogFileName, "/var/log/old.log");
}

TEST_F(OptionsSheetTest, NeverOverwriteExcludesTheOtherPolicies) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.NeverOverwrite = 1;
    CopyOptions.OverwriteOlder = 1;
    CopyOptions.PromptOnOverwrite = 1;
    sheet_.ShowPage(kCopyingPage);
    sheet_.ShowPage(kOverwritesPage);
    for (int control : {209, 210}) {
        EXPECT_FALSE(sheet_.Checked(control)) << control;
        EXPECT_FALSE(sheet_.Enabled(control)) << control;
    }
    sheet_.Click(208);
    sheet_.Click(209);
    sheet_.Click(210);
    EXPECT_TRUE(sheet_.Checked(209) && sheet_.Checked(210)) << "both may be on together";
    ASSERT_TRUE(sheet_.Apply(kOverwritesPage));
    EXPECT_EQ(CopyOptions.NeverOverwrite, 0u);
    EXPECT_EQ(CopyOptions.OverwriteOlder, 1u);
    EXPECT_EQ(CopyOptions.PromptOnOverwrite, 1u);
}

TEST_F(OptionsSheetTest, LeavingErrorsPageWithoutALogFileName) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.CreateLogfile = 1;
    CopyOptions.LogFileName = "/var/log/old.log";
    sheet_.ShowPage(kCopyingPage);
    sheet_.ShowPage(kErrorsPage);
    sheet_.SetText(222, "");
    EXPECT_FALSE(sheet_.KillActive(kErrorsPage));
    EXPECT_EQ(ui_.beeps, std::vector<unsigned>{MB_BEEP_EXCLAMATION});
    EXPECT_EQ(TakeStopBox(), "A log file name is required if you want to log messages.");
    EXPECT_EQ(sheet_.Text(222), "/var/log/old.log") << "the stored name is put back";
    EXPECT_EQ(sheet_.FocusControl(), 222);

    // OK on that page refuses the same way and applies nothing.
    sheet_.SetText(222, "");
    sheet_.Click(242);
    EXPECT_FALSE(sheet_.Apply(kErrorsPage));
    EXPECT_EQ(sheet_.RefusingPage(), kErrorsPage);
    EXPECT_EQ(TakeStopBox(), "A log file name is required if you want to log messages.");
    EXPECT_EQ(CopyOptions.TrackDirectory, 0u);
}

TEST_F(OptionsSheetTest, LogFileNameTakenOnLeavingSurvivesCancel) {
    TargetPathHistory = {"\\SYS\\A"};
    CopyOptions.CreateLogfile = 1;
    CopyOptions.LogFileName = "/var/log/old.log";
    sheet_.ShowPage(kCopyingPage);
    sheet_.Click(212);
    sheet_.ShowPage(kErrorsPage);
    sheet_.Click(234);
    sheet_.LogFilePicked("/var/log/new.log");
    EXPECT_EQ(CopyOptions.LogFileName, "/var/log/old.log") << "not before leaving the page";
    EXPECT_TRUE(sheet_.KillActive(kErrorsPage));
    EXPECT_EQ(CopyOptions.LogFileName, "/var/log/new.log");

    sheet_.Reset();
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(CopyOptions.LogFileName, "/var/log/new.log");
    EXPECT_EQ(CopyOptions.CopySubDirs, 0u);
    EXPECT_EQ(CopyOptions.VerboseLogging, 0u);
    EXPECT_EQ(CopyOptions.TargetPath, "");

    // Without "Create a log file" the name typed is not taken.
    CopyOptions.CreateLogfile = 0;
    OptionsSheetModel other;
    other.ShowPage(kErrorsPage);
    other.Click(206);
    other.Click(206);
    other.SetText(222, "/tmp/typed.log");
    EXPECT_TRUE(other.KillActive(kErrorsPage));
    EXPECT_EQ(CopyOptions.LogFileName, "/var/log/new.log");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(OptionsSheetTest, EmptyDestinationIsRefusedUntilAFolderIsPicked) {
    sheet_.ShowPage(kCopyingPage);
    EXPECT_TRUE(sheet_.ComboItems().empty());
    EXPECT_EQ(sheet_.ComboSelection(), -1);
    sheet_.ShowPage(kAttributesPage);
    sheet_.Click(213);
    EXPECT_FALSE(sheet_.Apply(kAttributesPage));
    EXPECT_EQ(ui_.beeps, std::vector<unsigned>{MB_BEEP_EXCLAMATION});
    EXPECT_EQ(TakeStopBox(), "You must specify a destination path for file copies.");
    EXPECT_EQ(sheet_.RefusingPage(), kCopyingPage);
    EXPECT_EQ(sheet_.FocusControl(), 216);
    EXPECT_EQ(CopyOptions.CopyAttributes, 0u) << "a refused OK applies no page";

    sheet_.FolderPicked("/net/ACME_HQ/DATA/Apps");
    EXPECT_EQ(sheet_.ComboItems(), std::vector<std::string>{"\\DATA\\Apps"});
    EXPECT_EQ(sheet_.ComboSelection(), 0);
    ASSERT_TRUE(sheet_.Apply(kCopyingPage));
    EXPECT_EQ(sheet_.RefusingPage(), -1);
    EXPECT_EQ(CopyOptions.TargetPath, "\\DATA\\Apps");
    EXPECT_EQ(CopyOptions.CopyAttributes, 1u);
}

TEST_F(OptionsSheetTest, PickedFoldersAndTheHistory) {
    for (int i = 1; i <= 15; ++i)
        TargetPathHistory.push_back("\\SYS\\P" + std::to_string(i));
    sheet_.ShowPage(kCopyingPage);

    // Already there in another case: moved to the top, not added twice.
    sheet_.FolderPicked("/net/ACME_HQ/sys/p7");
    EXPECT_EQ(sheet_.ComboItems().size(), 15u);
    EXPECT_EQ(sheet_.ComboItems().front(), "\\sys\\p7");
    EXPECT_EQ(sheet_.ComboSelection(), 0);
    // A 16th distinct one drops the oldest.
    sheet_.FolderPicked("/net/ACME_HQ/DATA/NEW");
    EXPECT_EQ(History().size(), 15u);
    EXPECT_EQ(History().front(), "\\DATA\\NEW");
    EXPECT_EQ(History().back(), "\\SYS\\P14");

    // Not on the network: message 429 with the path upper-cased, history unchanged.
    std::vector<std::string> before = History();
    sheet_.FolderPicked("/home/user/Documents");
    EXPECT_EQ(TakeStopBox(),
              "ERROR - Cannot verify target path /HOME/USER/DOCUMENTS. It is either not a NetWare "
              "file system path or you do not have a connection to that file server.");
    EXPECT_EQ(History(), before);
    EXPECT_EQ(sheet_.ComboItems(), before);
}

TEST_F(OptionsSheetTest, ChoosingAnEntryMovesItToTheTop) {
    TargetPathHistory = {"\\A", "\\B", "\\C"};
    sheet_.ShowPage(kCopyingPage);
    EXPECT_EQ(sheet_.ComboSelection(), 0);
    sheet_.SelectComboItem(2);
    EXPECT_EQ(sheet_.ComboItems(), (std::vector<std::string>{"\\C", "\\A", "\\B"}));
    EXPECT_EQ(sheet_.ComboSelection(), 0);
    ASSERT_TRUE(sheet_.Apply(kCopyingPage));
    EXPECT_EQ(CopyOptions.TargetPath, "\\C");
    EXPECT_EQ(History(), (std::vector<std::string>{"\\C", "\\A", "\\B"}));
}

TEST_F(OptionsSheetTest, OpeningTheSheetClearsCancelAndReturnsItsResult) {
    CancelRequested = true;
    EXPECT_EQ(OpenOptionsSheet(kMainWindow), 1);
    EXPECT_FALSE(CancelRequested);
    EXPECT_EQ(ui_.optionsSheetsShown, 1);
    ui_.optionsSheetResult = -1;
    EXPECT_EQ(OpenOptionsSheet(kMainWindow), -1);
}

TEST_F(OptionsSheetTest, HelpAndDialogTexts) {
    EXPECT_EQ(OptionsSheetModel::HelpContext(64), 3470);
    EXPECT_EQ(OptionsSheetModel::HelpContext(9999), 0);
    OptionsSheetModel::ShowSheetHelp();
    OptionsSheetModel::ShowControlHelp(334);
    OptionsSheetModel::ShowControlHelp(241);
    ASSERT_EQ(ui_.helpCalls.size(), 2u);
    EXPECT_EQ(ui_.helpCalls[0].helpFile, "FARCAST.HLP");
    EXPECT_EQ(ui_.helpCalls[0].command, HELP_CONTEXT);
    EXPECT_EQ(ui_.helpCalls[0].data, 990u);
    EXPECT_EQ(ui_.helpCalls[1].command, HELP_WM_HELP);
    EXPECT_EQ(ui_.helpCalls[1].data, 3190u);

    using Filters = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(OptionsSheetModel::LogFileFilters(), (Filters{{"Log Files (*.log)", "*.log"},
                                                            {"Text Files (*.txt)", "*.txt"},
                                                            {"All Files (*.*)", "*.*"}}));
}

}  // namespace
