// Copies that the world interrupts: a source changed while it is read, a metadata store or a
// log that refuses writes, a disk that fills, a process killed half way. Each time the
// failure is said, and the destination is either as it was or as the source has it, bytes and
// metadata, with no temporary file and no reset attribute left.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "copy/file_copy.h"
#include "netware/sim/sim_network.h"
#include "tests/copy/copy_fixture.h"

namespace {

const std::string kSrcDir = R"(\\HQ\DATA\SRC)";
const std::string kDstDir = R"(\\HQ\DATA\DST)";
const std::string kSource = kSrcDir + R"(\A.TXT)";
const std::string kTarget = kDstDir + R"(\A.TXT)";

class InterruptedCopyTest : public CopyTest {
  protected:
    // A source of several chunks and an older, read-only destination.
    void Prepare(const std::string& extraToml = "") {
        Net(extraToml);
        Write("HQ/DATA/SRC/A.TXT", std::string(64 * 1024, 'n'), 1700000000);
        Write("HQ/DATA/DST/A.TXT", "old", 1600000000);
        Install();
        SetAttributes(kTarget, 0x00000021);
        CopyOptions.BufferSize = 4;
        CopyOptions.CopyAttributes = 1;
    }
    // Runs once the first chunk has been written (the "Copied:" field shows it).
    void DuringTheCopy(std::function<void()> change) {
        ui.onPump = [this, change, done = false]() mutable {
            const win::RecordedDialog* copy = ui.LastDialog(win::DialogKind::CopyFiles);
            const std::string copied = copy ? copy->Field(233) : "";
            if (!done && !copied.empty() && copied != " ") {
                done = true;
                change();
            }
        };
    }
    void ExpectOldDestinationKept() {
        EXPECT_EQ(Content(kTarget), "old");
        EXPECT_EQ(Stat(kTarget)["attributes"], "0x00000021");
        EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    }
    std::string SourceLocal() { return Net().LocalPath("HQ/DATA/SRC/A.TXT"); }
};

const std::string kChanged =
    "ERROR - " + kSource + " changed while it was being copied to " + kTarget +
    ". The copy has been discarded and the destination is left as it was.\r\n\r\nContinue "
    "copying files?";

TEST_F(InterruptedCopyTest, ASourceThatGrowsWhileReadIsNotDelivered) {
    Prepare();
    DuringTheCopy([this] { std::ofstream(SourceLocal(), std::ios::app) << "more"; });
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kChanged);
    ExpectOldDestinationKept();
}

TEST_F(InterruptedCopyTest, ASourceEditedBehindTheCopyIsNotDelivered) {
    Prepare();
    DuringTheCopy([this] {
        std::fstream file(SourceLocal(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(0);
        file << "EDITED";  // same size, behind the position already read
    });
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kChanged);
    ExpectOldDestinationKept();
}

TEST_F(InterruptedCopyTest, ASourceReplacedWhileReadIsNotDelivered) {
    Prepare();
    DuringTheCopy([this] {
        const std::string next = SourceLocal() + ".new";
        std::ofstream(next) << std::string(64 * 1024, 'r');
        std::filesystem::rename(next, SourceLocal());  // as an editor saves
    });
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, kChanged);
    ExpectOldDestinationKept();
}

// Cancel while a file is copied, and the destination's attributes cannot be put back: that is
// said, and the cancel still stands, whatever the answer to the report.
TEST_F(InterruptedCopyTest, AReportDuringACancelLeavesTheCancelStanding) {
    for (const bool unattended : {false, true}) {
        SCOPED_TRACE(unattended ? "unattended" : "attended");
        TearDown();
        SetUp();
        Prepare(
            "\n[[fault]]\ncall = \"NWSetNSEntryDOSInfo\"\npath = '*DST\\A.TXT'\ncode = 0x89FF\n");
        CopyOptions.UnattendedMode = unattended;
        ui.answers = {win::IDYES};
        DuringTheCopy([this] { ui.CancelDialog(ProgressDialog); });
        EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
        EXPECT_TRUE(CancelRequested);
        EXPECT_EQ(Content(kTarget), "old");
        EXPECT_EQ(CopyRun.ErrorMessages, 1u);
        if (!unattended) {
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].text, "ERROR - Unable to set attributes for " + kTarget +
                                            ".\r\nNWSetNSEntryDOSInfo error: 0x89FF\r\n\r\n"
                                            "Continue copying files?");
        }
    }
}

// A metadata store that refuses writes: the call that needed it fails with a completion code,
// and the copy's message says so; nothing ends with other attributes in silence.
TEST_F(InterruptedCopyTest, AStoreThatRefusesAWriteIsSaid) {
    Prepare("\n[[fault]]\ncall = \"MetadataStore\"\npath = '*DST*FCT*'\ncode = 112\n");
    SetAttributes(kSource, 0x00000021);  // attributes that need a row of their own
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 64u * 1024);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "ERROR - Unable to set attributes for " + kTarget +
                                    ".\r\nNWSetNSEntryDOSInfo error: 0x8901\r\n\r\nContinue "
                                    "copying files?");
    EXPECT_EQ(Content(kTarget), std::string(64 * 1024, 'n'));
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
}

// The first log record that cannot be written is said once, in a box shown also unattended;
// the run goes on.
TEST_F(InterruptedCopyTest, ALogThatCannotBeWrittenIsSaidOnce) {
    Net("\n[[fault]]\ncall = \"WriteFile\"\npath = '*farcast-copy-test-*.log'\ncode = 112\n");
    Write("HQ/DATA/SRC/A.TXT", "a");
    Write("HQ/DATA/SRC/B.TXT", "b");
    Net().MakeDir("HQ/DATA/DST");
    Install();
    CopyOptions.UnattendedMode = 1;
    OpenLog(true);
    EXPECT_EQ(CopyOneFile(kSrcDir + R"(\A.TXT)", kDstDir), 1u);
    EXPECT_EQ(CopyOneFile(kSrcDir + R"(\B.TXT)", kDstDir), 1u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "ERROR - The log file " + CopyOptions.LogFileName +
                                    " cannot be written: There is not enough space on the disk. "
                                    "(error 0x70). The run goes on, but its messages are no "
                                    "longer kept in the log.");
    EXPECT_EQ(ui.boxes[0].style, 0x10010u);
    EXPECT_TRUE(LogWriteFailed());
}

// ---- the real thing: a full disk, a killed process ----

// A small tmpfs mounted over a directory for the test's life; unavailable without the right
// to mount.
class Tmpfs {
  public:
    Tmpfs(const std::string& dir, const char* size) : dir_(dir) {
        std::filesystem::create_directories(dir);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", dir.c_str(), "tmpfs", 0,
                                               (std::string("size=") + size).c_str()) == 0;
    }
    ~Tmpfs() {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    // Fills what is left, so that the next write finds the disk full.
    void Fill() {
        std::ofstream filler(dir_ + "/.filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size()))
            filler.flush();
    }

  private:
    std::string dir_;
    bool mounted_ = false;
};

TEST_F(InterruptedCopyTest, AFullDestinationDiskIsNamedAndTheOldFileKept) {
    Net();
    Tmpfs disk(Net().LocalPath("HQ/DATA/DST"), "64k");
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs as the destination";
    Write("HQ/DATA/SRC/A.TXT", std::string(256 * 1024, 'n'), 1700000000);
    Write("HQ/DATA/DST/A.TXT", "old", 1600000000);
    Install();
    SetAttributes(kTarget, 0x00000021);
    CopyOptions.BufferSize = 16;
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "ERROR - Unknown error while copying " + kSource + " to " + kTarget +
                  " - source and destination file sizes don't match.\r\nWriteFile error: 0x70 "
                  "(There is not enough space on the disk.)\r\n\r\nContinue copying files?");
    ExpectOldDestinationKept();
}

TEST_F(InterruptedCopyTest, AFullDiskUnderTheLogIsSaid) {
    const std::string dir =
        std::filesystem::temp_directory_path() / ("farcast-full-log-" + std::to_string(::getpid()));
    Tmpfs disk(dir, "16k");
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs under the log file";
    Net();
    Write("HQ/DATA/SRC/A.TXT", "a");
    Net().MakeDir("HQ/DATA/DST");
    Install();
    CopyOptions.UnattendedMode = 1;
    CopyOptions.CreateLogfile = 1;
    CopyOptions.VerboseLogging = 1;
    CopyOptions.LogFileName = dir + "/run.log";
    CopyRun.LogFile = OpenLogFile(CopyOptions.LogFileName);
    ASSERT_NE(CopyRun.LogFile, win::INVALID_HANDLE_VALUE);
    disk.Fill();
    EXPECT_EQ(CopyOneFile(kSrcDir + R"(\A.TXT)", kDstDir), 1u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].text.find("cannot be written: There is not enough space on the disk."),
              std::string::npos)
        << ui.boxes[0].text;
    CloseLogFile();
    std::filesystem::remove(CopyOptions.LogFileName);
    std::filesystem::remove(dir + "/.filler");
}

TEST_F(InterruptedCopyTest, AFullDiskUnderTheMetadataStoreIsSaid) {
    Net();
    Write("HQ/DATA/SRC/A.TXT", std::string(8192, 'n'));
    Net().MakeDir("HQ/DATA/DST");
    Tmpfs disk(Net().LocalPath(".netsim"), "1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs under the metadata store";
    Install();
    SetAttributes(kSource, 0x00000021);
    disk.Fill();
    CopyOptions.CopyAttributes = 1;
    CopyOptions.UnattendedMode = 1;
    OpenLog();
    const std::uint64_t copied = CopyOneFile(kSource, kDstDir);
    // Whatever the store refused first, it was said, with the disk named, and the copy is
    // either absent or carries the source's attributes.
    const std::string log = LogText();
    EXPECT_NE(log.find("There is not enough space on the disk."), std::string::npos) << log;
    if (copied != 0 && log.find("Unable to set attributes") == std::string::npos) {
        EXPECT_EQ(Stat(kTarget)["attributes"], "0x00000021");
    }
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    std::filesystem::remove(Net().LocalPath(".netsim/.filler"));
}

// A process killed in the middle of a replacement: its destination keeps its bytes, but its
// attributes are reset and its temporary file lies there, until the next process opens the
// network and puts them right.
// A copy that gives up puts the destination's word back only onto the file it read it from,
// as it left it: a file delivered by another program, or a word set by an administrator
// meanwhile, is left alone, and that is said.
TEST_F(InterruptedCopyTest, ARestoreNeverLandsOnAFileChangedMeanwhile) {
    const std::string skipped = AskText(IDS_ERR_RESTORE_SKIPPED, kTarget.c_str()).substr(0, 60);
    struct Case {
        const char* what;
        std::function<void()> change;
        std::string content;
        std::string attributes;
    };
    const std::vector<Case> cases = {
        {"another program delivers a file",
         [this] {
             const std::string next = Net().LocalPath("HQ/DATA/DST/other");
             std::ofstream(next) << "theirs";
             std::filesystem::rename(next, Net().LocalPath("HQ/DATA/DST/A.TXT"));
         },
         "theirs", "0x00000020"},
        {"an administrator sets the word", [this] { SetAttributes(kTarget, 0x00000002); }, "old",
         "0x00000002"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare();
        ui.boxes.clear();
        DuringTheCopy([this, &c] {
            c.change();
            std::ofstream(SourceLocal(), std::ios::app) << "more";  // and the copy gives up
        });
        EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
        ASSERT_EQ(ui.boxes.size(), 2u);
        EXPECT_EQ(ui.boxes[0].text.substr(0, 60), skipped);
        EXPECT_EQ(ui.boxes[1].text, kChanged);
        EXPECT_EQ(Content(kTarget), c.content);
        EXPECT_EQ(Stat(kTarget)["attributes"], c.attributes);
        EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
        ResetNet();
    }
}

// The temporary file has the source's read-only attribute when the rename fails: it is
// removed all the same. One that cannot be removed is said, stays recorded and is reported,
// and the next program that opens the network removes it.
TEST_F(InterruptedCopyTest, AnAbandonedTemporaryFileIsRemovedOrSaid) {
    Prepare("\n[[fault]]\ncall = \"MoveFileEx\"\ncode = 5\n");
    SetAttributes(kSource, 0x00000021);
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.rfind("ERROR - " + kSource + " was successfully copied", 0), 0u);
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    ExpectOldDestinationKept();
    ResetNet();

    Prepare(
        "\n[[fault]]\ncall = \"MoveFileEx\"\ncode = 5\n"
        "[[fault]]\ncall = \"DeleteFile\"\npath = '*FCT*'\ncode = 5\n");
    SetAttributes(kSource, 0x00000021);
    ui.boxes.clear();
    EXPECT_EQ(CopyOneFile(kSource, kDstDir), 0u);
    const std::vector<std::string> left = TemporaryFiles("HQ/DATA/DST");
    ASSERT_EQ(left.size(), 1u);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text,
              AskText(IDS_ERR_TEMP_LEFT, (kDstDir + "\\" + left[0]).c_str(), "Access is denied."));
    Net().Close();  // the program ends: its record of the file stays
    {
        std::string error;
        auto look = sim::SimNetwork::Open(Net().Root(), &error, false);
        ASSERT_TRUE(look) << error;
        const std::vector<std::string> problems = look->Check();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0], FormatText(LoadResString(IDS_SIM_CHECK_TEMP_LEFT),
                                          (kDstDir + "\\" + left[0]).c_str()));
    }
    Net().Install();  // the next program
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    ExpectOldDestinationKept();
}

TEST_F(InterruptedCopyTest, WhatAKilledCopyLeftIsPutRightByTheNextOpen) {
    Net();
    Write("HQ/DATA/SRC/A.TXT", std::string(64 * 1024, 'n'), 1700000000);
    Write("HQ/DATA/SRC/NEW.TXT", std::string(64 * 1024, 'w'), 1700000000);
    Write("HQ/DATA/DST/A.TXT", "old", 1600000000);
    Install();
    SetAttributes(kTarget, 0x00000021);
    Net().Close();  // the child opens the network on its own
    for (const std::string& source : {kSource, kSrcDir + R"(\NEW.TXT)"}) {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Net().Install();
            ResetEngineState();
            win::SetUi(&ui);
            CopyOptions.BufferSize = 4;
            CopyOptions.CopyAttributes = 1;
            CopyRun.SourceHasLongNames = CopyRun.DestHasLongNames = true;
            CopyRun.SourceLongNamesKnown = true;
            ProgressDialog = ui.CreateProgressDialog(win::DialogKind::CopyFiles, win::kMainWindow);
            DuringTheCopy([] { ::raise(SIGKILL); });
            CopyOneFile(source, kDstDir);
            ::_exit(3);  // not reached: the kill came first
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }
    EXPECT_FALSE(TemporaryFiles("HQ/DATA/DST").empty()) << "the killed copies left them";
    Net().Install();  // the next process
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    EXPECT_EQ(Content(kTarget), "old");
    EXPECT_EQ(Stat(kTarget)["attributes"], "0x00000021");
    EXPECT_FALSE(Exists(kDstDir + R"(\NEW.TXT)"));
}

}  // namespace
