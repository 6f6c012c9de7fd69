// What a run did on each selected server, the names it left out, and whether it went wrong:
// the records behind farcast-run's [server] and [skipped] lines and its exit status.
#include "tests/copy/run_fixture.h"

namespace {

using win::DialogKind;

class ServerResultsTest : public RunFixture {
  protected:
    const ServerResult& Result(const std::string& server) {
        for (const ServerResult& r : CopyRun.ServerResults)
            if (r.name == server)
                return r;
        ADD_FAILURE() << "no record for " << server;
        static const ServerResult none;
        return none;
    }
};

TEST_F(ServerResultsTest, EachServerCountsItsOwnFilesBytesAndErrors) {
    Start(R"(
[[fault]]
call = "NWOpenNSEntry"
server = "BETA"
path = '\\BETA\DATA\DEST\FCT*'
times = 1
code = 0x8994
)");
    Select({"ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "hello");
    Net().WriteFile("HQ/DATA/SRC/B.TXT", "abc");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\B.TXT"});

    ASSERT_EQ(CopyRun.ServerResults.size(), 2u);
    EXPECT_EQ(CopyRun.ServerResults[0].name, "ALPHA") << "records stand in list order";
    const ServerResult& alpha = Result("ALPHA");
    EXPECT_EQ(alpha.status, ServerStatus::Done);
    EXPECT_EQ(alpha.files.ToU64(), 2u);
    EXPECT_EQ(alpha.bytes.ToU64(), 8u);
    EXPECT_EQ(alpha.errors, 0u);
    // On BETA the first file's temporary file cannot be opened: one error, one file copied.
    const ServerResult& beta = Result("BETA");
    EXPECT_EQ(beta.status, ServerStatus::Done);
    EXPECT_EQ(beta.files.ToU64(), 1u);
    EXPECT_EQ(beta.bytes.ToU64(), 3u);
    EXPECT_EQ(beta.errors, 1u);
    EXPECT_EQ(CopyRun.ErrorMessages, 1u);
    EXPECT_TRUE(LastRunReachedSummary());
    EXPECT_TRUE(LastRunWentWrong());
}

TEST_F(ServerResultsTest, AServerThatCannotBeUsedIsGivenUpAndTheRunWentWrong) {
    Start();
    Select({"ALPHA", "BETA", "GAMMA"});
    std::filesystem::remove(Net().LocalPath("BETA/DATA/DEST"));
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    CopyOptions.UnattendedMode = 1;  // no question whether to go on
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});

    EXPECT_EQ(Result("ALPHA").status, ServerStatus::Done);
    EXPECT_EQ(Result("BETA").status, ServerStatus::GivenUp);
    EXPECT_EQ(Result("BETA").files.ToU64(), 0u);
    EXPECT_EQ(Result("BETA").errors, 1u) << "the missing destination path is an error message";
    EXPECT_EQ(Result("GAMMA").status, ServerStatus::Done);
    EXPECT_TRUE(Net().Exists("GAMMA/DATA/DEST/A.TXT"));
    EXPECT_TRUE(LastRunWentWrong());
}

TEST_F(ServerResultsTest, AStoppedRunLeavesTheLaterServersNotReached) {
    Start();
    Select({"ALPHA", "BETA", "GAMMA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    Net().WriteFile("HQ/DATA/SRC/B.TXT", "b");
    // Cancel on BETA once its first file is there.
    ui.onPump = [&] {
        win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
        if (copy && copy->open && Net().Exists("BETA/DATA/DEST/A.TXT"))
            ui.CancelDialog(copy->id);
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\B.TXT"});

    EXPECT_EQ(Result("ALPHA").status, ServerStatus::Done);
    EXPECT_EQ(Result("ALPHA").files.ToU64(), 2u);
    EXPECT_EQ(Result("BETA").status, ServerStatus::Stopped);
    EXPECT_EQ(Result("BETA").files.ToU64(), 1u);
    EXPECT_EQ(Result("GAMMA").status, ServerStatus::NotReached);
    EXPECT_EQ(Result("GAMMA").files.ToU64(), 0u);
    EXPECT_TRUE(SummaryShown());
    EXPECT_TRUE(LastRunWentWrong()) << "not every server was done";
}

TEST_F(ServerResultsTest, SynchronisationCountsEachServersDeletions) {
    Start();
    Select({"ALPHA", "BETA"});
    Net().WriteFile("HQ/DATA/SRC/PROJ/KEEP.TXT", "k");
    Net().WriteFile("ALPHA/DATA/DEST/PROJ/OLD1.TXT", "1");
    Net().WriteFile("ALPHA/DATA/DEST/PROJ/STALE/OLD2.TXT", "2");
    Net().WriteFile("BETA/DATA/DEST/PROJ/OLD3.TXT", "3");
    CopyOptions.SyncDirs = 1;
    RunCopy({"\\\\HQ\\DATA\\SRC\\PROJ"});

    EXPECT_EQ(Result("ALPHA").deletedFiles.ToU64(), 2u);
    EXPECT_EQ(Result("ALPHA").deletedDirectories.ToU64(), 1u);
    EXPECT_EQ(Result("BETA").deletedFiles.ToU64(), 1u);
    EXPECT_EQ(Result("BETA").deletedDirectories.ToU64(), 0u);
    EXPECT_FALSE(LastRunWentWrong());
}

TEST_F(ServerResultsTest, AMissingDroppedNameIsLeftOutWithItsReasonAndNoBox) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\GONE.TXT"});

    ASSERT_EQ(CopyRun.SkippedNames.size(), 1u);
    EXPECT_EQ(CopyRun.SkippedNames[0].path, "\\\\HQ\\DATA\\SRC\\GONE.TXT");
    EXPECT_EQ(CopyRun.SkippedNames[0].reason, "does not exist");
    EXPECT_TRUE(OtherBoxTexts().empty()) << "left out without a message, as designed";
    EXPECT_EQ(Result("ALPHA").status, ServerStatus::Done);
    EXPECT_TRUE(LastRunWentWrong());

    // The front end's own names head the list; a new run starts from its own.
    RunCopyLeavingOut({"\\\\HQ\\DATA\\SRC\\A.TXT"}, {{"/net/link", "a link"}});
    ASSERT_EQ(CopyRun.SkippedNames.size(), 1u);
    EXPECT_EQ(CopyRun.SkippedNames[0].path, "/net/link");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_TRUE(CopyRun.SkippedNames.empty());
    EXPECT_FALSE(LastRunWentWrong());
}

TEST_F(ServerResultsTest, ADroppedNameThatCannotBeLookedUpIsLeftOutWithTheError) {
    Start(R"(
[[fault]]
call = "FindFirstFile"
path = '\\HQ\DATA\SRC\LOCKED.TXT'
code = 5
)");
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/LOCKED.TXT", "l");
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\LOCKED.TXT"});
    ASSERT_EQ(CopyRun.SkippedNames.size(), 1u);
    EXPECT_EQ(CopyRun.SkippedNames[0].path, "\\\\HQ\\DATA\\SRC\\LOCKED.TXT");
    EXPECT_EQ(CopyRun.SkippedNames[0].reason, "cannot be looked up (error 5)");
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/LOCKED.TXT"));
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/DEST/A.TXT"));
}

TEST_F(ServerResultsTest, WarningsAloneDoNotMakeTheRunGoWrong) {
    Start();
    Select({"DOS"});
    Net().WriteFile("HQ/DATA/SRC/Long File Name.txt", "x");
    ui.answers = {win::IDYES};  // the long-name warning: go on
    RunCopy({"\\\\HQ\\DATA\\SRC\\Long File Name.txt"});

    ASSERT_EQ(ui.CountBoxes("WARNING - No long filename support on \\\\DOS\\DATA."), 1);
    EXPECT_EQ(Result("DOS").status, ServerStatus::Done);
    EXPECT_EQ(Result("DOS").errors, 0u);
    EXPECT_FALSE(LastRunWentWrong());
}

TEST_F(ServerResultsTest, ARunThatEndsBeforeCopyingHasNoServerRecords) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    ui.optionsSheetResult = win::IDCANCEL;
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_TRUE(CopyRun.ServerResults.empty());
    EXPECT_FALSE(LastRunReachedSummary());
}

// What counts as an error message: the stop icon, or a text that begins "ERROR - ".
TEST(ReportedMessages, ErrorsAreTheStopIconOrTheErrorPrefix) {
    CopyRun = CopyRunState{};
    CountReportedMessage("Unable to get namespace information for x.", 0x14);
    CountReportedMessage("ERROR - Unable to delete x", 0x23);
    CountReportedMessage("WARNING - No long filename support", 0x23);
    CountReportedMessage("Updated or created 1 files totalling 1 bytes", 0x40);
    CountReportedMessage("Unable to delete x, do you want to continue?", 0x23);
    EXPECT_EQ(CopyRun.ErrorMessages, 2u);
}

}  // namespace
