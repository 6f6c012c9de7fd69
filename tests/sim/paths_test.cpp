// Path forms: UNC, mapped drives, local paths under the network root, and everything else.
#include <unistd.h>

#include "tests/sim/sim_fixture.h"

namespace {

class PathsTest : public SimTest {};

struct Parsed {
    NWCCODE code;
    std::string server, volume, dir;
    NWCONN_HANDLE conn;
};

Parsed Parse(const std::string& path) {
    Parsed p{};
    char server[nw::kNameSize] = {}, volume[nw::kNameSize] = {}, dir[260] = {};
    p.code = NetWare().NWParsePath(path.c_str(), server, &p.conn, volume, dir);
    p.server = server;
    p.volume = volume;
    p.dir = dir;
    return p;
}

TEST_F(PathsTest, ParsePathSplitsEveryNetworkForm) {
    Parsed unc = Parse(R"(\\hq\data\PROJ\A.TXT)");
    ASSERT_EQ(unc.code, 0u);
    EXPECT_EQ(unc.server, "HQ");
    EXPECT_EQ(unc.volume, "DATA");
    EXPECT_EQ(unc.dir, R"(\PROJ\A.TXT)");  // as given: the caller's case stays
    EXPECT_EQ(unc.conn, Connection("HQ"));

    Parsed root = Parse(R"(\\HQ\DATA)");
    ASSERT_EQ(root.code, 0u);
    EXPECT_EQ(root.dir, "");

    Parsed drive = Parse(R"(x:\TOOLS\run.exe)");
    ASSERT_EQ(drive.code, 0u);
    EXPECT_EQ(drive.volume, "DATA");
    EXPECT_EQ(drive.dir, R"(\APPS\TOOLS\run.exe)");
    EXPECT_EQ(Parse("X:").dir, R"(\APPS)");
    EXPECT_EQ(Parse(R"(F:\)").dir, "");

    Parsed local = Parse(net_.LocalPath("HQ/DATA/PROJ/a.txt"));
    ASSERT_EQ(local.code, 0u);
    EXPECT_EQ(local.server, "HQ");
    EXPECT_EQ(local.dir, R"(\PROJ\a.txt)");
}

TEST_F(PathsTest, PathsOffTheNetworkFail) {
    for (const std::string& path :
         {std::string("/etc/passwd"), std::string(R"(C:\WINDOWS)"),
          std::string(R"(\\NOSUCH\DATA\x)"), std::string(R"(\\HQ\NOVOL\x)"),
          std::string("relative\\path"), net_.Root() + "/network.toml", std::string(R"(\\HQ)")}) {
        EXPECT_NE(Parse(path).code, 0u) << path;
        NWCONN_HANDLE conn = 0;
        NWDIR_HANDLE handle = 0;
        char rel[260];
        EXPECT_NE(NetWare().NWParseNetWarePath(path.c_str(), &conn, &handle, rel), 0u) << path;
        EXPECT_NE(LastNetWareError, 0u);
    }
}

TEST_F(PathsTest, ParseNetWarePathNeedsAConnection) {
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE handle = 7;
    char rel[260];
    ASSERT_EQ(NetWare().NWParseNetWarePath(R"(X:\TOOLS)", &conn, &handle, rel), 0u);
    EXPECT_EQ(conn, Connection("HQ"));
    EXPECT_EQ(handle, 0);
    EXPECT_STREQ(rel, R"(DATA:APPS\TOOLS)");
    // OLD has no connection yet: parsing must fail until it is attached.
    EXPECT_NE(NetWare().NWParseNetWarePath(R"(\\OLD\SYS\PUBLIC)", &conn, &handle, rel), 0u);
    NWCONN_HANDLE old = 0;
    ASSERT_EQ(NetWare().NWAttachToFileServer("OLD", 0, &old), 0u);
    ASSERT_EQ(NetWare().NWParseNetWarePath(R"(\\OLD\SYS\PUBLIC)", &conn, &handle, rel), 0u);
    EXPECT_EQ(conn, old);
    EXPECT_STREQ(rel, R"(SYS:PUBLIC)");
}

TEST_F(PathsTest, LocalPathsBecomeNetWarePaths) {
    std::string out;
    ASSERT_TRUE(NetWare().LocalPathToNetWarePath(net_.LocalPath("HQ/DATA/PROJ/a.txt"), &out));
    EXPECT_EQ(out, R"(\\HQ\DATA\PROJ\a.txt)");
    EXPECT_FALSE(NetWare().LocalPathToNetWarePath("/etc/passwd", &out));
    EXPECT_FALSE(NetWare().LocalPathToNetWarePath(net_.LocalPath("HQ"), &out));
}

TEST_F(PathsTest, NamesThatCannotBeNetWareNamesAreNeverTurnedIntoPaths) {
    net_.WriteFile("HQ/DATA/PROJ/back\\slash.txt", "x");
    net_.WriteFile("HQ/DATA/PROJ/tab\tname.txt", "x");
    net_.WriteFile("HQ/DATA/PROJ/slash.txt", "other file");
    std::string out;
    EXPECT_FALSE(
        NetWare().LocalPathToNetWarePath(net_.LocalPath("HQ/DATA/PROJ/back\\slash.txt"), &out));
    EXPECT_FALSE(
        NetWare().LocalPathToNetWarePath(net_.LocalPath("HQ/DATA/PROJ/tab\tname.txt"), &out));
    EXPECT_FALSE(NetWare().LocalPathToNetWarePath(
        net_.LocalPath("HQ/DATA/PROJ/" + std::string(256, 'n')), &out));
    // Left out of listings, never found by a name.
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(R"(\\HQ\DATA\PROJ\*.*)", &data));
    ASSERT_TRUE(find.Valid());
    std::vector<std::string> names{data.fileName};
    while (win::Files().FindNextFile(find.Get(), &data))
        names.push_back(data.fileName);
    EXPECT_EQ(names,
              (std::vector<std::string>{".", "..", "a.txt", "LongFileName.txt", "slash.txt"}));
    EXPECT_EQ(win::Files().GetFileAttributes("\\\\HQ\\DATA\\PROJ\\tab\tname.txt"),
              win::INVALID_FILE_ATTRIBUTES);
}

TEST_F(PathsTest, NamesMatchInAnyCaseAndKeepTheirCase) {
    EXPECT_NE(win::Files().GetFileAttributes(R"(\\HQ\DATA\PROJ\A.TXT)"),
              win::INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(win::Files().GetFileAttributes(R"(\\hq\Data\proj\LONGFILENAME.TXT)"),
              win::INVALID_FILE_ATTRIBUTES);
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(R"(\\HQ\DATA\PROJ\A.TXT)", &data));
    ASSERT_TRUE(find.Valid());
    EXPECT_EQ(data.fileName, "a.txt");
}

// Which spellings name the network entry: separators repeated or doubled reach it, a local
// path only with the server's and the volume's exact names, and too few names reach nothing.
TEST_F(PathsTest, EverySpellingOfAPathIsClassifiedAsBefore) {
    const std::string root = net_.Root() + "/";
    const struct {
        std::string path;
        bool found;
    } cases[] = {
        {R"(\\\HQ\\DATA\\\PROJ\A.TXT\)", true}, {R"(\\HQ\DATA\PROJ\\\a.txt)", true},
        {root + "HQ//DATA/PROJ/a.txt", true},   {root + R"(HQ\DATA\\PROJ\a.txt)", true},
        {root + "hq/DATA/PROJ/a.txt", false},   {root + "HQ/data/PROJ/a.txt", false},
        {root + "HQ/PROJ/a.txt", false},        {R"(\\HQ\\)", false},
        {R"(\\HQ\NOVOL\PROJ\a.txt)", false},    {R"(\\)", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(win::Files().GetFileAttributes(c.path.c_str()) != win::INVALID_FILE_ATTRIBUTES,
                  c.found)
            << c.path;
    }
}

TEST_F(PathsTest, NamesDifferingOnlyInCaseAreNeverMixedUp) {
    net_.WriteFile("HQ/DATA/PROJ/A.TXT", "upper");
    win::HANDLE h = win::Files().CreateFile(R"(\\HQ\DATA\PROJ\a.txt)", win::GENERIC_READ, 0,
                                            win::OPEN_EXISTING, 0);
    ASSERT_NE(h, win::INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    std::uint32_t read = 0;
    win::Files().ReadFile(h, buffer, sizeof buffer, &read);
    win::Files().CloseHandle(h);
    EXPECT_EQ(std::string(buffer, read), "hello");
    h = win::Files().CreateFile(R"(\\HQ\DATA\PROJ\A.TXT)", win::GENERIC_READ, 0, win::OPEN_EXISTING,
                                0);
    ASSERT_NE(h, win::INVALID_HANDLE_VALUE);
    win::Files().ReadFile(h, buffer, sizeof buffer, &read);
    win::Files().CloseHandle(h);
    EXPECT_EQ(std::string(buffer, read), "upper");
    // Their metadata stays apart, and check reports the pair.
    ASSERT_TRUE(
        win::Files().SetFileAttributes(R"(\\HQ\DATA\PROJ\A.TXT)", win::FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\a.txt)").attributes & 0xFF, 0x20u);
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\A.TXT)").attributes & 0xFF, 0x02u);
    auto problems = net_.Net().Check();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("differ only in case"), std::string::npos);
}

TEST_F(PathsTest, SymbolicLinksAreNotEntries) {
    net_.WriteFile("outside.txt", "keep me");
    ASSERT_EQ(symlink(net_.LocalPath("outside.txt").c_str(),
                      net_.LocalPath("HQ/DATA/PROJ/link.txt").c_str()),
              0);
    ASSERT_EQ(symlink(net_.LocalPath("HQ/DATA/APPS").c_str(),
                      net_.LocalPath("HQ/DATA/PROJ/linkdir").c_str()),
              0);
    EXPECT_EQ(win::Files().GetFileAttributes(R"(\\HQ\DATA\PROJ\link.txt)"),
              win::INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(win::Files().DeleteFile(R"(\\HQ\DATA\PROJ\link.txt)"));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win::Files().GetFileAttributes(R"(\\HQ\DATA\PROJ\linkdir\TOOLS)"),
              win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(net_.ReadFile("outside.txt"), "keep me");
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(R"(\\HQ\DATA\PROJ\*.*)", &data));
    int count = 1;
    while (win::Files().FindNextFile(find.Get(), &data))
        ++count;
    EXPECT_EQ(count, 4);  // ".", "..", a.txt, LongFileName.txt
    // A directory holding only a link is not empty: nothing is deleted through it.
    net_.MakeDir("HQ/DATA/HOLDER");
    ASSERT_EQ(
        symlink(net_.LocalPath("outside.txt").c_str(), net_.LocalPath("HQ/DATA/HOLDER/l").c_str()),
        0);
    EXPECT_FALSE(win::Files().RemoveDirectory(R"(\\HQ\DATA\HOLDER)"));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(net_.Exists("outside.txt"));
}

TEST_F(PathsTest, LocalPathsOffTheNetworkUseTheLocalFileSystem) {
    std::string file = net_.Root() + "/../farcast-sim-local-" + std::to_string(getpid()) + ".log";
    win::HANDLE h = win::Files().CreateFile(file.c_str(), win::GENERIC_WRITE, win::FILE_SHARE_READ,
                                            win::OPEN_ALWAYS, 0);
    ASSERT_NE(h, win::INVALID_HANDLE_VALUE);
    std::uint32_t written = 0;
    ASSERT_TRUE(win::Files().SetFilePointer(h, 0, win::FILE_END, nullptr));
    ASSERT_TRUE(win::Files().WriteFile(h, "record\n", 7, &written));
    EXPECT_EQ(written, 7u);
    EXPECT_TRUE(win::Files().CloseHandle(h));
    EXPECT_EQ(win::Files().GetFileAttributes(file.c_str()), win::FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(win::Files().DeleteFile(file.c_str()));
    EXPECT_EQ(win::Files().GetFileAttributes(file.c_str()), win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

}  // namespace
