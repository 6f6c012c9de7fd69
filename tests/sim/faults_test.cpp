// [[fault]] entries: matching by call, server, path and count, for NetWare operations and
// file-service functions alike.
#include "tests/sim/sim_fixture.h"

namespace {

class FaultsTest : public SimTest {
  protected:
    FaultsTest()
        : SimTest(R"(
[[fault]]
call = "NWGetVolumeNumber"
server = "OLD"
code = 0x89FF

[[fault]]
call = "CreateFile"
path = '\\HQ\DATA\PROJ\*.TXT'
code = 5
times = 2

[[fault]]
call = "NWDSCreateContext"
code = 0xFFFFFEB8
times = 1

[[fault]]
call = "MoveFileEx"
server = "HQ"
code = 32

[[fault]]
call = "NWGetNSEntryInfo"
path = '\\HQ\DATA\APPS\*'
code = 0x89A8
)") {}
};

TEST_F(FaultsTest, ServerFaultsHitOnlyThatServer) {
    NWCONN_HANDLE old = 0;
    ASSERT_EQ(NetWare().NWAttachToFileServer("OLD", 0, &old), 0u);
    std::uint16_t number = 0;
    EXPECT_EQ(NetWare().NWGetVolumeNumber(old, "SYS", &number), 0x89FFu);
    EXPECT_EQ(LastNetWareError, 0x89FFu);
    EXPECT_EQ(NetWare().NWGetVolumeNumber(old, "SYS", &number), 0x89FFu);  // every call
    EXPECT_EQ(NetWare().NWGetVolumeNumber(Connection("HQ"), "DATA", &number), 0u);
    EXPECT_EQ(LastNetWareError, 0u);
}

TEST_F(FaultsTest, PathFaultsMatchTheGlobAndStopAfterTheirCount) {
    const char* path = R"(\\HQ\DATA\PROJ\a.txt)";
    // A mapped drive path is matched in its \\SERVER\VOLUME form.
    EXPECT_EQ(
        win::Files().CreateFile(R"(F:\proj\a.txt)", win::GENERIC_READ, 0, win::OPEN_EXISTING, 0),
        win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win::Files().GetLastError(), 5u);
    // Other paths and other calls are not affected, and do not count.
    win::ScopedHandle other(win::Files().CreateFile(R"(\\HQ\DATA\APPS\x.dat)", win::GENERIC_WRITE,
                                                    0, win::CREATE_NEW, 0));
    EXPECT_TRUE(other.Valid());
    EXPECT_NE(win::Files().GetFileAttributes(path), win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().CreateFile(path, win::GENERIC_READ, 0, win::OPEN_EXISTING, 0),
              win::INVALID_HANDLE_VALUE);
    win::ScopedHandle third(
        win::Files().CreateFile(path, win::GENERIC_READ, 0, win::OPEN_EXISTING, 0));
    EXPECT_TRUE(third.Valid());
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "hello");  // nothing was lost
}

TEST_F(FaultsTest, NetWarePathsAreMatchedInTheirUncForm) {
    EntryInfo info;
    NWCONN_HANDLE hq = Connection("HQ");
    EXPECT_EQ(NetWare().NWGetNSEntryInfo(hq, 0, R"(data:apps\TOOLS)", 4, 4, 0xFB, 0, &info),
              0x89A8u);
    EXPECT_EQ(LastNetWareError, 0x89A8u);
    EXPECT_EQ(NetWare().NWGetNSEntryInfo(hq, 0, R"(DATA:PROJ\a.txt)", 4, 4, 0xFB, 0, &info), 0u);
    EXPECT_EQ(NetWare().NWGetNSEntryInfo(hq, 0, R"(DATA:APPS)", 4, 4, 0xFB, 0, &info), 0u);
}

TEST_F(FaultsTest, ContextCreationFailsOnceWithItsCode) {
    EXPECT_EQ(NetWare().NWDSCreateContext(), nw::ERR_CONTEXT_CREATION);
    EXPECT_EQ(LastNetWareError, 0xFFFFFEB8u);
    EXPECT_GT(NetWare().NWDSCreateContext(), 0);
}

TEST_F(FaultsTest, FaultedRenameChangesNothing) {
    net_.WriteFile("HQ/DATA/PROJ/FCT1.TMP", "new");
    EXPECT_FALSE(win::Files().MoveFileEx(R"(\\HQ\DATA\PROJ\FCT1.TMP)", R"(\\HQ\DATA\PROJ\a.txt)",
                                         win::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "hello");
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/FCT1.TMP"), "new");
    EXPECT_TRUE(win::Files().MoveFile(R"(\\HQ\DATA\PROJ\FCT1.TMP)", R"(\\HQ\DATA\PROJ\b.txt)"));
}

}  // namespace
