// The Windows file services on network volumes: enumeration, attributes, short names,
// temporary files, renames, deletion, directories, opens with share modes, volume information.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "tests/sim/sim_fixture.h"

namespace {

class FilesTest : public SimTest {
  protected:
    win::FileServices& F() { return win::Files(); }

    std::vector<win::FindData> List(const std::string& pattern) {
        std::vector<win::FindData> out;
        win::FindData d;
        win::ScopedFind find(F().FindFirstFile(pattern.c_str(), &d));
        if (!find.Valid())
            return out;
        out.push_back(d);
        while (F().FindNextFile(find.Get(), &d))
            out.push_back(d);
        EXPECT_EQ(F().GetLastError(), win::ERROR_NO_MORE_FILES);
        return out;
    }
    std::string Read(const std::string& path) {
        win::ScopedHandle h(F().CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ,
                                           win::OPEN_EXISTING, 0));
        std::string out;
        char buffer[4096];
        std::uint32_t n = 0;
        while (h.Valid() && F().ReadFile(h.Get(), buffer, sizeof buffer, &n) && n > 0)
            out.append(buffer, n);
        return out;
    }
    bool Write(const std::string& path, const std::string& content) {
        win::ScopedHandle h(
            F().CreateFile(path.c_str(), win::GENERIC_WRITE, 0, win::CREATE_ALWAYS, 0));
        std::uint32_t n = 0;
        return h.Valid() &&
               F().WriteFile(h.Get(), content.data(), static_cast<std::uint32_t>(content.size()),
                             &n) &&
               n == content.size();
    }
};

TEST_F(FilesTest, EnumerationGivesDotsFirstThenEntriesWithAliases) {
    auto entries = List(R"(\\HQ\DATA\PROJ\*.*)");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].fileName, ".");
    EXPECT_EQ(entries[1].fileName, "..");
    EXPECT_EQ(entries[0].attributes, win::FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(entries[2].fileName, "a.txt");
    EXPECT_EQ(entries[2].alternateFileName, "");  // already 8.3
    EXPECT_EQ(entries[2].size, 5u);
    EXPECT_EQ(entries[2].attributes, win::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(entries[3].fileName, "LongFileName.txt");
    EXPECT_EQ(entries[3].alternateFileName, "LONGFI~1.TXT");
    // A volume root has no dot entries.
    auto root = List(R"(\\HQ\DATA\*.*)");
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[0].fileName, "APPS");
    EXPECT_EQ(root[0].attributes, win::FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FilesTest, LookupsOfOneNameAndTheirFailures) {
    EXPECT_EQ(List(R"(\\HQ\DATA\PROJ\longfi~1.txt)").at(0).fileName, "LongFileName.txt");
    win::FindData d;
    EXPECT_EQ(F().FindFirstFile(R"(\\HQ\DATA\PROJ\missing.txt)", &d), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(F().FindFirstFile(R"(\\HQ\DATA\NODIR\*.*)", &d), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    // Below a file: the path does not exist (not "file not found").
    EXPECT_EQ(F().FindFirstFile(R"(\\HQ\DATA\PROJ\a.txt\x)", &d), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, AliasesAreUniqueStableAndAgree) {
    net_.WriteFile("HQ/DATA/PROJ/LongFileNumber2.txt", "x");
    net_.WriteFile("HQ/DATA/PROJ/LONGFI~3.TXT", "a real 8.3 name");
    net_.WriteFile("HQ/DATA/PROJ/LongFileNumber3.txt", "y");
    auto entries = List(R"(\\HQ\DATA\PROJ\*.*)");
    std::map<std::string, std::string> alias;
    for (const auto& e : entries)
        alias[e.fileName] = e.alternateFileName;
    EXPECT_EQ(alias["LongFileName.txt"], "LONGFI~1.TXT");
    EXPECT_EQ(alias["LongFileNumber2.txt"], "LONGFI~2.TXT");
    EXPECT_EQ(alias["LongFileNumber3.txt"], "LONGFI~4.TXT");  // ~3 is a real name
    char shortPath[260];
    ASSERT_GT(
        F().GetShortPathName(R"(\\HQ\DATA\PROJ\LongFileNumber3.txt)", shortPath, sizeof shortPath),
        0u);
    EXPECT_STREQ(shortPath, R"(\\HQ\DATA\PROJ\LONGFI~4.TXT)");
    NWCONN_HANDLE conn = Connection("HQ");
    char longName[256];
    ASSERT_EQ(NetWare().NWGetLongName(conn, 0, R"(DATA:PROJ\LONGFI~4.TXT)", nw::NS_DOS, nw::NS_LONG,
                                      longName),
              0u);
    EXPECT_STREQ(longName, "LongFileNumber3.txt");
    // Aliases survive a new opening of the network, and a new neighbour does not take one.
    net_.Close();
    net_.WriteFile("HQ/DATA/PROJ/LongFileAaaa.txt", "z");
    net_.Install();
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\LongFileNumber3.txt)").shortName, "LONGFI~4.TXT");
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\LongFileAaaa.txt)").shortName, "LONGFI~5.TXT");
}

TEST_F(FilesTest, ShortPathNameBufferRules) {
    char small[8];
    std::uint32_t needed = F().GetShortPathName(R"(X:\TOOLS)", small, sizeof small);
    EXPECT_EQ(needed, std::strlen(R"(X:\TOOLS)") + 1);
    char buffer[260];
    EXPECT_EQ(F().GetShortPathName(R"(X:\TOOLS)", buffer, sizeof buffer), needed - 1);
    EXPECT_STREQ(buffer, R"(X:\TOOLS)");
    EXPECT_EQ(F().GetShortPathName(R"(\\HQ\DATA\PROJ\nothing)", buffer, sizeof buffer), 0u);
    EXPECT_EQ(F().GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

TEST_F(FilesTest, AttributesAreTheNetWareWord) {
    const char* path = R"(\\HQ\DATA\PROJ\a.txt)";
    ASSERT_TRUE(
        F().SetFileAttributes(path, win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(F().GetFileAttributes(path), 0x03u);
    EXPECT_EQ(net_.Meta(path).attributes, 0x03u);
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x00010027, nullptr));  // a high NetWare bit too
    ASSERT_TRUE(F().SetFileAttributes(path, win::FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(net_.Meta(path).attributes, 0x00010000u);  // NetWare's own bits are kept
    EXPECT_EQ(F().GetFileAttributes(path), win::FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\APPS)"), win::FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\none)"), win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(F().GetLastError(), win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\NODIR\none)"), win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, ReadOnlyFilesCannotBeDeletedReplacedOrWritten) {
    const char* path = R"(\\HQ\DATA\PROJ\a.txt)";
    ASSERT_TRUE(F().SetFileAttributes(path, win::FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(F().DeleteFile(path));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_EQ(F().CreateFile(path, win::GENERIC_WRITE, 0, win::OPEN_EXISTING, 0),
              win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_ACCESS_DENIED);
    ASSERT_TRUE(Write(R"(\\HQ\DATA\PROJ\new.txt)", "new"));
    EXPECT_FALSE(F().MoveFileEx(R"(\\HQ\DATA\PROJ\new.txt)", path, win::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "hello");
    EXPECT_TRUE(net_.Exists("HQ/DATA/PROJ/new.txt"));
    // Reading stays allowed; clearing the attribute allows the rest.
    EXPECT_EQ(Read(path), "hello");
    ASSERT_TRUE(F().SetFileAttributes(path, win::FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(F().DeleteFile(path));
    EXPECT_FALSE(net_.Exists("HQ/DATA/PROJ/a.txt"));
}

TEST_F(FilesTest, MoveFileFailsOnAnExistingTargetMoveFileExReplacesInOneStep) {
    ASSERT_TRUE(Write(R"(\\HQ\DATA\PROJ\new.txt)", "new content"));
    ASSERT_TRUE(net_.Net().SetInheritedRightsMask(R"(\\HQ\DATA\PROJ\new.txt)", 0x0031, nullptr));
    EXPECT_FALSE(F().MoveFile(R"(\\HQ\DATA\PROJ\new.txt)", R"(\\HQ\DATA\PROJ\A.TXT)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "hello");
    ASSERT_TRUE(F().MoveFileEx(R"(\\HQ\DATA\PROJ\new.txt)", R"(\\HQ\DATA\PROJ\A.TXT)",
                               win::MOVEFILE_REPLACE_EXISTING));
    // The file takes the old one's place under the name it was given (the old one's differed
    // only in case); its own metadata comes along.
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/A.TXT"), "new content");
    EXPECT_FALSE(net_.Exists("HQ/DATA/PROJ/a.txt"));
    EXPECT_FALSE(net_.Exists("HQ/DATA/PROJ/new.txt"));
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\A.TXT)").inheritedRightsMask, 0x0031);
    ASSERT_TRUE(F().MoveFile(R"(\\HQ\DATA\PROJ\A.TXT)", R"(\\HQ\DATA\APPS\moved.txt)"));
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\APPS\moved.txt)").inheritedRightsMask, 0x0031);
    EXPECT_FALSE(F().MoveFile(R"(\\HQ\DATA\PROJ\gone.txt)", R"(\\HQ\DATA\APPS\x.txt)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(F().MoveFile(R"(\\HQ\DATA\APPS\moved.txt)", R"(\\HQ\DOS\MOVED.TXT)"));
}

TEST_F(FilesTest, RenamedDirectoryTakesItsEntriesMetadataAlong) {
    ASSERT_TRUE(F().CreateDirectory(R"(\\HQ\DATA\PROJ\SUB)"));
    ASSERT_TRUE(Write(R"(\\HQ\DATA\PROJ\SUB\inner.txt)", "inner"));
    ASSERT_TRUE(
        net_.Net().SetInheritedRightsMask(R"(\\HQ\DATA\PROJ\SUB\inner.txt)", 0x0013, nullptr));
    ASSERT_TRUE(F().MoveFile(R"(\\HQ\DATA\PROJ\SUB)", R"(\\HQ\DATA\PROJ\RENAMED)"));
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/RENAMED/inner.txt"), "inner");
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\RENAMED\inner.txt)").inheritedRightsMask, 0x0013);
}

TEST_F(FilesTest, TempFilesAreCreatedWithUniqueNames) {
    char first[260], second[260];
    std::uint32_t a = F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, first);
    std::uint32_t b = F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_STRNE(first, second);
    std::string name = std::string(first).substr(std::strlen(R"(\\HQ\DATA\PROJ\)"));
    EXPECT_EQ(name.rfind("FCT", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - 4), ".TMP");
    EXPECT_EQ(F().GetFileAttributes(first), win::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(Read(first), "");
    EXPECT_EQ(F().GetTempFileName(R"(\\HQ\DATA\NODIR)", "FCT", 0, first), 0u);
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    // An 8.3 name, so it works on a DOS-only volume too.
    ASSERT_NE(F().GetTempFileName(R"(\\HQ\DOS)", "FCT", 0, first), 0u);
    EXPECT_NE(F().GetFileAttributes(first), win::INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesTest, DirectoriesAreCreatedAndRemovedOnlyWhenEmpty) {
    EXPECT_TRUE(F().CreateDirectory(R"(\\HQ\DATA\PROJ\New Folder)"));
    EXPECT_FALSE(F().CreateDirectory(R"(\\HQ\DATA\PROJ\NEW FOLDER)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(F().CreateDirectory(R"(\\HQ\DATA\NODIR\SUB)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(Write(R"(\\HQ\DATA\PROJ\New Folder\f.txt)", "x"));
    EXPECT_FALSE(F().RemoveDirectory(R"(\\HQ\DATA\PROJ\new folder)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(F().DeleteFile(R"(\\HQ\DATA\PROJ\New Folder\f.txt)"));
    EXPECT_TRUE(F().RemoveDirectory(R"(\\HQ\DATA\PROJ\new folder)"));
    EXPECT_FALSE(net_.Exists("HQ/DATA/PROJ/New Folder"));
    EXPECT_FALSE(F().DeleteFile(R"(\\HQ\DATA\APPS)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ACCESS_DENIED);
}

TEST_F(FilesTest, DosOnlyVolumesHoldUpperCaseShortNames) {
    EXPECT_TRUE(F().CreateDirectory(R"(\\HQ\DOS\reports)"));
    EXPECT_TRUE(net_.Exists("HQ/DOS/REPORTS"));
    EXPECT_FALSE(net_.Exists("HQ/DOS/reports"));
    EXPECT_FALSE(F().CreateDirectory(R"(\\HQ\DOS\Long Directory Name)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_INVALID_NAME);
    EXPECT_TRUE(Write(R"(\\HQ\DOS\REPORTS\q1.txt)", "x"));
    EXPECT_TRUE(net_.Exists("HQ/DOS/REPORTS/Q1.TXT"));
    EXPECT_FALSE(Write(R"(\\HQ\DOS\REPORTS\quarterly.text)", "x"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_INVALID_NAME);
    std::uint32_t maxLength = 0;
    ASSERT_TRUE(F().GetVolumeInformation(R"(\\HQ\DOS\)", nullptr, 0, nullptr, &maxLength, nullptr,
                                         nullptr, 0));
    EXPECT_EQ(maxLength, 12u);
    ASSERT_TRUE(
        F().GetVolumeInformation(R"(F:\)", nullptr, 0, nullptr, &maxLength, nullptr, nullptr, 0));
    EXPECT_EQ(maxLength, 255u);
    EXPECT_FALSE(F().GetVolumeInformation(R"(\\HQ\NOVOL\)", nullptr, 0, nullptr, &maxLength,
                                          nullptr, nullptr, 0));
    NWCONN_HANDLE conn = Connection("HQ");
    std::uint8_t ns = 9;
    ASSERT_EQ(NetWare().NWGetOwningNameSpace(conn, 0, R"(DOS:REPORTS\Q1.TXT)", &ns), 0u);
    EXPECT_EQ(ns, nw::NS_DOS);
    ASSERT_EQ(NetWare().NWGetOwningNameSpace(conn, 0, R"(DATA:PROJ\a.txt)", &ns), 0u);
    EXPECT_EQ(ns, nw::NS_LONG);
}

TEST_F(FilesTest, ShareModesAreEnforcedWithinTheProcess) {
    const char* path = R"(\\HQ\DATA\PROJ\a.txt)";
    win::ScopedHandle reader(
        F().CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
    ASSERT_TRUE(reader.Valid());
    // Another reader that shares reading is fine; a writer is not.
    win::ScopedHandle second(
        F().CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
    EXPECT_TRUE(second.Valid());
    EXPECT_EQ(F().CreateFile(path, win::GENERIC_WRITE, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                             win::OPEN_EXISTING, 0),
              win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_SHARING_VIOLATION);
    // A reader that denies reading conflicts with the readers there.
    EXPECT_EQ(F().CreateFile(path, win::GENERIC_READ, 0, win::OPEN_EXISTING, 0),
              win::INVALID_HANDLE_VALUE);
    // An open file cannot be deleted or renamed.
    EXPECT_FALSE(F().DeleteFile(path));
    EXPECT_EQ(F().GetLastError(), win::ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(F().MoveFile(path, R"(\\HQ\DATA\PROJ\b.txt)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_SHARING_VIOLATION);
    // NetWare opens take part in the same table.
    NW_NS_OPENCREATE request;
    request.openCreateMode = nw::OC_MODE_OPEN;
    request.accessRights = nw::AR_WRITE | nw::AR_DENY_READ | nw::AR_DENY_WRITE;
    win::HANDLE h = win::INVALID_HANDLE_VALUE;
    EXPECT_EQ(NetWare().NWOpenNSEntry(Connection("HQ"), 0, nw::NS_LONG, 0, R"(DATA:PROJ\a.txt)",
                                      &request, &h),
              0x8980u);
    reader.Close();
    second.Close();
    ASSERT_EQ(NetWare().NWOpenNSEntry(Connection("HQ"), 0, nw::NS_LONG, 0, R"(DATA:PROJ\a.txt)",
                                      &request, &h),
              0u);
    win::ScopedHandle held(h);
    EXPECT_EQ(F().CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                             win::OPEN_EXISTING, 0),
              win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_SHARING_VIOLATION);
}

TEST_F(FilesTest, ReadWriteSeekAndEndOfFile) {
    const char* path = R"(\\HQ\DATA\PROJ\data.bin)";
    win::ScopedHandle h(
        F().CreateFile(path, win::GENERIC_READ | win::GENERIC_WRITE, 0, win::CREATE_NEW, 0));
    ASSERT_TRUE(h.Valid());
    std::uint32_t n = 0;
    ASSERT_TRUE(F().WriteFile(h.Get(), "0123456789", 10, &n));
    std::uint64_t pos = 0;
    ASSERT_TRUE(F().SetFilePointer(h.Get(), -4, win::FILE_CURRENT, &pos));
    EXPECT_EQ(pos, 6u);
    ASSERT_TRUE(F().SetEndOfFile(h.Get()));
    ASSERT_TRUE(F().SetFilePointer(h.Get(), 0, win::FILE_BEGIN, nullptr));
    char buffer[16];
    ASSERT_TRUE(F().ReadFile(h.Get(), buffer, sizeof buffer, &n));
    EXPECT_EQ(std::string(buffer, n), "012345");
    ASSERT_TRUE(F().ReadFile(h.Get(), buffer, sizeof buffer, &n));
    EXPECT_EQ(n, 0u);  // end of file: success with nothing read
    EXPECT_FALSE(F().SetFilePointer(h.Get(), -1, win::FILE_BEGIN, nullptr));
    h.Close();
    EXPECT_EQ(F().CreateFile(path, win::GENERIC_READ, 0, win::CREATE_NEW, 0),
              win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(F().GetLastError(), win::ERROR_FILE_EXISTS);
    EXPECT_FALSE(F().ReadFile(12345, buffer, 1, &n));
    EXPECT_EQ(F().GetLastError(), win::ERROR_INVALID_HANDLE);
    // A read-only handle cannot write.
    win::ScopedHandle r(
        F().CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
    EXPECT_FALSE(F().WriteFile(r.Get(), "x", 1, &n));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ACCESS_DENIED);
}

}  // namespace

namespace {

TEST_F(FilesTest, RenamingToAnotherCaseChangesTheNameOnly) {
    ASSERT_TRUE(net_.Net().SetInheritedRightsMask(R"(\\HQ\DATA\PROJ\a.txt)", 0x0011, nullptr));
    ASSERT_TRUE(F().MoveFile(R"(\\HQ\DATA\PROJ\a.txt)", R"(\\HQ\DATA\PROJ\A.Txt)"));
    EXPECT_TRUE(net_.Exists("HQ/DATA/PROJ/A.Txt"));
    EXPECT_FALSE(net_.Exists("HQ/DATA/PROJ/a.txt"));
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\A.TXT)").inheritedRightsMask, 0x0011);
}

// Changes made by hand in a directory are seen once the run enters it again (a listing, as a
// copy makes when it turns to a directory), even in a directory the previous call used.
TEST_F(FilesTest, RenamesAndTemporaryFilesSeeChangesMadeByHand) {
    auto enter = [this](const char* dir) {
        win::FindData data;
        win::ScopedFind find(F().FindFirstFile(dir, &data));
    };
    ASSERT_TRUE(F().MoveFile(R"(\\HQ\DATA\PROJ\a.txt)", R"(\\HQ\DATA\PROJ\b.txt)"));
    // A name taken by hand in another case blocks a rename that does not replace.
    net_.WriteFile("HQ/DATA/PROJ/c.TXT", "by hand");
    enter(R"(\\HQ\DATA\PROJ\*)");
    EXPECT_FALSE(F().MoveFile(R"(\\HQ\DATA\PROJ\b.txt)", R"(\\HQ\DATA\PROJ\C.txt)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/c.TXT"), "by hand");
    char temporary[win::MAX_PATH] = {};
    ASSERT_NE(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, temporary), 0u);

    // The directory renamed by hand: its old name is gone for renames and temporary files,
    // its new name works.
    ASSERT_EQ(std::rename(net_.LocalPath("HQ/DATA/PROJ").c_str(),
                          net_.LocalPath("HQ/DATA/MOVED").c_str()),
              0);
    enter(R"(\\HQ\DATA\*)");
    EXPECT_FALSE(F().MoveFile(R"(\\HQ\DATA\PROJ\b.txt)", R"(\\HQ\DATA\PROJ\d.txt)"));
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, temporary), 0u);
    EXPECT_EQ(F().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(F().MoveFile(R"(\\HQ\DATA\MOVED\b.txt)", R"(\\HQ\DATA\MOVED\d.txt)"));
    EXPECT_EQ(net_.ReadFile("HQ/DATA/MOVED/d.txt"), "hello");
    ASSERT_NE(F().GetTempFileName(R"(\\HQ\DATA\MOVED)", "FCT", 0, temporary), 0u);
    EXPECT_EQ(std::string(temporary).rfind(R"(\\HQ\DATA\MOVED\FCT)", 0), 0u) << temporary;

    // A directory made by hand where a file is to go: the rename cannot put a file there.
    net_.MakeDir("HQ/DATA/MOVED/e.txt");
    enter(R"(\\HQ\DATA\MOVED\*)");
    EXPECT_FALSE(F().MoveFileEx(R"(\\HQ\DATA\MOVED\d.txt)", R"(\\HQ\DATA\MOVED\E.TXT)",
                                win::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(net_.ReadFile("HQ/DATA/MOVED/d.txt"), "hello");
}

}  // namespace
