// Where the progress line's figures come from: the count while counting, then files taken up
// per server (a server given up counts whole), and the bytes of the file being copied only as
// they arrive.

#include <gtest/gtest.h>

#include "copy/copy_run.h"
#include "scripted/scripted_window_system.h"
#include "tools/run_progress.h"

namespace {

constexpr int kFromField = 201;
constexpr int kFileSizeField = 223;
constexpr int kCopiedField = 233;

class RunProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = CopyRun;
        CopyRun = CopyRunState{};
        CopyRun.SelectedServerCount = 2;
        CopyRun.ServerResults = {{"T1"}, {"T2"}};
        CopyRun.SourceFiles = ByteCount::From(10);
        CopyRun.SourceBytes = ByteCount::From(1000);
    }
    void TearDown() override { CopyRun = saved_; }

    void ShowFiles(win::WindowId dialog, int count) {
        for (int i = 0; i < count; ++i)
            ui_.SetDlgItemText(dialog, kFromField, "\\\\SRC\\DATA\\f.txt");
    }

    CopyRunState saved_;
    win::ScriptedWindowSystem ui_;
    RunProgress progress_{ui_};
};

TEST_F(RunProgressTest, WhileCountingTheCountSoFar) {
    ui_.CreateProgressDialog(win::DialogKind::ReadDir, win::kMainWindow);
    CopyRun.SourceFiles = ByteCount::From(7);
    CopyRun.SourceBytes = ByteCount::From(700);
    const ProgressSnapshot s = progress_.Take();
    EXPECT_TRUE(s.counting);
    EXPECT_EQ(s.filesDone, 7u);
    EXPECT_EQ(s.bytesDone, 700u);
}

TEST_F(RunProgressTest, FilesPerServerAndAServerGivenUpCountsWhole) {
    const win::WindowId dialog = ui_.CreateProgressDialog(win::DialogKind::CopyFiles, 0);
    ui_.SendServerName(dialog, "T1");
    ShowFiles(dialog, 3);  // T1 given up after three files
    ProgressSnapshot s = progress_.Take();
    EXPECT_FALSE(s.counting);
    EXPECT_EQ(s.filesDone, 3u);
    EXPECT_EQ(s.filesTotal, 20u);
    EXPECT_EQ(s.bytesTotal, 2000u);
    EXPECT_EQ(s.servers, std::vector<std::string>{"T1"});
    ui_.SendServerName(dialog, "T2");
    ShowFiles(dialog, 4);
    s = progress_.Take();
    EXPECT_EQ(s.filesDone, 14u);
    EXPECT_EQ(s.servers, std::vector<std::string>{"T2"});
}

TEST_F(RunProgressTest, TheFileBeingCopiedCountsAsItArrives) {
    const win::WindowId dialog = ui_.CreateProgressDialog(win::DialogKind::CopyFiles, 0);
    ui_.SendServerName(dialog, "T1");
    CopyRun.RunBytesProcessed = ByteCount::From(900);  // a file of 800 bytes decided
    ui_.SetDlgItemText(dialog, kFileSizeField, "800 bytes");
    ui_.SetDlgItemText(dialog, kCopiedField, "200 bytes");
    EXPECT_EQ(progress_.Take().bytesDone, 300u);
    ui_.SetDlgItemText(dialog, kCopiedField, "800 bytes");
    EXPECT_EQ(progress_.Take().bytesDone, 900u);
    ui_.SetDlgItemText(dialog, kFileSizeField, " ");  // between files
    ui_.SetDlgItemText(dialog, kCopiedField, " ");
    EXPECT_EQ(progress_.Take().bytesDone, 900u);
}

}  // namespace
