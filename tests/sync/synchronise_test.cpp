// Synchronisation through the simulated network: what is deleted, what is kept, the questions
// and their answers, failures, totals, cancel, and that deleting never strays.
#include "sync/synchronise.h"

#include <sys/stat.h>

#include <filesystem>

#include "copy/path_utils.h"
#include "copy/places.h"
#include "report/log_file.h"
#include "sync/deletion.h"
#include "tests/copy/copy_fixture.h"
#include "tests/support/live_program.h"
#include "tests/support/unprivileged.h"
#include "util/format_text.h"

namespace {

const std::string kSource = R"(\\HQ\DATA\SRC\PROJ)";
const std::string kCopy = R"(\\HQ\DATA\DST\PROJ)";

class SyncTest : public CopyTest {
  protected:
    // Source PROJ with a.txt and sub/b.txt; its copy in DST with the same plus extras.
    void PrepareTrees(const std::string& extraToml = "") {
        Net(extraToml);
        Write("HQ/DATA/SRC/PROJ/a.txt", "a");
        Write("HQ/DATA/SRC/PROJ/sub/b.txt", "b");
        Write("HQ/DATA/DST/PROJ/a.txt", "a");
        Write("HQ/DATA/DST/PROJ/sub/b.txt", "b");
    }
    void Start(bool sourceLongNames = true, bool destinationLongNames = true) {
        Install(sourceLongNames, destinationLongNames);
        CopyRun.DroppedDirectories = {kSource};
        CopyRun.DestinationRoot = R"(\\HQ\DATA\DST)";
        CopyOptions.SyncDirs = 1;
    }
    bool Has(const std::string& relative) { return Net().Exists(relative); }
};

TEST_F(SyncTest, ExtraFilesAndTreesGoDepthFirst) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/extra.txt", "0123456789");
    Write("HQ/DATA/DST/PROJ/sub/extra2.txt", "01234");
    Write("HQ/DATA/DST/PROJ/old/x/deep.txt", "012");
    Write("HQ/DATA/DST/PROJ/old/y.txt", "0");
    Start();
    CopyOptions.CopySubDirs = 1;
    OpenLog(true);

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/a.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/sub/b.txt"));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/sub/extra2.txt"));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/old"));
    EXPECT_TRUE(Has("HQ/DATA/SRC/PROJ/a.txt"));
    EXPECT_TRUE(Has("HQ/DATA/SRC/PROJ/sub/b.txt"));
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), 4u);
    EXPECT_EQ(CopyRun.ServerDirectoriesDeleted.ToU64(), 2u);
    EXPECT_EQ(CopyRun.ServerBytesDeleted.ToU64(), 19u);
    EXPECT_EQ(CopyRun.RunFilesDeleted.ToU64(), 4u);
    EXPECT_EQ(CopyRun.RunDirectoriesDeleted.ToU64(), 2u);
    EXPECT_EQ(CopyRun.RunBytesDeleted.ToU64(), 19u);

    const auto* dialog = ui.LastDialog(win::DialogKind::SyncDir);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->open);
    // Owned by the main window; the copy dialog beneath it was disabled while it was open.
    EXPECT_EQ(dialog->owner, win::kMainWindow);
    EXPECT_EQ(dialog->disabledWindow, ProgressDialog);
    EXPECT_TRUE(ui.IsEnabled(ProgressDialog));
    EXPECT_NE(dialog->title.find("HQ"), std::string::npos);
    EXPECT_EQ(dialog->Field(226), "4");
    EXPECT_EQ(dialog->Field(221), "2");
    EXPECT_EQ(dialog->Field(223), "19");
    EXPECT_EQ(SyncDialog, win::kNoWindow);

    const std::string log = LogText();
    const auto deep = log.find("Deleted file " + kCopy + R"(\old\x\deep.txt)");
    const auto inner = log.find("Deleted directory " + kCopy + R"(\old\x)" + "\r\n");
    const auto outer = log.find("Deleted directory " + kCopy + R"(\old)" + "\r\n");
    ASSERT_NE(deep, std::string::npos) << log;
    ASSERT_NE(inner, std::string::npos) << log;
    ASSERT_NE(outer, std::string::npos) << log;
    EXPECT_LT(deep, inner);
    EXPECT_LT(inner, outer);
}

TEST_F(SyncTest, DotNamesAreKeptAtEveryDepth) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/.keep", "k");
    Write("HQ/DATA/DST/PROJ/sub/.hidden", "h");
    Write("HQ/DATA/DST/PROJ/old/.dot", "d");
    Start();
    CopyOptions.CopySubDirs = 1;

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/.keep"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/sub/.hidden"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/old/.dot"));
    // The extra directory cannot go while its dot file stays; that is reported.
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Unable to delete " + kCopy +
                                    R"(\old, do you want to continue synchronizing files on this )"
                                    "server?");
    EXPECT_EQ(ui.boxes[0].style, 0x10023u);
    // A deletion that failed is an error of the run, also when the user goes on.
    EXPECT_EQ(CopyRun.ErrorMessages, 1u);
}

TEST_F(SyncTest, WithoutSubdirectoriesTheyAreLeftAlone) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Write("HQ/DATA/DST/PROJ/old/y.txt", "y");
    Write("HQ/DATA/DST/PROJ/sub/extra2.txt", "e");
    Start();

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/old/y.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/sub/extra2.txt"));
}

TEST_F(SyncTest, NamesUsedForTheOtherKindAreKept) {
    PrepareTrees();
    Write("HQ/DATA/SRC/PROJ/thing", "a file in the source");
    Write("HQ/DATA/DST/PROJ/thing/inner.txt", "below a directory the source has as a file");
    Net().MakeDir("HQ/DATA/SRC/PROJ/stuff");
    Write("HQ/DATA/DST/PROJ/stuff", "a file where the source has a directory");
    Start();
    CopyOptions.CopySubDirs = 1;

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/thing/inner.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/stuff"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SyncTest, ReadOnlyExtraFileIsDeleted) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/locked.txt", "ro");
    Start();
    SetAttributes(kCopy + R"(\locked.txt)", 0x00000001);
    EXPECT_TRUE(SynchroniseServer("HQ"));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/locked.txt"));
    EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), 1u);
}

TEST_F(SyncTest, PromptNoKeepsTheFile) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Start();
    CopyOptions.PromptOnDeletion = 1;
    ui.answers = {win::IDNO};

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Do you want to delete " + kCopy + R"(\extra.txt?)");
    EXPECT_EQ(ui.boxes[0].style, 0x10023u);
    EXPECT_EQ(ui.boxes[0].owner, win::kMainWindow);
    EXPECT_FALSE(CancelRequested);
}

// No for the file inside an extra directory, Yes for the directory: its removal fails and
// is reported; Cancel there ends the run.
TEST_F(SyncTest, PromptNoInsideThenYesForTheDirectory) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/old/f.txt", "f");
    Start();
    CopyOptions.CopySubDirs = 1;
    CopyOptions.PromptOnDeletion = 1;
    OpenLog();
    ui.answers = {win::IDNO, win::IDYES, win::IDCANCEL};

    EXPECT_FALSE(SynchroniseServer("HQ"));

    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/old/f.txt"));
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[0].text, "Do you want to delete " + kCopy + R"(\old\f.txt?)");
    EXPECT_EQ(ui.boxes[1].text, "Do you want to delete " + kCopy + R"(\old?)");
    const std::string failure = "Unable to delete " + kCopy +
                                R"(\old, do you want to continue synchronizing files on this )"
                                "server?";
    EXPECT_EQ(ui.boxes[2].text, failure);
    EXPECT_TRUE(CancelRequested);
    // Only the failure is logged, never the questions.
    const std::string log = LogText();
    EXPECT_NE(log.find(failure), std::string::npos);
    EXPECT_EQ(log.find("Do you want to delete"), std::string::npos);
}

TEST_F(SyncTest, PromptCancelStopsBeforeDeleting) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Write("HQ/DATA/DST/PROJ/extra2.txt", "e");
    Start();
    CopyOptions.PromptOnDeletion = 1;
    ui.answers = {win::IDCANCEL};
    EXPECT_FALSE(SynchroniseServer("HQ"));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/extra2.txt"));
}

TEST_F(SyncTest, UnattendedFailuresAreLoggedAndPassedOver) {
    PrepareTrees("\n[[fault]]\ncall = \"DeleteFile\"\ncode = 5\n");
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Write("HQ/DATA/DST/PROJ/extra2.txt", "e");
    Start();
    CopyOptions.PromptOnDeletion = 1;  // not asked when unattended
    CopyOptions.UnattendedMode = 1;
    OpenLog();

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(ui.boxes.empty());
    const std::string log = LogText();
    EXPECT_NE(log.find("ERROR - Unable to delete " + kCopy + R"(\extra.txt)" + "\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("ERROR - Unable to delete " + kCopy + R"(\extra2.txt)" + "\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), 0u);
}

// A file that cannot be deleted is kept as it was: its attributes, cleared for the deletion,
// come back (read-only protection included).
TEST_F(SyncTest, AFileThatCannotBeDeletedKeepsItsAttributes) {
    PrepareTrees("\n[[fault]]\ncall = \"DeleteFile\"\ncode = 32\n");
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Start();
    std::string error;
    ASSERT_TRUE(Net().Net().SetAttributes(kCopy + R"(\extra.txt)", 0x00000023, &error));
    CopyOptions.UnattendedMode = 1;
    EXPECT_TRUE(SynchroniseServer("HQ"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    EXPECT_EQ(Net().Meta(kCopy + R"(\extra.txt)").attributes, 0x00000023u);
}

// Synchronisation never deletes a dropped item or anything that holds one, even where the
// pass has not been asked first.
TEST_F(SyncTest, ADroppedItemInsideTheCopyIsNeverDeleted) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/other/dropped.txt", "also a source");
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Start();
    CopyOptions.CopySubDirs = 1;
    CopyOptions.UnattendedMode = 1;
    CopyRun.DroppedFiles = {R"(\\HQ\DATA\DST\PROJ\OTHER\DROPPED.TXT)"};
    EXPECT_TRUE(SynchroniseServer("HQ"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/other/dropped.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/extra.txt")) << "the copy holds a source: left alone";
}

TEST_F(SyncTest, FailureAnsweredNoEndsThisServerOnly) {
    PrepareTrees("\n[[fault]]\ncall = \"DeleteFile\"\ncode = 5\n");
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Write("HQ/DATA/DST/PROJ/extra2.txt", "e");
    Start();
    ui.answers = {win::IDNO};
    EXPECT_TRUE(SynchroniseServer("HQ"));  // the next server follows
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_FALSE(CancelRequested);
}

TEST_F(SyncTest, MissingDestinationDirectoryIsSkippedSilently) {
    Net();
    Write("HQ/DATA/SRC/PROJ/a.txt", "a");
    Net().MakeDir("HQ/DATA/DST");
    Write("HQ/DATA/DST/unrelated.txt", "stays");
    Start();
    EXPECT_TRUE(SynchroniseServer("HQ"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(Has("HQ/DATA/DST/unrelated.txt"));
}

TEST_F(SyncTest, NothingOutsideTheDroppedDirectoryCopyIsTouched) {
    PrepareTrees();
    Write("HQ/DATA/DST/sibling.txt", "not part of the drop");
    Write("HQ/DATA/DST/OTHER/file.txt", "not part of the drop");
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Start();
    CopyOptions.CopySubDirs = 1;
    EXPECT_TRUE(SynchroniseServer("HQ"));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/sibling.txt"));
    EXPECT_TRUE(Has("HQ/DATA/DST/OTHER/file.txt"));
}

// A destination inside the dropped directory would make its copy part of the source: nothing
// there is deleted.
TEST_F(SyncTest, TheSourceIsNeverTouched) {
    PrepareTrees();
    Write("HQ/DATA/SRC/PROJ/PROJ/x.txt", "part of the source");
    Start();
    CopyOptions.CopySubDirs = 1;
    CopyRun.DestinationRoot = kSource;
    EXPECT_TRUE(SynchroniseServer("HQ"));
    EXPECT_TRUE(Has("HQ/DATA/SRC/PROJ/PROJ/x.txt"));
    EXPECT_TRUE(Has("HQ/DATA/SRC/PROJ/a.txt"));
}

TEST_F(SyncTest, LinksAreNeverFollowed) {
    PrepareTrees();
    // Outside the network and inside the source: what the links point to must survive.
    const std::filesystem::path outside = std::filesystem::path(Net().Root()).parent_path() /
                                          ("farcast-sync-outside-" + std::to_string(::getpid()));
    std::filesystem::create_directories(outside / "dir");
    {
        std::FILE* f = std::fopen((outside / "dir" / "precious.txt").c_str(), "w");
        std::fclose(f);
    }
    Write("HQ/DATA/DST/PROJ/old/y.txt", "y");
    std::filesystem::create_directory_symlink(outside / "dir",
                                              Net().LocalPath("HQ/DATA/DST/PROJ/dirlink"));
    std::filesystem::create_symlink(outside / "dir" / "precious.txt",
                                    Net().LocalPath("HQ/DATA/DST/PROJ/filelink"));
    std::filesystem::create_directory_symlink(Net().LocalPath("HQ/DATA/SRC/PROJ/sub"),
                                              Net().LocalPath("HQ/DATA/DST/PROJ/old/srclink"));
    Start();
    CopyOptions.CopySubDirs = 1;
    CopyOptions.UnattendedMode = 1;

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(std::filesystem::exists(outside / "dir" / "precious.txt"));
    EXPECT_TRUE(Has("HQ/DATA/SRC/PROJ/sub/b.txt"));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/old/y.txt"));
    std::filesystem::remove_all(outside);
}

TEST_F(SyncTest, CancelFromTheDialogEndsTheRun) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/extra.txt", "e");
    Start();
    ui.onPump = [&] {
        if (SyncDialog != win::kNoWindow)
            ui.CancelDialog(SyncDialog);
    };
    EXPECT_FALSE(SynchroniseServer("HQ"));
    EXPECT_TRUE(CancelRequested);
    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/extra.txt"));
    EXPECT_EQ(SyncDialog, win::kNoWindow);
}

// A long-named dropped directory copied to a volume without long names lives under its 8.3
// alias there; synchronisation finds it under that name.
TEST_F(SyncTest, LongNamedDirectoryOnADosVolumeIsFoundByItsAlias) {
    Net();
    Write("HQ/DATA/SRC/Project Files/Annual Summary.txt", "sum");
    Net().MakeDir("HQ/DOS/DST");
    Start(true, false);
    const std::string source = R"(\\HQ\DATA\SRC\Project Files)";
    char shortDir[win::MAX_PATH] = {};
    char shortFile[win::MAX_PATH] = {};
    ASSERT_GT(win::Files().GetShortPathName(source.c_str(), shortDir, sizeof shortDir), 0u);
    ASSERT_GT(win::Files().GetShortPathName((source + R"(\Annual Summary.txt)").c_str(), shortFile,
                                            sizeof shortFile),
              0u);
    const std::string dir = "HQ/DOS/DST/" + LastComponent(shortDir);
    Write(dir + "/" + LastComponent(shortFile), "sum");
    Write(dir + "/EXTRA.TXT", "e");
    CopyRun.DroppedDirectories = {source};
    CopyRun.DestinationRoot = R"(\\HQ\DOS\DST)";

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_FALSE(Has(dir + "/EXTRA.TXT"));
    EXPECT_TRUE(Has(dir + "/" + LastComponent(shortFile)));
}

// What cannot be read is unknown, never absent: neither a destination directory nor a source
// entry that cannot be looked at ever leads to a deletion. Each case gets a network of its own
// (a fault, or permissions changed by an unprivileged process) and a fresh engine.
class UnknownIsNotAbsentTest : public ::testing::Test {
  protected:
    // PROJ in SRC holds a.txt; its copy in DST holds a.txt, stale.txt and old/y.txt.
    static std::unique_ptr<TestNetwork> MakeNetwork(const std::string& extraToml = "") {
        auto net = std::make_unique<TestNetwork>(std::string(kCopyTestNetwork) + extraToml);
        net->WriteFile("HQ/DATA/SRC/PROJ/a.txt", "a");
        net->WriteFile("HQ/DATA/DST/PROJ/a.txt", "a");
        net->WriteFile("HQ/DATA/DST/PROJ/stale.txt", "only on the destination");
        net->WriteFile("HQ/DATA/DST/PROJ/old/y.txt", "y");
        return net;
    }
    // A fresh engine synchronising PROJ's copy on HQ, unattended or not.
    void Start(TestNetwork& net, bool unattended) {
        ResetEngineState();
        ui = std::make_unique<win::ScriptedWindowSystem>();
        win::SetUi(ui.get());
        net.Install();
        CopyRun.SourceHasLongNames = CopyRun.DestHasLongNames = true;
        CopyRun.DroppedDirectories = {kSource};
        CopyRun.DestinationRoot = R"(\\HQ\DATA\DST)";
        CopyOptions.SyncDirs = CopyOptions.CopySubDirs = 1;
        CopyOptions.UnattendedMode = unattended;
    }
    void TearDown() override { win::SetUi(nullptr); }

    std::unique_ptr<win::ScriptedWindowSystem> ui;
};

// A destination directory that cannot be listed: the copy itself, or an extra directory the
// source lacks. Each is reported with the call and its code, counts as an error, and keeps
// everything it holds.
TEST_F(UnknownIsNotAbsentTest, ADestinationDirectoryThatCannotBeListedIsSaidAndKept) {
    struct Case {
        const char* locked;    // the directory made unreadable, under HQ/DATA/DST
        const char* reported;  // its path as the message names it
        bool unattended;
    };
    const Case cases[] = {
        {"PROJ", R"(\\HQ\DATA\DST\PROJ)", false},
        {"PROJ/old", R"(\\HQ\DATA\DST\PROJ\old)", false},
        {"PROJ/old", R"(\\HQ\DATA\DST\PROJ\old)", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locked) + (c.unattended ? " unattended" : ""));
        const auto net = MakeNetwork();
        const std::string locked = net->LocalPath(std::string("HQ/DATA/DST/") + c.locked);
        EXPECT_UNPRIVILEGED(net->Root(), [&] {
            ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
            Start(*net, c.unattended);

            EXPECT_TRUE(SynchroniseServer("HQ"));
            ::chmod(locked.c_str(), 0755);

            const std::string said = std::string("ERROR - The directory ") + c.reported +
                                     " cannot be read. Nothing in it has been deleted, and it "
                                     "is left as it is.\r\nFindFirstFile error: 0x5";
            if (c.unattended) {
                EXPECT_TRUE(ui->boxes.empty());
            } else {
                ASSERT_EQ(ui->boxes.size(), 1u);
                EXPECT_EQ(ui->boxes[0].text, said + "\r\n\r\nContinue copying files?");
            }
            EXPECT_EQ(CopyRun.ErrorMessages, 1u);
            EXPECT_TRUE(net->Exists("HQ/DATA/DST/PROJ/old/y.txt"));
            EXPECT_EQ(net->Exists("HQ/DATA/DST/PROJ/stale.txt"), std::string(c.locked) == "PROJ");
            EXPECT_EQ(CopyRun.ServerDirectoriesDeleted.ToU64(), 0u);
            net->Close();
        });
    }
}

// A source entry that cannot be looked up, and a source directory that cannot be listed while
// its single entries still can: the copy keeps what the source may hold.
TEST_F(UnknownIsNotAbsentTest, AnUnknownSourceKeepsItsCopy) {
    struct Case {
        const char* name;
        const char* fault;
        std::uint64_t deleted;  // old/y.txt goes where the listing can be had
    };
    const Case cases[] = {
        {"lookup of one entry refused",
         "\n[[fault]]\ncall = \"FindFirstFile\"\npath = '\\\\HQ\\DATA\\SRC\\PROJ\\stale.txt'\n"
         "code = 5\n",
         1},
        {"listing refused, single lookups work",
         "\n[[fault]]\ncall = \"FindFirstFile\"\npath = '\\\\HQ\\DATA\\SRC\\PROJ\\*.*'\n"
         "code = 5\n",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto net = MakeNetwork(c.fault);
        Start(*net, true);
        EXPECT_TRUE(SynchroniseServer("HQ"));
        EXPECT_TRUE(net->Exists("HQ/DATA/DST/PROJ/stale.txt"));
        EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), c.deleted);
    }
}

// The same with real permissions: the source directory may be searched but not read, so its
// entries can be looked up one by one while it cannot be listed.
TEST_F(UnknownIsNotAbsentTest, ASourceThatCanBeSearchedButNotListedKeepsItsCopy) {
    const auto net = MakeNetwork();
    const std::string source = net->LocalPath("HQ/DATA/SRC/PROJ");
    EXPECT_UNPRIVILEGED(net->Root(), [&] {
        ASSERT_EQ(::chmod(source.c_str(), 0111), 0);
        Start(*net, true);
        EXPECT_TRUE(SynchroniseServer("HQ"));
        ::chmod(source.c_str(), 0755);
        EXPECT_TRUE(net->Exists("HQ/DATA/DST/PROJ/stale.txt"));
        EXPECT_TRUE(net->Exists("HQ/DATA/DST/PROJ/old/y.txt"));
        EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), 0u);
        net->Close();
    });
}

// The deletion's own guards, called directly: a dropped item, or a directory that is or holds
// one, is never deleted, whoever asks.
TEST_F(UnknownIsNotAbsentTest, TheDeletionNeverTakesASource) {
    const auto net = MakeNetwork();
    net->WriteFile("HQ/DATA/DST/HOLDER/INNER/x.txt", "inside a dropped directory");
    net->WriteFile("HQ/DATA/DST/SRCDIR/y.txt", "a dropped directory");
    Start(*net, true);
    CopyRun.DroppedFiles = {R"(\\HQ\DATA\DST\PROJ\stale.txt)"};
    CopyRun.DroppedDirectories = {R"(\\HQ\DATA\DST\HOLDER\INNER)", R"(\\HQ\DATA\DST\SRCDIR)"};
    DroppedPlaces.Set(CopyRun.DroppedFiles, CopyRun.DroppedDirectories);

    EXPECT_TRUE(DeleteDestinationFile(R"(\\HQ\DATA\DST\PROJ\STALE.TXT)", 23));
    EXPECT_TRUE(DeleteDestinationTree(R"(\\HQ\DATA\DST\PROJ)"));    // holds a dropped file
    EXPECT_TRUE(DeleteDestinationTree(R"(\\HQ\DATA\DST\holder)"));  // holds a dropped directory
    EXPECT_TRUE(DeleteDestinationTree(R"(\\HQ\DATA\DST\SRCDIR)"));  // is one

    EXPECT_TRUE(net->Exists("HQ/DATA/DST/PROJ/stale.txt"));
    EXPECT_TRUE(net->Exists("HQ/DATA/DST/HOLDER/INNER/x.txt"));
    EXPECT_TRUE(net->Exists("HQ/DATA/DST/SRCDIR/y.txt"));
    EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), 0u);
    EXPECT_EQ(CopyRun.ServerDirectoriesDeleted.ToU64(), 0u);
}

// A temporary file that another run, alive, is writing in the destination is passed over in
// silence: neither its attributes nor the file are touched, and nothing is reported. A file of
// that form that no live program holds (one a stopped run left) is deleted as any other.
TEST_F(SyncTest, AnotherLiveRunsTemporaryFileIsPassedOverInSilence) {
    PrepareTrees();
    Write("HQ/DATA/DST/PROJ/FCT1.TMP", "left by a stopped run");
    Start();
    LiveProgram other = StartLiveProgram(Net().Root(), kCopy, win::FILE_ATTRIBUTE_READONLY);
    ASSERT_FALSE(other.temporaryFile.empty());
    const std::string name = LastComponent(other.temporaryFile);

    EXPECT_TRUE(SynchroniseServer("HQ"));

    EXPECT_TRUE(Has("HQ/DATA/DST/PROJ/" + name));
    EXPECT_EQ(win::Files().GetFileAttributes(other.temporaryFile.c_str()),
              win::FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/FCT1.TMP"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(CopyRun.ErrorMessages, 0u);
    EXPECT_EQ(CopyRun.ServerFilesDeleted.ToU64(), 1u);
    // Once it has ended, its file is a leftover like any other.
    StopLiveProgram(other);
    EXPECT_TRUE(DeleteDestinationFile(other.temporaryFile, 0));
    EXPECT_FALSE(Has("HQ/DATA/DST/PROJ/" + name));
}

}  // namespace
