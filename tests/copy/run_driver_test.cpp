// The copy run from the drop to the summary, over the simulated network.
#include "tests/copy/run_fixture.h"

namespace {

using win::DialogKind;

class RunDriverTest : public RunFixture {};

TEST_F(RunDriverTest, NothingSelectedShowsOnlyTheSelectionMessage) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/a.txt", "abc");
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, LoadResString(IDS_ERR_NO_SERVER_SELECTED));
    EXPECT_EQ(ui.boxes[0].style, 0x10010u);
    EXPECT_EQ(ui.optionsSheetsShown, 0);
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(LastRunReachedSummary());
    EXPECT_FALSE(RunInProgress());
}

TEST_F(RunDriverTest, LocalDropIsRefusedBeforeTheOptionsSheet) {
    Start();
    Select({"ALPHA"});
    const std::string local = ::testing::TempDir() + "farcast-local-drop.txt";
    std::ofstream(local) << "x";
    RunCopy({local});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.rfind("ERROR - Source files and directories must be on a NetWare "
                                     "volume.",
                                     0),
              0u);
    EXPECT_EQ(ui.optionsSheetsShown, 0);
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_TRUE(CopyRun.DroppedFiles.empty());
}

TEST_F(RunDriverTest, OptionsSheetCancelledOrMissingEndsTheRun) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "abc");
    ui.optionsSheetResult = win::IDCANCEL;
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(std::filesystem::exists(log)) << "the log opens only after the sheet";

    ui.optionsSheetResult = -1;
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, LoadResString(IDS_ERR_OPTIONS_DIALOG));
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/a.txt"));
}

TEST_F(RunDriverTest, EmptyDestinationShowsItsMessageAndEndsTheRun) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "abc");
    TargetPathHistory.clear();
    CopyOptions.TargetPath.clear();
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    EXPECT_EQ(ui.CountBoxes(LoadResString(IDS_DESTINATION_REQUIRED)), 1);
    EXPECT_FALSE(SummaryShown());
    EXPECT_FALSE(LastRunReachedSummary());
}

TEST_F(RunDriverTest, ServersAreProcessedInListOrderWhateverTheSelectionOrder) {
    Start();
    Select({"GAMMA", "ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "hello");
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    EXPECT_EQ(ServerTitles(), (std::vector<std::string>{CopyTitle("ALPHA"), CopyTitle("BETA"),
                                                        CopyTitle("GAMMA")}));
    for (const char* server : {"ALPHA", "BETA", "GAMMA"})
        EXPECT_EQ(Net().ReadFile(std::string(server) + "/DATA/DEST/a.txt"), "hello");
    EXPECT_EQ(CopyRun.RunFilesUpdated, 3u);
    EXPECT_EQ(CopyRun.RunBytesUpdated, 15u);
    EXPECT_TRUE(SummaryShown());
    EXPECT_TRUE(LastRunReachedSummary());
    // Everything of the run is released; the main window takes input again.
    EXPECT_TRUE(CopyRun.DroppedFiles.empty());
    EXPECT_TRUE(CopyRun.SelectedServers.empty());
    EXPECT_TRUE(CopyRun.CopyBuffer.empty());
    EXPECT_EQ(ProgressDialog, win::kNoWindow);
    EXPECT_TRUE(ui.IsEnabled(win::kMainWindow));
}

TEST_F(RunDriverTest, TrackDirectoryOffersTheSourceFolderAndSkipsTheSourceServer) {
    Start();
    Select({"HQ", "ALPHA"});
    Net().MakeDir("ALPHA/DATA/SRC");
    Net().WriteFile("HQ/DATA/SRC/report.txt", "r");
    CopyOptions.TrackDirectory = 1;
    std::string frontWhenShown;
    ui.onOptionsSheet = [&](OptionsSheetModel&) { frontWhenShown = TargetPathHistory.front(); };
    RunCopy({"\\\\HQ\\DATA\\SRC\\REPORT.TXT"});
    EXPECT_EQ(frontWhenShown, "\\DATA\\SRC");
    EXPECT_EQ(TargetPathHistory.size(), 2u) << "the earlier destination is kept";
    EXPECT_EQ(CopyOptions.TargetPath, "\\DATA\\SRC");
    EXPECT_EQ(ui.CountBoxes("ERROR - Source and target directories are the same."), 1);
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/SRC/report.txt"), "r");
    EXPECT_EQ(ui.CountBoxes(LoadResString(IDS_ASK_NEXT_SERVER)), 0);
}

TEST_F(RunDriverTest, CancelWhileCountingEndsWithoutCopyOrSummary) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/tree/a.txt", "a");
    Net().WriteFile("HQ/DATA/SRC/tree/sub/b.txt", "b");
    ui.onPump = [&] {
        if (win::RecordedDialog* counting = ui.LastDialog(DialogKind::ReadDir);
            counting && counting->open)
            ui.CancelDialog(counting->id);
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\tree"});
    EXPECT_EQ(ui.DialogCount(DialogKind::CopyFiles), 0);
    EXPECT_FALSE(SummaryShown());
    EXPECT_FALSE(LastRunReachedSummary());
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/tree"));
    EXPECT_TRUE(ui.IsEnabled(win::kMainWindow));
    EXPECT_TRUE(CopyRun.DroppedDirectories.empty());
}

TEST_F(RunDriverTest, CancelWhileCopyingStopsAndStillShowsTheSummary) {
    Start();
    Select({"ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "a");
    Net().WriteFile("HQ/DATA/SRC/b.txt", "b");
    ui.onPump = [&] {
        win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
        if (copy && copy->open && Net().Exists("ALPHA/DATA/DEST/a.txt"))
            ui.CancelDialog(copy->id);
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt", "\\\\HQ\\DATA\\SRC\\b.txt"});
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/b.txt"));
    EXPECT_FALSE(Net().Exists("BETA/DATA/DEST/a.txt"));
    EXPECT_TRUE(SummaryShown());
    EXPECT_EQ(CopyRun.RunFilesUpdated, 1u) << "the summary has the totals reached so far";
    EXPECT_TRUE(ui.IsEnabled(win::kMainWindow));
}

TEST_F(RunDriverTest, SyncDirsWithOnlyFilesNeverSynchronises) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "a");
    Net().WriteFile("ALPHA/DATA/DEST/extra.txt", "keep");
    CopyOptions.SyncDirs = 1;
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    EXPECT_EQ(ui.DialogCount(DialogKind::SyncDir), 0);
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/DEST/extra.txt"));
    EXPECT_TRUE(SummaryShown());
}

TEST_F(RunDriverTest, SourceTotalsAreLoggedOnlyWhenLogging) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/d/a.txt", std::string(1500, 'x'));
    Net().WriteFile("HQ/DATA/SRC/d/e/b.txt", "b");
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\d"});
    const std::string text = ReadLocal(log);
    EXPECT_NE(text.find("Source Directories:\t2\r\nSource Files:\t2\r\nSource Bytes:\t1,501"),
              std::string::npos)
        << text;

    CopyOptions.CreateLogfile = 0;
    std::filesystem::remove(log);
    ui.SelectServerByName("ALPHA");
    RunCopy({"\\\\HQ\\DATA\\SRC\\d"});
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(RunDriverTest, ASecondRunStartsFromEmptyListsAndZeroTotals) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "aaaa");
    Net().WriteFile("HQ/DATA/SRC/b.txt", "bb");
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    ui.SelectServerByName("ALPHA");
    RunCopy({"\\\\HQ\\DATA\\SRC\\b.txt"});
    EXPECT_EQ(CopyRun.SourceFiles, 1u);
    EXPECT_EQ(CopyRun.SourceBytes, 2u);
    EXPECT_EQ(CopyRun.RunFilesUpdated, 1u);
    EXPECT_EQ(CopyRun.RunBytesUpdated, 2u);
}

TEST_F(RunDriverTest, DropWhileARunWindsDownIsRefusedAndStartsNothing) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/a.txt", "a");
    bool dropped = false;
    ui.onPump = [&] {
        win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
        if (!dropped && copy && copy->open) {
            dropped = true;
            ui.CancelDialog(copy->id);  // the main window takes input again at once
            EXPECT_TRUE(RunInProgress());
            RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
        }
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    EXPECT_EQ(ui.CountBoxes(LoadResString(IDS_ERR_RUN_STILL_ENDING)), 1);
    EXPECT_EQ(ui.optionsSheetsShown, 1);
    EXPECT_EQ(ui.DialogCount(DialogKind::ReadDir), 1);
    EXPECT_EQ(ui.DialogCount(DialogKind::CopyFiles), 1);
    EXPECT_TRUE(SummaryShown()) << "the first run still ends on its summary";
    EXPECT_FALSE(RunInProgress());
}

}  // namespace
