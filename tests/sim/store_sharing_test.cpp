// The metadata store is shared with other processes (the admin tool): every call leaves it
// committed and unlocked, and a change another process makes is seen when the run next enters
// the directory or acts destructively on the entry. Rows follow files through the renames that
// copies make.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "netware/sim/metadata_store.h"
#include "resources/string_ids.h"
#include "tests/sim/sim_fixture.h"
#include "tests/support/store_connection.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

class StoreSharingTest : public SimTest {
  protected:
    win::FileServices& F() { return win::Files(); }
    bool Create(const char* path, const std::string& content) {
        win::ScopedHandle h(F().CreateFile(path, win::GENERIC_WRITE, 0, win::CREATE_NEW, 0));
        std::uint32_t n = 0;
        return h.Valid() && F().WriteFile(h.Get(), content.data(),
                                          static_cast<std::uint32_t>(content.size()), &n);
    }
};

TEST_F(StoreSharingTest, EveryCallLeavesTheStoreCommittedAndUnlocked) {
    StoreConnection other(net_.Root());
    ASSERT_TRUE(F().SetFileAttributes(R"(\\HQ\DATA\PROJ\a.txt)", win::FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(other.CanWrite());
    EXPECT_EQ(other.Attributes("a.txt") & win::FILE_ATTRIBUTE_HIDDEN, win::FILE_ATTRIBUTE_HIDDEN);

    // An enumeration held open, which stored aliases as it listed.
    win::FindData d;
    win::ScopedFind find(F().FindFirstFile(R"(\\HQ\DATA\PROJ\*.*)", &d));
    ASSERT_TRUE(find.Valid());
    EXPECT_TRUE(other.CanWrite());

    // A copy's steps: a temporary file, its data, its rename, its attributes.
    char temporary[win::MAX_PATH] = {};
    ASSERT_NE(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, temporary), 0u);
    EXPECT_TRUE(other.CanWrite());
    {
        win::ScopedHandle h(
            F().CreateFile(temporary, win::GENERIC_WRITE, 0, win::TRUNCATE_EXISTING, 0));
        ASSERT_TRUE(h.Valid());
        EXPECT_TRUE(other.CanWrite());
    }
    ASSERT_TRUE(F().MoveFileEx(temporary, R"(\\HQ\DATA\PROJ\NEW.DAT)", 0));
    EXPECT_TRUE(other.CanWrite());
    NWEntryDOSInfo info{};
    info.attributes = nw::A_READ_ONLY;
    ASSERT_EQ(NetWare().NWSetNSEntryDOSInfo(Connection("HQ"), 0, R"(DATA:PROJ\NEW.DAT)", 4, 0,
                                            nw::DM_ATTRIBUTES, &info),
              0u);
    EXPECT_TRUE(other.CanWrite());
    EXPECT_EQ(other.Attributes("NEW.DAT"), static_cast<long long>(nw::A_READ_ONLY));
}

TEST_F(StoreSharingTest, ChangesOfAnotherProcessAreSeenWhenTheRunEntersOrActs) {
    // Looking at an entry makes no row; storing something of it does. The simulator keeps what
    // it has read of the store, and sees every change another process makes to it when it next
    // enters the directory, or acts destructively on the entry.
    const char* path = R"(\\HQ\DATA\PROJ\a.txt)";
    auto enter = [this] {
        win::FindData data;
        win::ScopedFind find(F().FindFirstFile(R"(\\HQ\DATA\PROJ\*)", &data));
    };
    std::string error;
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x20, &error)) << error;
    ASSERT_EQ(F().GetFileAttributes(path), win::FILE_ATTRIBUTE_ARCHIVE);
    StoreConnection other(net_.Root());
    ASSERT_TRUE(other.Exec("UPDATE entry SET attributes=1 WHERE name='a.txt'"));
    enter();
    EXPECT_EQ(F().GetFileAttributes(path), win::FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(other.Exec("UPDATE entry SET attributes=32 WHERE name='a.txt'"));
    enter();
    EXPECT_EQ(F().GetFileAttributes(path), win::FILE_ATTRIBUTE_ARCHIVE);
    // Without entering: a deletion looks at the row afresh, and a read-only file stays.
    ASSERT_TRUE(other.Exec("UPDATE entry SET attributes=1 WHERE name='a.txt'"));
    EXPECT_FALSE(F().DeleteFile(path));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "hello");
    // A row another process makes, and one it removes.
    ASSERT_TRUE(
        other.Exec("DELETE FROM entry WHERE name='LongFileName.txt'; UPDATE entry SET "
                   "name='LongFileName.txt', attributes=3 WHERE name='a.txt'"));
    enter();
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\a.txt)"), win::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_NE(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\LongFileName.txt)"),
              win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN)
        << "a row of another file's identity is never applied";
}

TEST_F(StoreSharingTest, ReadingMakesNoRowsAndTakesNoLock) {
    StoreConnection other(net_.Root());
    ASSERT_NE(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\a.txt)"), win::INVALID_FILE_ATTRIBUTES);
    win::FindData data;
    win::ScopedFind find(F().FindFirstFile(R"(\\HQ\DATA\PROJ\*.*)", &data));
    ASSERT_TRUE(find.Valid());
    EXPECT_EQ(other.Attributes("a.txt"), -1) << "no row for defaults";
    EXPECT_TRUE(other.CanWrite());
}

TEST_F(StoreSharingTest, ANewFileTakesNothingFromTheFileItReplaces) {
    // The old file has a row of its own (hidden, a trustee); the new file, never given any
    // metadata, has the defaults under the old name.
    const char* target = R"(\\HQ\DATA\PROJ\a.txt)";
    ASSERT_TRUE(F().SetFileAttributes(target, win::FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(NetWare().NWAddTrustee(Connection("HQ"), 0, R"(DATA:PROJ\a.txt)", 0x01000011, 0x1F),
              0u);
    ASSERT_TRUE(Create(R"(\\HQ\DATA\PROJ\FRESH.TMP)", "new data"));
    ASSERT_TRUE(
        F().MoveFileEx(R"(\\HQ\DATA\PROJ\FRESH.TMP)", target, win::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(F().GetFileAttributes(target), win::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(net_.Meta(target).trustees.empty());
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "new data");
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\FRESH.TMP)"), win::INVALID_FILE_ATTRIBUTES);

    // A file with metadata keeps it through a rename.
    ASSERT_TRUE(Create(R"(\\HQ\DATA\PROJ\KEPT.TMP)", "kept"));
    ASSERT_TRUE(F().SetFileAttributes(R"(\\HQ\DATA\PROJ\KEPT.TMP)", win::FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(F().MoveFile(R"(\\HQ\DATA\PROJ\KEPT.TMP)", R"(\\HQ\DATA\PROJ\KEPT.DAT)"));
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\KEPT.DAT)"), win::FILE_ATTRIBUTE_SYSTEM);
}

// A new file without a row of its own, delivered under a free name, writes no row: another
// program holding the store's write lock meanwhile keeps the copy waiting for nothing.
TEST_F(StoreSharingTest, ANewFileIsDeliveredWithoutTheStoresWriteLock) {
    char temporary[win::MAX_PATH] = {};
    ASSERT_NE(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, temporary), 0u);
    {
        win::ScopedHandle h(
            F().CreateFile(temporary, win::GENERIC_WRITE, 0, win::TRUNCATE_EXISTING, 0));
        std::uint32_t n = 0;
        ASSERT_TRUE(h.Valid() && F().WriteFile(h.Get(), "new", 3, &n));
    }
    StoreConnection other(net_.Root());
    ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE"));
    const bool moved = F().MoveFile(temporary, R"(\\HQ\DATA\PROJ\new.txt)");
    const std::uint32_t error = F().GetLastError();
    other.Exec("ROLLBACK");
    EXPECT_TRUE(moved) << error;
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/new.txt"), "new");
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\new.txt)"), win::FILE_ATTRIBUTE_ARCHIVE);
}

// A process writes only the fields of a row it changed, and only while the row still describes
// the file it read it for: a field another process changed since is kept, and a row deleted and
// its id given to another file's row is left alone (the write fails with a sharing violation).
TEST_F(StoreSharingTest, ARowChangedSinceItWasReadKeepsTheOtherProcesssChange) {
    const std::string file = net_.Root() + "/.netsim/metadata.db";
    const sim::EntryKey key{"HQ", "DATA", "PROJ", "shared.txt"};
    const sim::FileIdentity first{5, 0, 7}, second{9, 0, 7};
    sim::MetadataStore ours, theirs;
    std::string error;
    ASSERT_TRUE(ours.Open(file, &error)) << error;
    ASSERT_TRUE(theirs.Open(file, &error)) << error;
    struct Case {
        const char* what;
        std::function<void(sim::MetadataStore&)> change;  // what the other process does
        sim::FileIdentity left;                           // the file whose row it leaves
        bool written;                                     // our attribute word arrives
    };
    const Case cases[] = {
        {"another field changed",
         [&](sim::MetadataStore& s) {
             sim::MetaRow row;
             ASSERT_TRUE(s.Find(key, first, &row));
             row.irm = 0x0F;
             ASSERT_TRUE(s.Update(row, key));
         },
         first, true},
        {"row deleted, its id reused for another file",
         [&](sim::MetadataStore& s) {
             s.Remove(key, &first);
             sim::MetaRow row;
             row.irm = 0x0F;
             ASSERT_TRUE(s.InsertNew(key, second, &row));
         },
         second, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        theirs.Remove(key);
        sim::MetaRow row;
        ASSERT_TRUE(theirs.InsertNew(key, first, &row));
        sim::MetaRow read;
        ours.NewEpoch();
        ASSERT_TRUE(ours.Find(key, first, &read));
        theirs.NewEpoch();
        c.change(theirs);
        read.attributes = 0x21;
        EXPECT_EQ(ours.Update(read, key), c.written);
        EXPECT_EQ(ours.Failure(), c.written ? 0u : win::ERROR_SHARING_VIOLATION);
        sim::MetadataStore fresh;
        ASSERT_TRUE(fresh.Open(file, &error)) << error;
        sim::MetaRow kept;
        ASSERT_TRUE(fresh.Find(key, c.left, &kept));
        EXPECT_EQ(kept.irm, 0x0F);
        EXPECT_EQ(kept.attributes, c.written ? 0x21u : row.attributes);
        ours.Close();
        ASSERT_TRUE(ours.Open(file, &error)) << error;
    }
}

// A process stopped (Ctrl-Z) while it holds the store's write lock: a program that gives up
// waiting for it names that process, and fails the call rather than waiting for ever.
TEST_F(StoreSharingTest, AProgramThatGivesUpWaitingNamesTheHolder) {
    const std::string store =
        std::filesystem::canonical(net_.Root()).string() + "/.netsim/metadata.db";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    std::fflush(nullptr);
    const pid_t holder = ::fork();
    if (holder == 0) {
        StoreConnection other(net_.Root());
        const bool locked = other.Exec("BEGIN IMMEDIATE");
        (void)!::write(ready[1], locked ? "y" : "n", 1);
        ::raise(SIGSTOP);
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    testing::internal::CaptureStderr();
    std::string error;
    const bool set = net_.Net().SetAttributes(R"(\\HQ\DATA\PROJ\a.txt)", 0x21, &error);
    const std::string said = testing::internal::GetCapturedStderr();
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_FALSE(set);
    EXPECT_EQ(said, FormatText(LoadResString(IDS_SIM_STORE_HELD), store.c_str(),
                               static_cast<long>(holder), static_cast<long>(holder)) +
                        "\n");
}

}  // namespace
