// Whole runs in which a careless destination, an unreadable directory or two names differing
// only in case used to cost the user data: each time the sources, and everything outside the
// destination's copy, stay byte for byte and metadata for metadata as they were.
#include <sys/stat.h>

#include <filesystem>

#include "copy/places.h"
#include "tests/copy/run_fixture.h"
#include "tests/support/tree_digest.h"
#include "tests/support/unprivileged.h"

namespace {

class SourcesKeptTest : public RunFixture {
  protected:
    // The boxes whose text is exactly text.
    int Boxes(const std::string& text) const {
        int n = 0;
        for (const auto& box : ui.boxes)
            n += box.text == text;
        return n;
    }
};

// The copy of P\Y lands in Y, which holds the second dropped source Y\Z: with synchronisation
// that used to delete Y\Z. The server is refused; the other server is copied.
TEST_F(SourcesKeptTest, ACopyThatWouldLandOnAnotherDroppedItemIsRefused) {
    Start();
    Net().WriteFile("HQ/DATA/P/Y/keep.txt", "y");
    Net().WriteFile("HQ/DATA/Y/Z/z1.txt", "z1");
    Net().WriteFile("HQ/DATA/Y/Z/z2.txt", "z2");
    Net().WriteFile("HQ/DATA/Y/other.txt", "o");
    const std::string before = TreeDigest(Net(), "HQ/DATA");
    Select({"ALPHA", "HQ"});
    CopyOptions.SyncDirs = 1;
    TargetPathHistory = {"\\DATA"};
    Net().MakeDir("ALPHA/DATA/Y");
    RunCopy({"\\\\HQ\\DATA\\P\\Y", "\\\\HQ\\DATA\\Y\\Z"});

    EXPECT_EQ(Boxes("ERROR - The copy of \\\\HQ\\DATA\\P\\Y in \\\\HQ\\DATA would land on the "
                    "source \\\\HQ\\DATA\\Y\\Z, which this run also copies. A source is never "
                    "written to: nothing is copied to this server."),
              1);
    EXPECT_EQ(TreeDigest(Net(), "HQ/DATA"), before);
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/Y/keep.txt"), "y");
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/Z/z2.txt"), "z2");
}

// Spellings that used to pass the text comparisons: an 8.3 alias, another case, a trailing
// backslash. Each reaches the dropped directory itself, and each is refused.
TEST_F(SourcesKeptTest, ADestinationIsComparedAsTheEntryItNamesNeverAsText) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/Long Directory/a.txt", "a");
    Net().WriteFile("HQ/DATA/SRC/Long Directory/sub/b.txt", "b");
    const std::string before = TreeDigest(Net(), "HQ/DATA");
    Select({"HQ"});
    CopyOptions.SyncDirs = 1;
    CopyOptions.UnattendedMode = 1;
    UseLogFile();
    const std::string dropped = "\\\\HQ\\DATA\\SRC\\Long Directory";
    struct Case {
        const char* target;
        std::string message;
    } cases[] = {
        {"\\DATA\\SRC\\LONGDI~1",
         "ERROR - Target directory \\\\HQ\\DATA\\SRC\\LONGDI~1 lies "
         "inside the source directory " +
             dropped + ". Cannot copy a directory into itself."},
        {"\\DATA\\src\\long directory\\SUB",
         "ERROR - Target directory \\\\HQ\\DATA\\src\\long "
         "directory\\SUB lies inside the source directory " +
             dropped + ". Cannot copy a directory into itself."},
        {"\\DATA\\SRC\\", "ERROR - Source and target directories are the same. Cannot copy " +
                              dropped + " to \\\\HQ\\DATA\\SRC."},
        {"\\data\\\\SRC", "ERROR - Source and target directories are the same. Cannot copy " +
                              dropped + " to \\\\HQ\\DATA\\SRC."},
        {"\\DATA\\Src", "ERROR - Source and target directories are the same. Cannot copy " +
                            dropped + " to \\\\HQ\\DATA\\Src."},
    };
    for (const Case& c : cases) {
        ui.boxes.clear();
        TargetPathHistory = {c.target};
        RunCopy({"\\\\HQ\\DATA\\SRC\\LONGDI~1"});
        EXPECT_TRUE(LastRunReachedSummary()) << c.target;
        EXPECT_EQ(CopyRun.RunFilesUpdated, 0u) << c.target;
        EXPECT_EQ(TreeDigest(Net(), "HQ/DATA"), before) << c.target;
    }
    // The messages are in the log, one each.
    const std::string log = ReadLocal(CopyOptions.LogFileName);
    for (const Case& c : cases)
        EXPECT_NE(log.find(c.message), std::string::npos) << c.message;
}

// An item dropped in upper case or by its alias keeps the name the volume holds.
TEST_F(SourcesKeptTest, DroppedItemsKeepTheirOwnNames) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/Budget Forecast.csv", "1996,100000");
    Net().WriteFile("HQ/DATA/SRC/Website Redesign/index.html", "<html>");
    Select({"ALPHA"});
    RunCopy({"\\\\HQ\\DATA\\SRC\\BUDGET FORECAST.CSV", "\\\\HQ\\DATA\\SRC\\WEBSIT~1"});
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/Budget Forecast.csv"), "1996,100000");
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/Website Redesign/index.html"), "<html>");
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/BUDGET FORECAST.CSV"));
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/WEBSIT~1"));
}

// Of two source files whose names differ only in case the first in listing order is copied;
// the other is said and left out, and nothing of it lands under the first one's name.
TEST_F(SourcesKeptTest, CaseTwinsAreNeverMixedUp) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/PROJ/Same.txt", "a");
    Net().WriteFile("HQ/DATA/SRC/PROJ/SAME.TXT", "bb");
    Net().WriteFile("HQ/DATA/SRC/PROJ/other.txt", "ccc");
    const std::string before = TreeDigest(Net(), "HQ/DATA/SRC");
    Select({"ALPHA", "BETA"});
    CopyOptions.UnattendedMode = 1;
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\PROJ"});

    for (const char* server : {"ALPHA", "BETA"}) {
        const std::string dir = std::string(server) + "/DATA/DEST/PROJ";
        EXPECT_EQ(Net().ReadFile(dir + "/SAME.TXT"), "bb") << server;
        EXPECT_FALSE(Net().Exists(dir + "/Same.txt")) << server;
        EXPECT_EQ(Net().ReadFile(dir + "/other.txt"), "ccc") << server;
    }
    const std::string message =
        "ERROR - \\\\HQ\\DATA\\SRC\\PROJ\\Same.txt has been left out: its name differs only in "
        "case from \\\\HQ\\DATA\\SRC\\PROJ\\SAME.TXT, and a NetWare directory cannot hold both.";
    const std::string text = ReadLocal(log);
    std::size_t count = 0;
    for (std::size_t at = text.find(message); at != std::string::npos;
         at = text.find(message, at + 1))
        ++count;
    EXPECT_EQ(count, 2u) << "once for each server";
    EXPECT_EQ(ui.boxes.back().text, "Updated or created 4 files totalling 10 bytes");
    EXPECT_EQ(TreeDigest(Net(), "HQ/DATA/SRC"), before);
}

TEST_F(SourcesKeptTest, DroppedTwinsAreSaidOnceAndLeftOut) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/Same.txt", "a");
    Net().WriteFile("HQ/DATA/SRC/SAME.TXT", "bb");
    Select({"ALPHA"});
    RunCopy({"\\\\HQ\\DATA\\SRC\\Same.txt", "\\\\HQ\\DATA\\SRC\\SAME.TXT"});
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/Same.txt"), "a");
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/SAME.TXT"));
    EXPECT_EQ(Boxes("ERROR - \\\\HQ\\DATA\\SRC\\SAME.TXT has been left out: its name differs "
                    "only in case from \\\\HQ\\DATA\\SRC\\Same.txt, and a NetWare directory "
                    "cannot hold both."),
              1);
}

// Two dropped directories of one name in any case land on one copy: synchronising each used
// to delete what the other had just delivered. The first is copied and synchronised; each later
// one is said once and left out, and nothing of it is written or deleted.
TEST_F(SourcesKeptTest, DroppedItemsLandingOnOneNameAreTwins) {
    struct Case {
        const char* second;  // the later dropped item, under HQ/DATA
        const char* said;
    };
    const Case cases[] = {
        {"Y2026/REPORTS",
         "ERROR - \\\\HQ\\DATA\\Y2026\\REPORTS has been left out: its copy would land on the "
         "same name as the copy of \\\\HQ\\DATA\\Y2025\\REPORTS, and one would delete or "
         "replace the other."},
        {"Y2026/Reports",
         "ERROR - \\\\HQ\\DATA\\Y2026\\Reports has been left out: its name differs only in "
         "case from \\\\HQ\\DATA\\Y2025\\REPORTS, and a NetWare directory cannot hold both."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        Start();
        Net().WriteFile("HQ/DATA/Y2025/REPORTS/jan.txt", "2025 jan");
        Net().WriteFile("HQ/DATA/Y2025/REPORTS/feb.txt", "2025 feb");
        Net().WriteFile(std::string("HQ/DATA/") + c.second + "/mar.txt", "2026 mar");
        Net().WriteFile("ALPHA/DATA/DEST/REPORTS/stale.txt", "from before");
        Select({"ALPHA"});
        CopyOptions.SyncDirs = 1;
        CopyOptions.UnattendedMode = 1;
        const std::string log = UseLogFile();
        std::string second = std::string("\\\\HQ\\DATA\\") + c.second;
        second[second.find('/')] = '\\';
        RunCopy({"\\\\HQ\\DATA\\Y2025\\REPORTS", second});

        EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/REPORTS/jan.txt"), "2025 jan");
        EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/REPORTS/feb.txt"), "2025 feb");
        EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/REPORTS/mar.txt"));
        EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/REPORTS/stale.txt"));
        const std::string text = ReadLocal(log);
        EXPECT_NE(text.find(c.said), std::string::npos) << text;
        EXPECT_EQ(ui.boxes.back().text,
                  "Updated or created 2 files totalling 16 bytes\r\nDeleted 1 files and 0 "
                  "directories totalling 11 bytes");
        ASSERT_EQ(CopyRun.SkippedNames.size(), 1u);
        EXPECT_TRUE(LastRunWentWrong());
        TearDown();
    }
}

// On a volume without long names two long-named dropped directories land on their 8.3 aliases,
// which can be the same although the names differ: they are twins on that server only.
TEST_F(SourcesKeptTest, DroppedItemsSharingAnAliasAreTwinsOnAVolumeWithoutLongNames) {
    Start();
    Net().WriteFile("HQ/DATA/A/Project Files/one.txt", "one");
    Net().WriteFile("HQ/DATA/B/Project Plans/two.txt", "two");
    Select({"ALPHA", "DOS"});
    CopyOptions.SyncDirs = 1;
    CopyOptions.UnattendedMode = 1;
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\A\\Project Files", "\\\\HQ\\DATA\\B\\Project Plans"});

    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/Project Files/one.txt"), "one");
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/Project Plans/two.txt"), "two");
    EXPECT_EQ(Net().ReadFile("DOS/DATA/DEST/PROJEC~1/ONE.TXT"), "one");
    EXPECT_FALSE(Net().Exists("DOS/DATA/DEST/PROJEC~1/TWO.TXT"));
    EXPECT_EQ(CopyRun.RunFilesDeleted.ToU64(), 0u);
    const std::string text = ReadLocal(log);
    EXPECT_NE(text.find("ERROR - \\\\HQ\\DATA\\B\\Project Plans has been left out: its copy "
                        "would land on the same name as the copy of \\\\HQ\\DATA\\A\\Project "
                        "Files, and one would delete or replace the other."),
              std::string::npos)
        << text;
}

// A source directory that cannot be listed is unknown, not empty: it is said, its copy is not
// made empty, and synchronisation keeps every file of the copy made before. The file system's
// own refusal, as an unprivileged user meets it.
TEST(UnreadableSourceTest, IsSaidAndItsEarlierCopyIsKept) {
    TestNetwork net{kRunNetworkToml};
    net.WriteFile("HQ/DATA/SRC/PROJ/a.txt", "new a");
    net.WriteFile("HQ/DATA/SRC/PROJ/LOCKED/secret.txt", "new secret");
    net.WriteFile("HQ/DATA/SRC/LOCKED2/x.txt", "x");
    net.WriteFile("ALPHA/DATA/DEST/PROJ/LOCKED/secret.txt", "old secret");
    net.WriteFile("ALPHA/DATA/DEST/PROJ/LOCKED/older.txt", "older");
    net.WriteFile("ALPHA/DATA/DEST/LOCKED2/kept.txt", "kept");
    std::string why;
    const Unprivileged outcome = RunUnprivileged(
        net.Root(),
        [&net] {
            ResetEngineState();
            win::ScriptedWindowSystem ui;
            win::SetUi(&ui);
            net.Install();
            ASSERT_EQ(::chmod(net.LocalPath("HQ/DATA/SRC/PROJ/LOCKED").c_str(), 0), 0);
            ASSERT_EQ(::chmod(net.LocalPath("HQ/DATA/SRC/LOCKED2").c_str(), 0), 0);
            ASSERT_TRUE(StartNetWareClient());
            ASSERT_TRUE(FillServerList());
            ASSERT_TRUE(ui.SelectServerByName("ALPHA"));
            CopyOptions.CopySubDirs = 1;
            CopyOptions.SyncDirs = 1;
            CopyOptions.UnattendedMode = 1;
            TargetPathHistory = {"\\DATA\\DEST"};
            RunCopy({"\\\\HQ\\DATA\\SRC\\PROJ", "\\\\HQ\\DATA\\SRC\\LOCKED2"});
            ::chmod(net.LocalPath("HQ/DATA/SRC/PROJ/LOCKED").c_str(), 0755);
            ::chmod(net.LocalPath("HQ/DATA/SRC/LOCKED2").c_str(), 0755);

            EXPECT_EQ(net.ReadFile("ALPHA/DATA/DEST/PROJ/a.txt"), "new a");
            EXPECT_EQ(net.ReadFile("ALPHA/DATA/DEST/PROJ/LOCKED/secret.txt"), "old secret");
            EXPECT_EQ(net.ReadFile("ALPHA/DATA/DEST/PROJ/LOCKED/older.txt"), "older");
            EXPECT_EQ(net.ReadFile("ALPHA/DATA/DEST/LOCKED2/kept.txt"), "kept");
            EXPECT_EQ(ui.boxes.back().text,
                      "Updated or created 1 files totalling 5 bytes\r\nDeleted 0 files and 0 "
                      "directories totalling 0 bytes");
            win::SetUi(nullptr);
            net.Close();
        },
        &why);
    if (outcome == Unprivileged::Unavailable)
        GTEST_SKIP() << "needs an unprivileged user: " << why;
    EXPECT_EQ(outcome, Unprivileged::Passed);
    EXPECT_EQ(net.ReadFile("HQ/DATA/SRC/PROJ/LOCKED/secret.txt"), "new secret");
}

// A copy into the unreadable directory is said with the system's code: access denied.
TEST(UnreadableSourceTest, TheMessageNamesTheDirectoryAndTheCode) {
    TestNetwork net{kRunNetworkToml};
    net.WriteFile("HQ/DATA/SRC/PROJ/LOCKED/secret.txt", "s");
    net.MakeDir("ALPHA/DATA/DEST");
    std::string why;
    const Unprivileged outcome = RunUnprivileged(
        net.Root(),
        [&net] {
            ResetEngineState();
            win::ScriptedWindowSystem ui;
            win::SetUi(&ui);
            net.Install();
            ASSERT_EQ(::chmod(net.LocalPath("HQ/DATA/SRC/PROJ/LOCKED").c_str(), 0), 0);
            ASSERT_TRUE(StartNetWareClient());
            ASSERT_TRUE(FillServerList());
            ASSERT_TRUE(ui.SelectServerByName("ALPHA"));
            CopyOptions.CopySubDirs = 1;
            TargetPathHistory = {"\\DATA\\DEST"};
            ui.answers = {win::IDYES};
            RunCopy({"\\\\HQ\\DATA\\SRC\\PROJ"});
            ::chmod(net.LocalPath("HQ/DATA/SRC/PROJ/LOCKED").c_str(), 0755);
            ASSERT_GE(ui.boxes.size(), 2u);
            EXPECT_EQ(
                ui.boxes[0].text,
                "ERROR - The directory \\\\HQ\\DATA\\SRC\\PROJ\\LOCKED cannot be read. It has "
                "not been copied, and its copy is left as it is.\r\nFindFirstFile error: "
                "0x5\r\n\r\nContinue copying files?");
            EXPECT_FALSE(net.Exists("ALPHA/DATA/DEST/PROJ/LOCKED"));
            win::SetUi(nullptr);
            net.Close();
        },
        &why);
    if (outcome == Unprivileged::Unavailable)
        GTEST_SKIP() << "needs an unprivileged user: " << why;
    EXPECT_EQ(outcome, Unprivileged::Passed);
}

// A server directory that is a symbolic link leads out of the network: it is never used, and
// nothing is created or written where it points.
TEST_F(SourcesKeptTest, AServerDirectoryThatIsALinkIsNeverEntered) {
    const std::filesystem::path outside = std::filesystem::path(::testing::TempDir()) /
                                          ("farcast-outside-" + std::to_string(::getpid()));
    std::filesystem::remove_all(outside);
    std::filesystem::create_directories(outside / "DATA" / "DEST");
    Start();
    // The link is put in place of ALPHA's directory before the network is opened again.
    Net().Close();
    std::filesystem::remove_all(Net().LocalPath("ALPHA"));
    std::filesystem::create_directory_symlink(outside, Net().LocalPath("ALPHA"));
    Net().Install();
    Net().WriteFile("HQ/DATA/SRC/a.txt", "a");
    const std::vector<std::string> problems = Net().Net().Check();
    EXPECT_NE(
        std::find(problems.begin(), problems.end(),
                  Net().Net().Root() +
                      "/ALPHA is a symbolic link or not a directory: its volumes are not used"),
        problems.end());
    ASSERT_TRUE(StartNetWareClient());
    ASSERT_TRUE(FillServerList());
    Select({"ALPHA", "BETA"});
    RunCopy({"\\\\HQ\\DATA\\SRC\\a.txt"});
    EXPECT_EQ(Boxes("ERROR - Unable to get details for volume DATA on ALPHA.\r\nNWGetVolumeNumber "
                    "error: 0x8994"),
              1);
    EXPECT_EQ(Net().ReadFile("BETA/DATA/DEST/a.txt"), "a");
    EXPECT_TRUE(std::filesystem::is_empty(outside / "DATA" / "DEST"));
    std::filesystem::remove_all(outside);
}

}  // namespace
