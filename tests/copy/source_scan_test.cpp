// Sorting the drop and counting the source, with the counting dialog's fields.
#include "copy/source_scan.h"

#include "copy/progress_dialogs.h"

#include "tests/copy/run_fixture.h"

namespace {

using win::DialogKind;

class SourceScanTest : public RunFixture {
  protected:
    void Scan(std::vector<std::string> paths) {
        ProgressDialog = ui.CreateProgressDialog(DialogKind::ReadDir, win::kMainWindow);
        counting = ui.FindDialog(ProgressDialog)->id;
        CopyRun.DroppedPaths = std::move(paths);
        ScanSources();
    }
    const win::RecordedDialog& Counting() { return *ui.FindDialog(counting); }
    win::WindowId counting = win::kNoWindow;
};

TEST_F(SourceScanTest, SortsTheDropAndCountsWhatTheCopyWillTouch) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "0123456789");
    Net().WriteFile("HQ/DATA/SRC/D/H.TXT", "hid");
    Net().WriteFile("HQ/DATA/SRC/D/.profile", "p");
    Net().WriteFile("HQ/DATA/SRC/D/.cache/X.TXT", "never counted");
    Net().WriteFile("HQ/DATA/SRC/D/S/F.TXT", "ffff");
    std::string error;
    ASSERT_TRUE(Net().Net().SetAttributes("\\\\HQ\\DATA\\SRC\\D\\H.TXT",
                                          win::FILE_ATTRIBUTE_HIDDEN | win::FILE_ATTRIBUTE_SYSTEM,
                                          &error))
        << error;
    Scan({"\\\\HQ\\DATA\\SRC\\D", "\\\\HQ\\DATA\\SRC\\GONE.TXT", "\\\\HQ\\DATA\\SRC\\A.TXT"});

    EXPECT_EQ(CopyRun.DroppedFiles, (std::vector<std::string>{"\\\\HQ\\DATA\\SRC\\A.TXT"}));
    EXPECT_EQ(CopyRun.DroppedDirectories, (std::vector<std::string>{"\\\\HQ\\DATA\\SRC\\D"}));
    EXPECT_EQ(CopyRun.SourceDirectories, 2u);  // D and S; .cache is never entered
    EXPECT_EQ(CopyRun.SourceFiles, 4u);        // hidden, system and dot files count
    EXPECT_EQ(CopyRun.SourceBytes, 18u);
    EXPECT_TRUE(ui.boxes.empty()) << "a vanished name is left out without a word";

    // Every change is shown at once.
    EXPECT_EQ(Counting().FieldHistory(226), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(Counting().FieldHistory(221), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Counting().FieldHistory(223).size(), 4u);
    EXPECT_EQ(Counting().Field(223), "18");
    for (const std::string& shown : Counting().FieldHistory(225))
        EXPECT_EQ(shown.find(".cache"), std::string::npos);
}

TEST_F(SourceScanTest, WithoutSubdirectoriesADirectoryCountsWithItsOwnFilesOnly) {
    Start();
    CopyOptions.CopySubDirs = 0;
    Net().WriteFile("HQ/DATA/SRC/D/ONE.TXT", "1");
    Net().WriteFile("HQ/DATA/SRC/D/S/TWO.TXT", "22");
    Scan({"\\\\HQ\\DATA\\SRC\\D"});
    EXPECT_EQ(CopyRun.SourceDirectories, 1u);
    EXPECT_EQ(CopyRun.SourceFiles, 1u);
    EXPECT_EQ(CopyRun.SourceBytes, 1u);
}

TEST_F(SourceScanTest, VolumeRootsAndMappedDriveRootsAreDirectories) {
    Start(R"(
[workstation.drives]
X = '\\HQ\DATA'
)");
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "abc");
    Scan({"\\\\HQ\\DATA", "X:\\"});
    ASSERT_EQ(CopyRun.DroppedDirectories.size(), 2u);
    EXPECT_EQ(CopyRun.DroppedDirectories[0], "\\\\HQ\\DATA");
    EXPECT_EQ(CopyRun.DroppedDirectories[1], "\\\\HQ\\DATA");
    EXPECT_TRUE(CopyRun.DroppedFiles.empty());
    EXPECT_EQ(CopyRun.SourceFiles, 2u);
    EXPECT_EQ(CopyRun.SourceBytes, 6u);
}

TEST_F(SourceScanTest, FilesOfFourGigabytesAndMoreCountWhole) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/BIG.BIN", "");
    const std::uint64_t size = 5ull << 30;  // sparse: takes no room on disk
    std::filesystem::resize_file(Net().LocalPath("HQ/DATA/SRC/BIG.BIN"), size);
    Scan({"\\\\HQ\\DATA\\SRC\\BIG.BIN"});
    EXPECT_EQ(CopyRun.SourceBytes.ToU64(), size);
    EXPECT_EQ(Counting().Field(223), "5,368,709,120");
}

TEST_F(SourceScanTest, CancelInADeepWalkStopsBeforeTheNextDirectory) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/D/L1/L2/L3/F.TXT", "f");
    ui.onPump = [&] {
        if (CopyRun.SourceDirectories == 2u && ui.IsWindow(counting))
            ui.CancelDialog(counting);
    };
    win::SetDialogCancelHandler(&ProgressDialogCancelled);
    Scan({"\\\\HQ\\DATA\\SRC\\D", "\\\\HQ\\DATA\\SRC\\D"});
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(CopyRun.SourceDirectories, 2u);
    EXPECT_EQ(CopyRun.SourceFiles, 0u);
    EXPECT_EQ(CopyRun.DroppedDirectories.size(), 1u) << "the second entry is never reached";
}

// An entry beyond the limit inside a dropped directory is left out of the count without a word:
// the copy reports it, once for each server. A dropped name beyond it is reported here, once.
TEST_F(SourceScanTest, APathOverTheLimitIsLeftOutOfTheCountNeverCut) {
    Start();
    const std::string directory(200, 'D');
    const std::string longFile = std::string(60, 'F') + ".TXT";
    Net().WriteFile("HQ/DATA/SRC/" + directory + "/" + longFile, "too long");
    Net().WriteFile("HQ/DATA/SRC/" + directory + "/OK.TXT", "ok");
    Scan({"\\\\HQ\\DATA\\SRC\\" + directory});
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(CopyRun.SourceFiles, 1u);
    EXPECT_EQ(CopyRun.SourceBytes, 2u);

    ui.boxes.clear();
    const std::string tooLong = "\\\\HQ\\DATA\\SRC\\" + directory + "\\" + longFile;
    Scan({tooLong});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "ERROR - The path " + tooLong +
                                    " is longer than 259 characters and has been skipped.");
    EXPECT_TRUE(CopyRun.DroppedFiles.empty());
}

}  // namespace
