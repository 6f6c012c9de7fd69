// The copy run from the drop to the summary, over the simulated network.
#include "tests/copy/run_fixture.h"

namespace {

using win::DialogKind;

class RunDriverTest : public RunFixture {};

TEST_F(RunDriverTest, NothingSelectedShowsOnlyTheSelectionMessage) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "abc");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
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
    // A file of a directory of its own, off the network, removed afterwards.
    std::string dir = ::testing::TempDir() + "farcast-local-drop-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    struct RemovedAtEnd {
        std::string path;
        ~RemovedAtEnd() { std::filesystem::remove_all(path); }
    } removed{dir};
    const std::string local = dir + "/local.txt";
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
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "abc");
    ui.optionsSheetResult = win::IDCANCEL;
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(std::filesystem::exists(log)) << "the log opens only after the sheet";

    ui.optionsSheetResult = -1;
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, LoadResString(IDS_ERR_OPTIONS_DIALOG));
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/A.TXT"));
}

TEST_F(RunDriverTest, EmptyDestinationShowsItsMessageAndEndsTheRun) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "abc");
    TargetPathHistory.clear();
    CopyOptions.TargetPath.clear();
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_EQ(ui.CountBoxes(LoadResString(IDS_DESTINATION_REQUIRED)), 1);
    EXPECT_FALSE(SummaryShown());
    EXPECT_FALSE(LastRunReachedSummary());
}

TEST_F(RunDriverTest, LogFileThatCannotBeOpenedEndsTheRunBeforeCounting) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    CopyOptions.CreateLogfile = 1;
    CopyOptions.LogFileName = ::testing::TempDir() + "no-such-directory/run.log";
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              FormatText(LoadResString(IDS_ERR_OPEN_LOG), CopyOptions.LogFileName.c_str()));
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/A.TXT"));
    EXPECT_FALSE(LastRunReachedSummary());
}

TEST_F(RunDriverTest, AServerWhoseVolumeFailsIsReportedAndTheNextOneFollows) {
    Start(R"(
[[fault]]
call = "NWGetVolumeNumber"
server = "ALPHA"
code = 0x8998
)");
    Select({"ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    ui.answers = {win::IDYES};
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    ASSERT_GE(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[0].text.rfind("ERROR - Volume DATA does not exist on server ALPHA.", 0), 0u)
        << ui.boxes[0].text;
    EXPECT_EQ(ui.boxes[1].text, LoadResString(IDS_ASK_NEXT_SERVER));
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/A.TXT"));
    EXPECT_TRUE(Net().Exists("BETA/DATA/DEST/A.TXT"));
    EXPECT_TRUE(SummaryShown());
}

TEST_F(RunDriverTest, ServersAreProcessedInListOrderWhateverTheSelectionOrder) {
    Start();
    Select({"GAMMA", "ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "hello");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_EQ(ServerTitles(), (std::vector<std::string>{CopyTitle("ALPHA"), CopyTitle("BETA"),
                                                        CopyTitle("GAMMA")}));
    for (const char* server : {"ALPHA", "BETA", "GAMMA"})
        EXPECT_EQ(Net().ReadFile(std::string(server) + "/DATA/DEST/A.TXT"), "hello");
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
    Net().WriteFile("HQ/DATA/SRC/REPORT.TXT", "r");
    CopyOptions.TrackDirectory = 1;
    std::string frontWhenShown;
    ui.onOptionsSheet = [&](OptionsSheetModel&) { frontWhenShown = TargetPathHistory.front(); };
    RunCopy({"\\\\HQ\\DATA\\SRC\\REPORT.TXT"});
    EXPECT_EQ(frontWhenShown, "\\DATA\\SRC");
    EXPECT_EQ(TargetPathHistory.size(), 2u) << "the earlier destination is kept";
    EXPECT_EQ(CopyOptions.TargetPath, "\\DATA\\SRC");
    EXPECT_EQ(ui.CountBoxes("ERROR - Source and target directories are the same."), 1);
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/SRC/REPORT.TXT"), "r");
    EXPECT_EQ(ui.CountBoxes(LoadResString(IDS_ASK_NEXT_SERVER)), 0);
}

TEST_F(RunDriverTest, CancelWhileCountingEndsWithoutCopyOrSummary) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/TREE/A.TXT", "a");
    Net().WriteFile("HQ/DATA/SRC/TREE/sub/B.TXT", "b");
    ui.onPump = [&] {
        if (win::RecordedDialog* counting = ui.LastDialog(DialogKind::ReadDir);
            counting && counting->open)
            ui.CancelDialog(counting->id);
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\TREE"});
    EXPECT_EQ(ui.DialogCount(DialogKind::CopyFiles), 0);
    EXPECT_FALSE(SummaryShown());
    EXPECT_FALSE(LastRunReachedSummary());
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/TREE"));
    EXPECT_TRUE(ui.IsEnabled(win::kMainWindow));
    EXPECT_TRUE(CopyRun.DroppedDirectories.empty());
}

TEST_F(RunDriverTest, CancelWhileCopyingStopsAndStillShowsTheSummary) {
    Start();
    Select({"ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    Net().WriteFile("HQ/DATA/SRC/B.TXT", "b");
    ui.onPump = [&] {
        win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
        if (copy && copy->open && Net().Exists("ALPHA/DATA/DEST/A.TXT"))
            ui.CancelDialog(copy->id);
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\B.TXT"});
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/B.TXT"));
    EXPECT_FALSE(Net().Exists("BETA/DATA/DEST/A.TXT"));
    EXPECT_TRUE(SummaryShown());
    EXPECT_EQ(CopyRun.RunFilesUpdated, 1u) << "the summary has the totals reached so far";
    EXPECT_TRUE(ui.IsEnabled(win::kMainWindow));
}

TEST_F(RunDriverTest, SyncDirsWithOnlyFilesNeverSynchronises) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    Net().WriteFile("ALPHA/DATA/DEST/extrA.TXT", "keep");
    CopyOptions.SyncDirs = 1;
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_EQ(ui.DialogCount(DialogKind::SyncDir), 0);
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/DEST/extrA.TXT"));
    EXPECT_TRUE(SummaryShown());
}

TEST_F(RunDriverTest, SourceTotalsAreLoggedOnlyWhenLogging) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/D/A.TXT", std::string(1500, 'x'));
    Net().WriteFile("HQ/DATA/SRC/D/E/B.TXT", "b");
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\D"});
    const std::string text = ReadLocal(log);
    EXPECT_NE(text.find("Source Directories:\t2\r\nSource Files:\t2\r\nSource Bytes:\t1,501"),
              std::string::npos)
        << text;

    CopyOptions.CreateLogfile = 0;
    std::filesystem::remove(log);
    ui.SelectServerByName("ALPHA");
    RunCopy({"\\\\HQ\\DATA\\SRC\\D"});
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(RunDriverTest, ASecondRunStartsFromEmptyListsAndZeroTotals) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "aaaa");
    Net().WriteFile("HQ/DATA/SRC/B.TXT", "bb");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    ui.SelectServerByName("ALPHA");
    RunCopy({"\\\\HQ\\DATA\\SRC\\B.TXT"});
    EXPECT_EQ(CopyRun.SourceFiles, 1u);
    EXPECT_EQ(CopyRun.SourceBytes, 2u);
    EXPECT_EQ(CopyRun.RunFilesUpdated, 1u);
    EXPECT_EQ(CopyRun.RunBytesUpdated, 2u);
}

TEST_F(RunDriverTest, DropWhileARunWindsDownIsRefusedAndStartsNothing) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    bool dropped = false;
    ui.onPump = [&] {
        win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
        if (!dropped && copy && copy->open) {
            dropped = true;
            ui.CancelDialog(copy->id);  // the main window takes input again at once
            EXPECT_TRUE(RunInProgress());
            RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
        }
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_EQ(ui.CountBoxes(LoadResString(IDS_ERR_RUN_STILL_ENDING)), 1);
    EXPECT_EQ(ui.optionsSheetsShown, 1);
    EXPECT_EQ(ui.DialogCount(DialogKind::ReadDir), 1);
    EXPECT_EQ(ui.DialogCount(DialogKind::CopyFiles), 1);
    EXPECT_TRUE(SummaryShown()) << "the first run still ends on its summary";
    EXPECT_FALSE(RunInProgress());
}

}  // namespace
