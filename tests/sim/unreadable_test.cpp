// What the simulator cannot read is never reported as empty or missing, and a server's files
// are reached only through a logged-in connection.
#include <sys/stat.h>

#include <filesystem>

#include "tests/sim/sim_fixture.h"
#include "tests/support/unprivileged.h"

namespace {

// The outcome of FindFirstFile: the number of entries listed, or the error.
std::string Listing(const std::string& pattern) {
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(pattern.c_str(), &data));
    if (!find.Valid())
        return "error " + std::to_string(win::Files().GetLastError());
    int n = 1;
    while (win::Files().FindNextFile(find.Get(), &data))
        ++n;
    return std::to_string(n) + " entries";
}

// A directory the user may not read (mode 000), and one that may be listed but whose entries
// may not be looked at (mode 0444: names without the right to search): neither is empty, and no
// entry inside is missing; each fails with access denied, the NetWare calls with 0x8994.
TEST(UnreadableTest, ListingsAndLookupsFailWithAccessDenied) {
    TestNetwork net(kSimNetwork);
    net.WriteFile("HQ/DATA/LOCKED/a.txt", "a");
    net.WriteFile("HQ/DATA/NOSEARCH/b.txt", "b");
    net.WriteFile("HQ/DATA/OPEN/c.txt", "c");
    std::string why;
    const Unprivileged outcome = RunUnprivileged(
        net.Root(),
        [&net] {
            net.Install();
            ASSERT_EQ(::chmod(net.LocalPath("HQ/DATA/LOCKED").c_str(), 0), 0);
            ASSERT_EQ(::chmod(net.LocalPath("HQ/DATA/NOSEARCH").c_str(), 0444), 0);
            EXPECT_EQ(Listing(R"(\\HQ\DATA\LOCKED\*.*)"), "error 5");
            EXPECT_EQ(Listing(R"(\\HQ\DATA\LOCKED\a.txt)"), "error 5");
            EXPECT_EQ(Listing(R"(\\HQ\DATA\LOCKED\nothing.txt)"), "error 5");
            EXPECT_EQ(Listing(R"(\\HQ\DATA\NOSEARCH\*.*)"), "error 5");
            EXPECT_EQ(Listing(R"(\\HQ\DATA\NOSEARCH\B.TXT)"), "error 5");
            EXPECT_EQ(win::Files().GetFileAttributes(R"(\\HQ\DATA\LOCKED\a.txt)"),
                      win::INVALID_FILE_ATTRIBUTES);
            EXPECT_EQ(win::Files().GetLastError(), win::ERROR_ACCESS_DENIED);
            char shortPath[win::kPathBufferSize] = {};
            EXPECT_EQ(win::Files().GetShortPathName(R"(\\HQ\DATA\LOCKED\a.txt)", shortPath,
                                                    sizeof shortPath),
                      0u);
            EXPECT_EQ(win::Files().GetLastError(), win::ERROR_ACCESS_DENIED);
            NWCONN_HANDLE conn = 0;
            NetWare().NWGetConnectionHandle("HQ", 0, &conn, nullptr);
            EntryInfo info;
            EXPECT_EQ(NetWare().NWGetNSEntryInfo(conn, 0, "DATA:LOCKED\\a.txt", 4, 4, 0xFB, 0x098E,
                                                 &info),
                      nw::ACCESS_DENIED);
            // What can be read is unaffected.
            EXPECT_EQ(Listing(R"(\\HQ\DATA\OPEN\*.*)"), "3 entries");
            const std::vector<std::string> problems = net.Net().Check();
            EXPECT_NE(std::find(problems.begin(), problems.end(),
                                R"(\\HQ\DATA\LOCKED: the directory cannot be read)"),
                      problems.end());
            ::chmod(net.LocalPath("HQ/DATA/LOCKED").c_str(), 0755);
            ::chmod(net.LocalPath("HQ/DATA/NOSEARCH").c_str(), 0755);
            net.Close();
        },
        &why);
    if (outcome == Unprivileged::Unavailable)
        GTEST_SKIP() << "needs an unprivileged user: " << why;
    EXPECT_EQ(outcome, Unprivileged::Passed);
}

// The file services keep the NetWare calls' rule: an attached server that is not logged in
// gives nothing and takes nothing, so that a fault there cannot hide.
TEST(ConnectionRuleTest, FileServicesNeedALoggedInConnection) {
    TestNetwork net(kSimNetwork);
    net.WriteFile("SALES/DATA/doc.txt", "d");
    net.WriteFile("OLD/SYS/old.txt", "o");
    net.Install();
    for (const char* path : {R"(\\SALES\DATA\*.*)", R"(\\OLD\SYS\*.*)"})
        EXPECT_EQ(Listing(path), "error 5") << path;
    EXPECT_FALSE(win::Files().DeleteFile(R"(\\SALES\DATA\doc.txt)"));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_EQ(win::Files().GetFileAttributes(R"(\\SALES\DATA\doc.txt)"),
              win::INVALID_FILE_ATTRIBUTES);
    char temporary[win::kPathBufferSize] = {};
    EXPECT_EQ(win::Files().GetTempFileName(R"(\\SALES\DATA)", "FCT", 0, temporary), 0u);
    EXPECT_TRUE(net.Exists("SALES/DATA/doc.txt"));

    NWCONN_HANDLE sales = 0;
    ASSERT_EQ(NetWare().NWGetConnectionHandle("SALES", 0, &sales, nullptr), 0u);
    ASSERT_EQ(NetWare().NWDSAuthenticate(sales, 0, nullptr), 0u);
    EXPECT_EQ(Listing(R"(\\SALES\DATA\*.*)"), "1 entries");
    EXPECT_TRUE(win::Files().DeleteFile(R"(\\SALES\DATA\doc.txt)"));
}

// A volume whose directory is a link (or lies below a server directory that is one) is said by
// check and never used; opening the network still works for the other servers.
TEST(LinkedVolumeTest, IsReportedAndNeverUsed) {
    TestNetwork net(kSimNetwork);
    const std::filesystem::path outside = std::filesystem::path(net.Root()).parent_path() /
                                          ("farcast-linked-" + std::to_string(::getpid()));
    std::filesystem::create_directories(outside / "SYS");
    std::filesystem::remove_all(net.LocalPath("OLD"));
    std::filesystem::create_directory_symlink(outside, net.LocalPath("OLD"));
    std::filesystem::remove_all(net.LocalPath("HQ/COMP"));
    std::filesystem::create_directory_symlink(outside, net.LocalPath("HQ/COMP"));
    net.Install();
    const std::vector<std::string> problems = net.Net().Check();
    const std::string root = net.Net().Root();
    for (const std::string& linked : {root + "/OLD", root + "/HQ/COMP"})
        EXPECT_NE(std::find(problems.begin(), problems.end(),
                            linked + " is a symbolic link or not a directory: its volumes are "
                                     "not used"),
                  problems.end())
            << linked;
    NWCONN_HANDLE hq = 0;
    NetWare().NWGetConnectionHandle("HQ", 0, &hq, nullptr);
    std::uint16_t number = 0;
    EXPECT_EQ(NetWare().NWGetVolumeNumber(hq, "COMP", &number), nw::ACCESS_DENIED);
    EXPECT_EQ(NetWare().NWCreateDirectory(hq, 0, "COMP:NEW", 0xFB), nw::ACCESS_DENIED);
    EXPECT_FALSE(win::Files().CreateDirectory(R"(\\HQ\COMP\NEW)"));
    EXPECT_EQ(NetWare().NWGetVolumeNumber(hq, "DATA", &number), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(outside / "SYS"));
    EXPECT_FALSE(std::filesystem::exists(outside / "NEW"));
    std::filesystem::remove_all(outside);
}

// A volume directory swapped for a link while the network is open is never entered either.
TEST(LinkedVolumeTest, ASwapAfterOpeningIsSeen) {
    TestNetwork net(kSimNetwork);
    net.WriteFile("HQ/DATA/a.txt", "a");
    net.Install();
    EXPECT_EQ(Listing(R"(\\HQ\DATA\*.*)"), "1 entries");
    const std::filesystem::path outside = std::filesystem::path(net.Root()).parent_path() /
                                          ("farcast-swapped-" + std::to_string(::getpid()));
    std::filesystem::create_directories(outside);
    std::filesystem::rename(net.LocalPath("HQ/DATA"), outside / "DATA");
    std::filesystem::create_directory_symlink(outside / "DATA", net.LocalPath("HQ/DATA"));
    EXPECT_EQ(Listing(R"(\\HQ\DATA\*.*)"), "error 5");
    EXPECT_FALSE(win::Files().DeleteFile(R"(\\HQ\DATA\a.txt)"));
    EXPECT_TRUE(std::filesystem::exists(outside / "DATA" / "a.txt"));
    std::filesystem::remove_all(outside);
}

}  // namespace
