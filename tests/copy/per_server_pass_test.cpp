// The source check and each branch of the pass a selected server gets.
#include "copy/per_server_pass.h"

#include <algorithm>

#include "tests/copy/run_fixture.h"

namespace {

using win::DialogKind;

// A bindery server listed before every other one, not attached at start.
const char* kFirstBinderyServer = R"(
[[server]]
name = "AAOLD"
version = "3.12"
connection = "none"
  [[server.volume]]
  name = "DATA"
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
)";

class PerServerPassTest : public RunFixture {
  protected:
    void DropFile(const std::string& content = "data") {
        Net().WriteFile("HQ/DATA/SRC/A.TXT", content);
        RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT"});
    }
    int NextServerQuestions() const { return ui.CountBoxes(LoadResString(IDS_ASK_NEXT_SERVER)); }
};

TEST_F(PerServerPassTest, SourceCheckIsSilentInUnattendedModeAndRecordsTheSourceVolume) {
    Start();
    CopyOptions.UnattendedMode = 1;
    EXPECT_FALSE(CheckSourcePath("/not/on/the/network/file.txt"));
    EXPECT_TRUE(ui.boxes.empty()) << "an unattended refused drop leaves no trace";
    EXPECT_FALSE(CopyRun.SourceLongNamesKnown);

    EXPECT_TRUE(CheckSourcePath("\\\\HQ\\DATA\\SRC"));
    EXPECT_TRUE(CopyRun.SourceLongNamesKnown);
    EXPECT_TRUE(CopyRun.SourceHasLongNames);
    EXPECT_FALSE(CopyRun.SourceVolumeCompresses);
    EXPECT_FALSE(CopyRun.SourceIsDirectoryServices);
}

TEST_F(PerServerPassTest, LoginFailureOnTheLastServerAsksNothing) {
    Start();
    Select({"ALPHA", "OLD"});  // OLD stands last in the list
    DropFile();                // no login scripted: the login dialog is cancelled
    EXPECT_EQ(ui.loginDialogs.size(), 1u);
    EXPECT_EQ(NextServerQuestions(), 0);
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/DEST/A.TXT"));
    EXPECT_FALSE(Net().Exists("OLD/DATA/DEST/A.TXT"));
    EXPECT_TRUE(SummaryShown());
}

TEST_F(PerServerPassTest, AnsweringNoToTheNextServerQuestionEndsTheRun) {
    Start(kFirstBinderyServer);
    Select({"AAOLD", "ALPHA"});
    ui.answers = {win::IDNO};
    DropFile();
    ASSERT_EQ(NextServerQuestions(), 1);
    const auto& question = ui.boxes[0];
    EXPECT_EQ(question.style, 0x10024u);
    EXPECT_EQ(question.caption, "Farcast");
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/A.TXT"));
    EXPECT_TRUE(SummaryShown());
}

// False when the workstation still holds a logged-in connection to the server.
bool LoggedOut(const char* server) {
    NWCONN_HANDLE conn = 0;
    if (NetWare().NWGetConnectionHandle(server, 0, &conn, nullptr) != nw::SUCCESSFUL)
        return true;  // detached
    NWCCConnStatus status;
    if (NetWare().NWGetConnectionStatus(conn, &status, sizeof status) != nw::SUCCESSFUL)
        return true;
    return (status.flags & nw::CONN_LOGGED_IN) == 0;
}

TEST_F(PerServerPassTest, TheLoginTheRunMadeIsUndoneUnlessTheRunStopsOnThatServer) {
    Start(kFirstBinderyServer);
    Net().MakeDir("AAOLD/DATA/DEST");
    Select({"AAOLD"});
    ui.logins = {"admin:secret"};
    DropFile("abc");
    EXPECT_EQ(Net().ReadFile("AAOLD/DATA/DEST/A.TXT"), "abc");
    EXPECT_TRUE(LoggedOut("AAOLD"));

    // Stopped in the middle of the server (Cancel after the first file): the connection is
    // left as the stopped pass had it.
    Net().WriteFile("HQ/DATA/SRC/B.TXT", "b");
    ui.SelectServerByName("AAOLD");
    ui.onPump = [&] {
        win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
        if (copy && copy->open && !LoggedOut("AAOLD") && Net().Exists("AAOLD/DATA/DEST/A.TXT"))
            ui.CancelDialog(copy->id);
    };
    std::filesystem::remove(Net().LocalPath("AAOLD/DATA/DEST/A.TXT"));
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\B.TXT"});
    EXPECT_FALSE(Net().Exists("AAOLD/DATA/DEST/B.TXT"));
    EXPECT_FALSE(LoggedOut("AAOLD"));
    EXPECT_TRUE(SummaryShown());
}

TEST_F(PerServerPassTest, NetWare4xOnlyPassesOverABinderyServerInSilence) {
    Start(std::string(kFirstBinderyServer) + R"(
[[server]]
name = "NDS"
directory_services = true
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)",
          "tree = \"ACME_TREE\"\n");
    Net().MakeDir("AAOLD/DATA/DEST");
    Net().MakeDir("NDS/DATA/DEST");
    Select({"AAOLD", "ALPHA", "NDS"});
    CopyOptions.Netware4xServers = 1;
    DropFile();
    EXPECT_TRUE(OtherBoxTexts().empty()) << ::testing::PrintToString(OtherBoxTexts());
    EXPECT_TRUE(ui.loginDialogs.empty());
    EXPECT_FALSE(Net().Exists("AAOLD/DATA/DEST/A.TXT"));
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/A.TXT")) << "not a Directory Services server";
    EXPECT_TRUE(Net().Exists("NDS/DATA/DEST/A.TXT"));
}

TEST_F(PerServerPassTest, UnattendedMissingPathIsLoggedAndTheRunGoesOn) {
    Start();
    Select({"ALPHA", "BETA"});
    Net().MakeDir("BETA/DATA/ONLY");
    TargetPathHistory = {"\\DATA\\ONLY"};
    CopyOptions.UnattendedMode = 1;
    const std::string log = UseLogFile();
    DropFile();
    EXPECT_TRUE(OtherBoxTexts().empty());
    EXPECT_TRUE(SummaryShown()) << "the summary box appears also unattended";
    EXPECT_TRUE(Net().Exists("BETA/DATA/ONLY/A.TXT"));
    EXPECT_NE(ReadLocal(log).find("ERROR - Destination path"), std::string::npos);
}

TEST_F(PerServerPassTest, LongNameWarningYesCopiesUnderTheAlias) {
    Start();
    Select({"DOS", "GAMMA"});
    ui.answers = {win::IDYES};
    DropFile();
    ASSERT_EQ(ui.CountBoxes("WARNING - No long filename support on \\\\DOS\\DATA."), 1);
    EXPECT_EQ(ui.boxes[0].text,
              FormatText(LoadResString(IDS_WARN_NO_LONG_NAMES_ASK), "DOS", "DATA", "DOS"));
    EXPECT_EQ(ui.boxes[0].style, 0x10023u);
    EXPECT_TRUE(Net().Exists("DOS/DATA/DEST/A.TXT"));
    EXPECT_TRUE(Net().Exists("GAMMA/DATA/DEST/A.TXT"));
}

TEST_F(PerServerPassTest, LongNameWarningNoSkipsTheServerWithoutAQuestion) {
    Start();
    Select({"DOS", "GAMMA"});
    ui.answers = {win::IDNO};
    DropFile();
    EXPECT_FALSE(Net().Exists("DOS/DATA/DEST/A.TXT"));
    EXPECT_TRUE(Net().Exists("GAMMA/DATA/DEST/A.TXT"));
    EXPECT_EQ(NextServerQuestions(), 0);
}

TEST_F(PerServerPassTest, LongNameWarningCancelStopsTheRunButNotThroughCancelRequested) {
    Start();
    Select({"DOS", "GAMMA"});
    ui.answers = {win::IDCANCEL};
    DropFile();
    EXPECT_FALSE(Net().Exists("DOS/DATA/DEST/A.TXT"));
    EXPECT_FALSE(Net().Exists("GAMMA/DATA/DEST/A.TXT"));
    EXPECT_FALSE(CancelRequested);
    EXPECT_TRUE(SummaryShown());
}

TEST_F(PerServerPassTest, LongNameWarningUnattendedIsLoggedWithoutTheQuestion) {
    Start();
    Select({"DOS"});
    CopyOptions.UnattendedMode = 1;
    const std::string log = UseLogFile();
    DropFile();
    EXPECT_TRUE(OtherBoxTexts().empty());
    EXPECT_TRUE(Net().Exists("DOS/DATA/DEST/A.TXT"));
    const std::string text = ReadLocal(log);
    EXPECT_NE(text.find(FormatText(LoadResString(IDS_WARN_NO_LONG_NAMES), "DOS", "DATA")),
              std::string::npos);
    EXPECT_EQ(text.find("Continue copying files to server"), std::string::npos);
}

TEST_F(PerServerPassTest, SameDirectoryIsRefusedAndTheNextServerFollows) {
    Start();
    Select({"ALPHA", "HQ"});
    Net().MakeDir("ALPHA/DATA/SRC");
    TargetPathHistory = {"\\DATA\\SRC"};
    DropFile("src");
    EXPECT_EQ(ui.CountBoxes(FormatText(LoadResString(IDS_ERR_SAME_DIRECTORY),
                                       "\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC")),
              1);
    EXPECT_EQ(Net().ReadFile("HQ/DATA/SRC/A.TXT"), "src");
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/SRC/A.TXT"), "src");
    EXPECT_EQ(NextServerQuestions(), 0);
}

TEST_F(PerServerPassTest, DestinationInsideADroppedDirectoryIsRefused) {
    Start();
    Select({"ALPHA", "HQ"});
    Net().WriteFile("HQ/DATA/SRC/TREE/F.TXT", "f");
    Net().MakeDir("HQ/DATA/SRC/TREE/SUB");
    Net().MakeDir("ALPHA/DATA/SRC/TREE/SUB");
    TargetPathHistory = {"\\DATA\\SRC\\TREE\\SUB"};
    RunCopy({"\\\\HQ\\DATA\\SRC\\TREE"});
    EXPECT_EQ(ui.CountBoxes(FormatText(LoadResString(IDS_ERR_DEST_INSIDE_SOURCE),
                                       "\\\\HQ\\DATA\\SRC\\TREE\\SUB", "\\\\HQ\\DATA\\SRC\\TREE")),
              1);
    EXPECT_FALSE(Net().Exists("HQ/DATA/SRC/TREE/SUB/TREE"));
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/SRC/TREE/SUB/TREE/F.TXT"));
    EXPECT_EQ(NextServerQuestions(), 0);
}

TEST_F(PerServerPassTest, FilesGoBeforeDirectoriesWhateverTheDropOrder) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/DIR/INNER.TXT", "i");
    Net().WriteFile("HQ/DATA/SRC/TOP.TXT", "t");
    bool directorySeen = false;
    bool fileWasThere = false;
    ui.onPump = [&] {
        if (!directorySeen && Net().Exists("ALPHA/DATA/DEST/DIR")) {
            directorySeen = true;
            fileWasThere = Net().Exists("ALPHA/DATA/DEST/TOP.TXT");
        }
    };
    RunCopy({"\\\\HQ\\DATA\\SRC\\DIR", "\\\\HQ\\DATA\\SRC\\TOP.TXT"});
    EXPECT_TRUE(directorySeen);
    EXPECT_TRUE(fileWasThere);
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/DEST/DIR/INNER.TXT"));
}

TEST_F(PerServerPassTest, AServerGivenUpStillMovesTheOverallBarByItsShare) {
    Start();
    Select({"ALPHA", "BETA", "GAMMA"});
    Net().MakeDir("ALPHA/DATA/PART");
    Net().MakeDir("GAMMA/DATA/PART");
    TargetPathHistory = {"\\DATA\\PART"};
    CopyOptions.UnattendedMode = 1;
    UseLogFile();
    DropFile(std::string(300, 'x'));
    EXPECT_EQ(CopyRun.RunBytesProcessed, 900u);
    const win::RecordedDialog* copy = ui.LastDialog(DialogKind::CopyFiles);
    ASSERT_NE(copy, nullptr);
    std::vector<int> overall = copy->BarHistory(224);
    overall.erase(std::unique(overall.begin(), overall.end()), overall.end());
    EXPECT_EQ(overall, (std::vector<int>{0, 33, 66, 100}));
}

TEST_F(PerServerPassTest, QuestionRulesForTheNextServer) {
    Start();
    ui.answers = {win::IDYES, win::IDNO};
    CancelRequested = true;
    EXPECT_TRUE(AskContinueWithNextServer(1, 3));
    EXPECT_FALSE(CancelRequested) << "Yes clears an earlier cancel";
    EXPECT_FALSE(AskContinueWithNextServer(2, 3));
    EXPECT_TRUE(CancelRequested);
    EXPECT_FALSE(AskContinueWithNextServer(3, 3)) << "after the last server nothing is asked";
    EXPECT_EQ(ui.boxes.size(), 2u);
    CopyOptions.UnattendedMode = 1;
    EXPECT_TRUE(AskContinueWithNextServer(1, 3));
    EXPECT_TRUE(CancelRequested) << "unattended leaves the flag as it is";
    EXPECT_EQ(ui.boxes.size(), 2u);
}

}  // namespace
