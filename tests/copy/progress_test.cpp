// The server and overall bars, the user's Cancel, and writes to dialogs that are gone.
#include "copy/progress_dialogs.h"

#include <gtest/gtest.h>

#include "copy/copy_run.h"
#include "scripted/scripted_window_system.h"

namespace {

using win::DialogKind;

class ProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CopyRun = CopyRunState{};
        CancelRequested = false;
        SyncDialog = win::kNoWindow;
        win::SetUi(&ui);
        ProgressDialog = ui.CreateProgressDialog(DialogKind::CopyFiles, win::kMainWindow);
        copy = ProgressDialog;
    }
    void TearDown() override {
        win::SetUi(nullptr);
        ProgressDialog = win::kNoWindow;
    }
    int ServerBar() { return ui.FindDialog(copy)->Bar(205); }
    int OverallBar() { return ui.FindDialog(copy)->Bar(224); }

    win::ScriptedWindowSystem ui;
    win::WindowId copy = win::kNoWindow;
};

TEST_F(ProgressTest, NothingToCopyPutsBothBarsAtTheEnd) {
    CopyRun.SelectedServerCount = 2;
    UpdateProgressBars();
    EXPECT_EQ(ServerBar(), 100);
    EXPECT_EQ(OverallBar(), 100);
}

TEST_F(ProgressTest, ThreeServersAdvanceTheOverallBarByThirds) {
    CopyRun.SelectedServerCount = 3;
    CopyRun.SourceBytes = ByteCount::From(3000);
    CopyRun.ServerBytesProcessed = ByteCount::From(1500);
    CopyRun.RunBytesProcessed = ByteCount::From(1500);
    UpdateProgressBars();
    EXPECT_EQ(ServerBar(), 50);
    EXPECT_EQ(OverallBar(), 16);  // 1500 / 9000, rounded down
    CopyRun.ServerBytesProcessed = ByteCount::From(3000);
    CopyRun.RunBytesProcessed = ByteCount::From(3000);
    UpdateProgressBars();
    EXPECT_EQ(ServerBar(), 100);
    EXPECT_EQ(OverallBar(), 33);
    CopyRun.RunBytesProcessed = ByteCount::From(9001);  // never beyond the end
    UpdateProgressBars();
    EXPECT_EQ(OverallBar(), 100);
}

TEST_F(ProgressTest, LargeSourcesDoNotOverflowThePercentages) {
    // 10 TiB on three servers: the products exceed 32 bits many times over.
    const std::uint64_t tenTiB = 10ull << 40;
    CopyRun.SelectedServerCount = 3;
    CopyRun.SourceBytes = ByteCount::From(tenTiB);
    CopyRun.ServerBytesProcessed = ByteCount::From(tenTiB / 4 * 3);
    CopyRun.RunBytesProcessed = ByteCount::From(tenTiB * 2);
    UpdateProgressBars();
    EXPECT_EQ(ServerBar(), 75);
    EXPECT_EQ(OverallBar(), 66);
}

TEST_F(ProgressTest, CancelForgetsOnlyTheCancelledDialog) {
    SyncDialog = ui.CreateProgressDialog(DialogKind::SyncDir, win::kMainWindow);
    const win::WindowId sync = SyncDialog;
    win::SetDialogCancelHandler(&ProgressDialogCancelled);
    ui.CancelDialog(sync);
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(SyncDialog, win::kNoWindow);
    EXPECT_EQ(ProgressDialog, copy) << "the copy dialog stays in its slot";
    CancelRequested = false;
    ui.CancelDialog(copy);
    win::SetDialogCancelHandler(nullptr);
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(ProgressDialog, win::kNoWindow);
}

TEST_F(ProgressTest, WritesToADialogThatIsGoneDoNothing) {
    SetDialogField(copy, 201, "from");
    SetDialogCount(copy, 223, ByteCount::From(1234567));
    SetDialogBar(copy, 204, 40);
    EXPECT_EQ(ui.FindDialog(copy)->Field(201), "from");
    EXPECT_EQ(ui.FindDialog(copy)->Field(223), "1,234,567");
    ui.DestroyDialog(copy);
    ProgressDialog = win::kNoWindow;
    SetDialogField(copy, 201, "late");
    SetDialogBar(copy, 204, 50);
    CopyRun.SelectedServerCount = 1;
    UpdateProgressBars();
    EXPECT_EQ(ui.writesToMissingDialogs, 0);
    EXPECT_EQ(ui.FindDialog(copy)->Field(201), "from");
}

}  // namespace
