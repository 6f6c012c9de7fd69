// Copying whole trees: order, dot names, subdirectories, 8.3 names toward DOS volumes, empty
// directories, cancel at depth, over-long paths and the run's totals.
#include "copy/tree_walk.h"

#include "copy/path_utils.h"
#include "platform/locale.h"
#include "tests/copy/copy_fixture.h"

namespace {

class TreeWalkTest : public CopyTest {
  protected:
    // SRC/PROJ: two files, a nested tree, an empty directory and dot-named entries.
    void PrepareTree() {
        Net();
        Write("HQ/DATA/SRC/PROJ/a.txt", "aaaa");
        Write("HQ/DATA/SRC/PROJ/sub/b.txt", "bb");
        Write("HQ/DATA/SRC/PROJ/sub/deeper/c.txt", "c");
        Write("HQ/DATA/SRC/PROJ/.profile", "dot");
        Write("HQ/DATA/SRC/PROJ/.git/config", "dot dir");
        Write("HQ/DATA/SRC/PROJ/zero.txt", "");
        Net().MakeDir("HQ/DATA/SRC/PROJ/empty");
        Net().MakeDir("HQ/DATA/DST");
    }
};

TEST_F(TreeWalkTest, CopiesTheWholeTreeWithoutDotNames) {
    PrepareTree();
    Install();
    CopyOptions.CopySubDirs = 1;

    EXPECT_EQ(CopyDirectoryTree(R"(\\HQ\DATA\SRC\PROJ)", R"(\\HQ\DATA\DST)"), 1);

    EXPECT_EQ(Net().ReadFile("HQ/DATA/DST/PROJ/a.txt"), "aaaa");
    EXPECT_EQ(Net().ReadFile("HQ/DATA/DST/PROJ/sub/b.txt"), "bb");
    EXPECT_EQ(Net().ReadFile("HQ/DATA/DST/PROJ/sub/deeper/c.txt"), "c");
    EXPECT_TRUE(Net().Exists("HQ/DATA/DST/PROJ/zero.txt"));
    EXPECT_TRUE(Net().Exists("HQ/DATA/DST/PROJ/empty"));
    EXPECT_FALSE(Net().Exists("HQ/DATA/DST/PROJ/.profile"));
    EXPECT_FALSE(Net().Exists("HQ/DATA/DST/PROJ/.git"));
    // Three files with content; the empty file is copied but not counted.
    EXPECT_EQ(CopyRun.RunFilesUpdated.ToU64(), 3u);
    EXPECT_EQ(CopyRun.RunBytesUpdated.ToU64(), 7u);
    // The bars were updated after every file, the empty one included.
    EXPECT_EQ(ui.FindDialog(ProgressDialog)->BarHistory(205).size(), 4u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TreeWalkTest, WithoutSubdirectoriesOnlyTheOwnFiles) {
    PrepareTree();
    Install();
    EXPECT_EQ(CopyDirectoryTree(R"(\\HQ\DATA\SRC\PROJ)", R"(\\HQ\DATA\DST)"), 1);
    EXPECT_TRUE(Net().Exists("HQ/DATA/DST/PROJ/a.txt"));
    EXPECT_FALSE(Net().Exists("HQ/DATA/DST/PROJ/sub"));
    EXPECT_FALSE(Net().Exists("HQ/DATA/DST/PROJ/empty"));
}

TEST_F(TreeWalkTest, DosVolumeGetsAliasesForDirectoriesAndFiles) {
    Net();
    Write("HQ/DATA/SRC/Project Files/Annual Summary.txt", "sum");
    Write("HQ/DATA/SRC/Project Files/Second Level/Notes Of Meeting.txt", "notes");
    Net().MakeDir("HQ/DOS/DST");
    Install(true, false);
    CopyOptions.CopySubDirs = 1;
    const auto alias = [](const std::string& path) {
        char shortPath[win::MAX_PATH] = {};
        EXPECT_GT(win::Files().GetShortPathName(path.c_str(), shortPath, sizeof shortPath), 0u);
        return LastComponent(shortPath);
    };
    const std::string top = R"(\\HQ\DATA\SRC\Project Files)";
    const std::string dir = alias(top);
    const std::string file = alias(top + R"(\Annual Summary.txt)");
    const std::string sub = alias(top + R"(\Second Level)");
    const std::string notes = alias(top + R"(\Second Level\Notes Of Meeting.txt)");

    EXPECT_EQ(CopyDirectoryTree(top, R"(\\HQ\DOS\DST)"), 1);

    EXPECT_EQ(Content(R"(\\HQ\DOS\DST\)" + dir + "\\" + file), "sum");
    EXPECT_EQ(Content(R"(\\HQ\DOS\DST\)" + dir + "\\" + sub + "\\" + notes), "notes");
    EXPECT_EQ(Stat(R"(\\HQ\DOS\DST\)" + dir)["name"], dir);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TreeWalkTest, CancelDeepInsideStopsEveryLevel) {
    Net();
    Write("HQ/DATA/SRC/PROJ/d1/d2/d3/x.txt", "x");
    Write("HQ/DATA/SRC/PROJ/d1/d2/d3/y.txt", "y");
    Write("HQ/DATA/SRC/PROJ/d1/d2/d3/z.txt", "z");
    Net().MakeDir("HQ/DATA/DST");
    Install();
    CopyOptions.CopySubDirs = 1;
    // Cancel as soon as the first file of the deepest level has been copied.
    ui.onPump = [&] {
        if (ProgressDialog != win::kNoWindow && CopyRun.RunFilesUpdated.ToU64() == 1)
            ui.CancelDialog(ProgressDialog);
    };

    EXPECT_EQ(CopyDirectoryTree(R"(\\HQ\DATA\SRC\PROJ)", R"(\\HQ\DATA\DST)"), 1);

    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(CopyRun.RunFilesUpdated.ToU64(), 1u);
    EXPECT_TRUE(Net().Exists("HQ/DATA/DST/PROJ/d1/d2/d3"));  // directories made stay
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TreeWalkTest, OverLongPathsAreReportedAndSkipped) {
    Net();
    const std::string longName(230, 'L');  // \\HQ\DATA\<230> is 240 characters
    Write("HQ/DATA/SRC/T/A.TXT", "short enough");
    Write("HQ/DATA/SRC/T/ABCDEFGHIJKLMNOPQ.TXT", "too long at the destination");
    Net().MakeDir("HQ/DATA/" + longName);
    Install();
    ui.answers = {win::IDYES};

    EXPECT_EQ(CopyDirectoryTree(R"(\\HQ\DATA\SRC\T)", R"(\\HQ\DATA\)" + longName), 1);

    EXPECT_EQ(Net().ReadFile("HQ/DATA/" + longName + "/T/A.TXT"), "short enough");
    EXPECT_FALSE(Net().Exists("HQ/DATA/" + longName + "/T/ABCDEFGHIJKLMNOPQ.TXT"));
    const std::string tooLong = R"(\\HQ\DATA\)" + longName + R"(\T\ABCDEFGHIJKLMNOPQ.TXT)";
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, AskText(IDS_ERR_PATH_TOO_LONG, tooLong.c_str()));
    EXPECT_FALSE(CancelRequested);
}

TEST_F(TreeWalkTest, ShortFormFailureSkipsTheSubtree) {
    Net("\n[[fault]]\ncall = \"GetShortPathName\"\ncode = 5\n");
    Write("HQ/DATA/SRC/Long Directory/a.txt", "a");
    Net().MakeDir("HQ/DOS/DST");
    Install(true, false);
    const std::string source = R"(\\HQ\DATA\SRC\Long Directory)";
    EXPECT_EQ(CopyDirectoryTree(source, R"(\\HQ\DOS\DST)"), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              AskText(IDS_ERR_SHORT_NAME, source.c_str(), SystemErrorText(5).c_str()));
}

TEST_F(TreeWalkTest, DirectoryThatCannotBeMadeSkipsItsContents) {
    PrepareTree();
    Install();
    CopyOptions.CopySubDirs = 1;
    // The destination parent does not exist: PROJ cannot be made there.
    EXPECT_EQ(CopyDirectoryTree(R"(\\HQ\DATA\SRC\PROJ)", R"(\\HQ\DATA\NOWHERE)"), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_FALSE(Net().Exists("HQ/DATA/NOWHERE"));
    EXPECT_EQ(CopyRun.RunFilesUpdated.ToU64(), 0u);
}

}  // namespace
