// A metadata store that refuses a write fails the call that needed it, and the call leaves the
// disk as it was; what a stopped process left half done is finished or undone by the next open.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "netware/sim/journal.h"
#include "platform/locale.h"
#include "resources/string_ids.h"
#include "tests/sim/sim_fixture.h"
#include "tests/support/scratch_mount.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

bool WriteFile(const char* path, const std::string& content) {
    win::ScopedHandle h(
        win::Files().CreateFile(path, win::GENERIC_WRITE, 0, win::CREATE_ALWAYS, 0));
    std::uint32_t n = 0;
    return h.Valid() && win::Files().WriteFile(h.Get(), content.data(),
                                               static_cast<std::uint32_t>(content.size()), &n);
}

const char* kFault = R"(
[[fault]]
call = "MetadataStore"
path = '*\TARGET.TXT'
code = 112
)";

// The replacement swaps the names first; when the store cannot take the change, the swap is
// undone: the old file is there under its name, the new one under the temporary name.
TEST(StoreFailureTest, AReplacementTheStoreRefusesLeavesBothFilesAsTheyWere) {
    TestNetwork net(std::string(kSimNetwork) + kFault);
    net.WriteFile("HQ/DATA/TARGET.TXT", "old");
    net.Install();
    ASSERT_TRUE(WriteFile(R"(\\HQ\DATA\FCT1.TMP)", "new"));
    // The temporary file has a row of its own, which the replacement must move.
    ASSERT_TRUE(
        win::Files().SetFileAttributes(R"(\\HQ\DATA\FCT1.TMP)", win::FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(win::Files().MoveFileEx(R"(\\HQ\DATA\FCT1.TMP)", R"(\\HQ\DATA\TARGET.TXT)",
                                         win::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_DISK_FULL);
    EXPECT_EQ(net.ReadFile("HQ/DATA/TARGET.TXT"), "old");
    EXPECT_EQ(net.ReadFile("HQ/DATA/FCT1.TMP"), "new");
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\FCT1.TMP)").attributes, 0x00000001u);
}

TEST(StoreFailureTest, ACallWhoseWriteIsRefusedFailsWithTheStoresCode) {
    TestNetwork net(std::string(kSimNetwork) + kFault);
    net.WriteFile("HQ/DATA/TARGET.TXT", "t");
    net.Install();
    EXPECT_FALSE(
        win::Files().SetFileAttributes(R"(\\HQ\DATA\TARGET.TXT)", win::FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_DISK_FULL);
    NWCONN_HANDLE conn = 0;
    NetWare().NWGetConnectionHandle("HQ", 0, &conn, nullptr);
    NWEntryDOSInfo info{};
    info.attributes = 0x21;
    EXPECT_EQ(NetWare().NWSetNSEntryDOSInfo(conn, 0, "DATA:TARGET.TXT", 4, 0x06, nw::DM_ATTRIBUTES,
                                            &info),
              0x8901u);
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\TARGET.TXT)").attributes, 0x00000020u) << "unchanged";
}

// The journal of a process that no longer runs, as a crash leaves it.
void WriteDeadJournal(const TestNetwork& net, const std::vector<sim::Journal::Record>& records) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);  // its pid names no running process now
    std::filesystem::create_directories(net.Root() + "/.netsim/journal");
    std::ofstream out(net.Root() + "/.netsim/journal/" + std::to_string(child) + "-1-1.journal");
    for (const sim::Journal::Record& r : records) {
        out << r.kind << '\t' << r.key.server << '\t' << r.key.volume << '\t' << r.key.dir << '\t'
            << r.key.name;
        if (r.kind != sim::Journal::kTempCreating && r.kind != sim::Journal::kSettled)
            out << '\t' << r.identity.inode << '\t' << r.identity.birth;
        if (r.kind == sim::Journal::kRenaming)
            out << '\t' << r.target.server << '\t' << r.target.volume << '\t' << r.target.dir
                << '\t' << r.target.name << '\t' << r.targetIdentity.inode << '\t'
                << r.targetIdentity.birth;
        if (r.kind == sim::Journal::kReset)
            out << '\t' << r.attributes;
        out << '\n';
    }
    out << "T\tcut short";  // a last line the process's end cut: never a record
}

sim::FileIdentity IdentityOf(const std::string& local) {
    struct statx sx {};
    statx(AT_FDCWD, local.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &sx);
    return {sx.stx_ino, (sx.stx_mask & STATX_BTIME)
                            ? static_cast<std::int64_t>(sx.stx_btime.tv_sec) * 1000000000LL +
                                  sx.stx_btime.tv_nsec
                            : 0};
}

// Killed between the rename on the disk and its row in the store: the next open moves the
// row, so the file has the metadata it was given, and removes the old file the swap left.
TEST(JournalTest, ARenameDoneOnTheDiskIsFinished) {
    TestNetwork net(kSimNetwork);
    net.WriteFile("HQ/DATA/TARGET.TXT", "old");
    net.Install();
    ASSERT_TRUE(WriteFile(R"(\\HQ\DATA\FCT7.TMP)", "new"));
    std::string error;
    ASSERT_TRUE(net.Net().SetAttributes(R"(\\HQ\DATA\FCT7.TMP)", 0x00000021, &error)) << error;
    net.Close();
    const sim::FileIdentity temp = IdentityOf(net.LocalPath("HQ/DATA/FCT7.TMP"));
    const sim::FileIdentity old = IdentityOf(net.LocalPath("HQ/DATA/TARGET.TXT"));
    // The swap reached the disk; the store never heard of it.
    ASSERT_EQ(::renameat2(AT_FDCWD, net.LocalPath("HQ/DATA/FCT7.TMP").c_str(), AT_FDCWD,
                          net.LocalPath("HQ/DATA/TARGET.TXT").c_str(), RENAME_EXCHANGE),
              0);
    sim::Journal::Record renaming;
    renaming.kind = sim::Journal::kRenaming;
    renaming.key = {"HQ", "DATA", "", "FCT7.TMP"};
    renaming.identity = temp;
    renaming.target = {"HQ", "DATA", "", "TARGET.TXT"};
    renaming.targetIdentity = old;
    WriteDeadJournal(net, {renaming});
    net.Install();
    EXPECT_EQ(net.ReadFile("HQ/DATA/TARGET.TXT"), "new");
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\TARGET.TXT)").attributes, 0x00000021u);
    EXPECT_FALSE(net.Exists("HQ/DATA/FCT7.TMP"));
    EXPECT_TRUE(std::filesystem::is_empty(net.Root() + "/.netsim/journal"));
}

// Killed before the rename: the temporary file goes, the reset attributes come back; files
// the journal does not name, or that are no longer the files it names, are never touched.
TEST(JournalTest, AReplacementThatNeverHappenedIsUndone) {
    TestNetwork net(kSimNetwork);
    net.WriteFile("HQ/DATA/TARGET.TXT", "old");
    net.WriteFile("HQ/DATA/FCT8.TMP", "half written");
    net.WriteFile("HQ/DATA/FCT9.TMP", "a file of the user's with such a name");
    net.WriteFile("HQ/DATA/OTHER.TXT", "replaced since");
    net.Install();
    std::string error;
    ASSERT_TRUE(net.Net().SetAttributes(R"(\\HQ\DATA\TARGET.TXT)", 0x00000020, &error));
    ASSERT_TRUE(net.Net().SetAttributes(R"(\\HQ\DATA\OTHER.TXT)", 0x00000020, &error));
    net.Close();
    sim::Journal::Record created;
    created.kind = sim::Journal::kTempCreated;
    created.key = {"HQ", "DATA", "", "FCT8.TMP"};
    created.identity = IdentityOf(net.LocalPath("HQ/DATA/FCT8.TMP"));
    sim::Journal::Record reset;
    reset.kind = sim::Journal::kReset;
    reset.key = {"HQ", "DATA", "", "TARGET.TXT"};
    reset.identity = IdentityOf(net.LocalPath("HQ/DATA/TARGET.TXT"));
    reset.attributes = 0x00000021;
    sim::Journal::Record stale = reset;
    stale.key.name = "OTHER.TXT";
    stale.identity = {1, 1};  // another file had the name then
    WriteDeadJournal(net, {created, reset, stale});
    net.Install();
    EXPECT_FALSE(net.Exists("HQ/DATA/FCT8.TMP"));
    EXPECT_TRUE(net.Exists("HQ/DATA/FCT9.TMP"));
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\TARGET.TXT)").attributes, 0x00000021u);
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\OTHER.TXT)").attributes, 0x00000020u);
}

// A running process's journal is its own business: a second opening of the network leaves
// the temporary file the first one is making.
TEST(JournalTest, ALiveProcessesRecordsAreLeftAlone) {
    TestNetwork net(kSimNetwork);
    net.Install();
    std::vector<char> temporary(win::kPathBufferSize);
    ASSERT_NE(win::Files().GetTempFileName(R"(\\HQ\DATA)", "FCT", 0, temporary.data()), 0u);
    std::string error;
    std::unique_ptr<sim::SimNetwork> second = sim::SimNetwork::Open(net.Root(), &error);
    ASSERT_TRUE(second) << error;
    const std::string name = std::filesystem::path(temporary.data()).filename().string();
    EXPECT_TRUE(net.Exists("HQ/DATA/" + name.substr(name.rfind('\\') + 1)));
}

// A listing that must keep new aliases fails when the disk under the store is full; the caller
// can only report the directory, so the store names itself as the cause, once.
TEST(StoreFailureTest, AFullDiskUnderTheStoreIsNamedAsTheCause) {
    TestNetwork net(kSimNetwork);
    net.WriteFile("HQ/DATA/SRC/Long File Name 1.txt", "1");
    net.WriteFile("HQ/DATA/SRC/Long File Name 2.txt", "2");
    std::filesystem::create_directories(net.LocalPath(".netsim"));
    ScratchMount disk(net.LocalPath(".netsim"), "tmpfs", "size=1m");
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs under the metadata store";
    net.Install();
    EXPECT_EQ(win::Files().GetFileAttributes(R"(\\HQ\DATA\SRC)"), win::FILE_ATTRIBUTE_DIRECTORY);
    disk.Fill();
    testing::internal::CaptureStderr();
    win::FindData entry;
    const win::HANDLE find = win::Files().FindFirstFile(R"(\\HQ\DATA\SRC\*.*)", &entry);
    const std::string said = testing::internal::GetCapturedStderr();
    if (find != win::INVALID_HANDLE_VALUE)
        win::Files().FindClose(find);
    EXPECT_EQ(find, win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(said,
              FormatText(LoadResString(IDS_SIM_STORE_REFUSED),
                         (std::filesystem::canonical(net.Root()) / ".netsim/metadata.db").c_str(),
                         SystemErrorText(win::ERROR_DISK_FULL).c_str()) +
                  "\n");
    net.Close();
}

}  // namespace
