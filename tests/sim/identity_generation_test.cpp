// Where a file system keeps no birth time, the inode's generation number tells a new file on a
// reused inode from the deleted one; rows stored before generations were kept still open; and
// where neither exists, check says that identities are weaker on that volume.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "netware/sim/metadata_store.h"
#include "netware/sim/sim_network.h"
#include "resources/string_ids.h"
#include "tests/sim/sim_fixture.h"
#include "tests/support/scratch_mount.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

namespace fs = std::filesystem;

const sim::EntryKey kKey{"HQ", "DATA", "PROJ", "a.txt"};

class StoreIdentityTest : public ::testing::Test {
  protected:
    StoreIdentityTest()
        : dir_(fs::temp_directory_path() / ("farcast-identity-" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
    }
    ~StoreIdentityTest() override { fs::remove_all(dir_); }
    std::string File() const { return (dir_ / "metadata.db").string(); }

    fs::path dir_;
};

// A generation known on both sides decides; one unknown on either side decides nothing.
TEST_F(StoreIdentityTest, AGenerationThatDiffersIsAnotherFile) {
    sim::MetadataStore store;
    std::string error;
    ASSERT_TRUE(store.Open(File(), &error)) << error;
    sim::MetaRow row;
    row.attributes = 0x21;
    ASSERT_TRUE(store.InsertNew(kKey, {5, 0, 7}, &row));
    struct Case {
        sim::FileIdentity identity;
        bool same;
    };
    for (const Case& c : {Case{{5, 0, 7}, true}, Case{{5, 0, 8}, false}, Case{{5, 0, -1}, true},
                          Case{{6, 0, 7}, false}}) {
        sim::MetaRow found;
        EXPECT_EQ(store.Find(kKey, c.identity, &found), c.same) << c.identity.generation;
    }
}

// A store written before generations were kept opens, and its rows still describe their files.
TEST_F(StoreIdentityTest, RowsStoredBeforeGenerationsStillOpen) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(File().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE entry(id INTEGER PRIMARY KEY, server TEXT NOT NULL,"
                           " volume TEXT NOT NULL, dir TEXT NOT NULL, name TEXT NOT NULL,"
                           " inode INTEGER NOT NULL, birth INTEGER NOT NULL,"
                           " attributes INTEGER NOT NULL, irm INTEGER NOT NULL,"
                           " namespace INTEGER NOT NULL, compressed INTEGER NOT NULL,"
                           " size INTEGER NOT NULL, alias TEXT NOT NULL DEFAULT '',"
                           " UNIQUE(server, volume, dir, name));"
                           "INSERT INTO entry(server, volume, dir, name, inode, birth, attributes,"
                           " irm, namespace, compressed, size)"
                           " VALUES('HQ', 'DATA', 'PROJ', 'a.txt', 5, 0, 33, 255, 4, 0, 0);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    sim::MetadataStore store;
    std::string error;
    ASSERT_TRUE(store.Open(File(), &error)) << error;
    sim::MetaRow found;
    ASSERT_TRUE(store.Find(kKey, {5, 0, 1234}, &found));
    EXPECT_EQ(found.attributes, 0x21u);
}

class VolumeIdentityTest : public SimTest {
  protected:
    void SetUp() override { net_.WriteFile("HQ/DATA/PROJ/a.txt", "hello"); }
    std::vector<std::string> Problems() { return net_.Net().Check(); }
};

// ext4 with 128-byte inodes keeps no birth time: a file made by hand on the inode of a deleted
// one must not inherit its attributes.
TEST_F(VolumeIdentityTest, AFileOnAReusedInodeWithoutBirthTimeGetsNothingOfTheDeletedOne) {
    fs::remove_all(net_.LocalPath("HQ/DATA"));
    fs::create_directories(net_.LocalPath("HQ/DATA"));
    ScratchMount volume(net_.LocalPath("HQ/DATA"), "mkfs.ext4 -q -F -I 128", 8);
    if (!volume.Mounted())
        GTEST_SKIP() << "needs root, a loop device and mkfs.ext4 for a volume without birth times";
    net_.WriteFile("HQ/DATA/a.txt", "deleted");
    net_.Install();
    const std::string path = R"(\\HQ\DATA\a.txt)";
    std::string error;
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x21, &error)) << error;
    ASSERT_EQ(net_.Meta(path).attributes, 0x21u);
    struct stat before {};
    ASSERT_EQ(::stat(net_.LocalPath("HQ/DATA/a.txt").c_str(), &before), 0);
    fs::remove(net_.LocalPath("HQ/DATA/a.txt"));
    net_.WriteFile("HQ/DATA/a.txt", "made by hand");
    struct stat after {};
    ASSERT_EQ(::stat(net_.LocalPath("HQ/DATA/a.txt").c_str(), &after), 0);
    if (after.st_ino != before.st_ino)
        GTEST_SKIP() << "the file system gave the new file another inode";
    EXPECT_EQ(net_.Meta(path).attributes, 0x20u);
    EXPECT_TRUE(Problems().empty()) << "generation numbers make identities whole there";
    net_.Close();
}

// ramfs keeps neither birth times nor generation numbers: check says so for that volume, once.
TEST_F(VolumeIdentityTest, CheckSaysIdentitiesAreWeakerWhereNeitherIsKept) {
    ScratchMount volume(net_.LocalPath("HQ/DATA"), "ramfs");
    if (!volume.Mounted())
        GTEST_SKIP() << "needs root to mount a ramfs, which keeps neither birth times nor "
                        "generation numbers";
    net_.Install();
    EXPECT_EQ(Problems(), std::vector<std::string>{FormatText(
                              LoadResString(IDS_SIM_CHECK_WEAK_IDENTITY), R"(\\HQ\DATA)")});
    net_.Close();
}

}  // namespace
