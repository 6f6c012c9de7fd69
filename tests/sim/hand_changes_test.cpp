// The simulator keeps what it has resolved and read between calls; whatever is changed by hand
// between two calls, or between two runs, is seen by the next call all the same.
#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/sim/sim_fixture.h"

namespace {

class HandChangesTest : public SimTest {
  protected:
    std::string Read(const std::string& path) {
        win::ScopedHandle h(win::Files().CreateFile(path.c_str(), win::GENERIC_READ,
                                                    win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
        std::string out;
        char buffer[256];
        std::uint32_t n = 0;
        while (h.Valid() && win::Files().ReadFile(h.Get(), buffer, sizeof buffer, &n) && n > 0)
            out.append(buffer, n);
        return h.Valid() ? out : "<missing>";
    }
    std::uint32_t Attributes(const std::string& path) {
        return win::Files().GetFileAttributes(path.c_str());
    }
    std::string Local(const std::string& relative) { return net_.LocalPath(relative); }
};

TEST_F(HandChangesTest, AFileReplacedRenamedOrDeletedBetweenCallsIsSeen) {
    const std::string path = R"(\\HQ\DATA\PROJ\a.txt)";
    EXPECT_EQ(Read(path), "hello");
    std::string error;
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x21, &error)) << error;
    EXPECT_EQ(Attributes(path), win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_ARCHIVE);
    // Replaced: a new file under the name takes nothing of the old one's metadata.
    std::ofstream(Local("HQ/DATA/PROJ/a.new")) << "replaced";
    std::filesystem::rename(Local("HQ/DATA/PROJ/a.new"), Local("HQ/DATA/PROJ/a.txt"));
    EXPECT_EQ(Read(path), "replaced");
    EXPECT_EQ(Attributes(path), win::FILE_ATTRIBUTE_ARCHIVE);
    // Renamed, then deleted.
    std::filesystem::rename(Local("HQ/DATA/PROJ/a.txt"), Local("HQ/DATA/PROJ/b.txt"));
    EXPECT_EQ(Read(path), "<missing>");
    EXPECT_EQ(Read(R"(\\HQ\DATA\PROJ\b.txt)"), "replaced");
    std::filesystem::remove(Local("HQ/DATA/PROJ/b.txt"));
    EXPECT_EQ(Attributes(R"(\\HQ\DATA\PROJ\b.txt)"), win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

TEST_F(HandChangesTest, ADirectoryRenamedOrSwappedBetweenCallsIsSeen) {
    const std::string path = R"(\\HQ\DATA\PROJ\a.txt)";
    EXPECT_EQ(Read(path), "hello");
    std::filesystem::rename(Local("HQ/DATA/PROJ"), Local("HQ/DATA/OLDPROJ"));
    EXPECT_EQ(Read(path), "<missing>");
    // Another directory of the old name, holding another file of the same name.
    net_.WriteFile("HQ/DATA/PROJ/a.txt", "another");
    EXPECT_EQ(Read(path), "another");
    // A link in place of the directory is never followed.
    std::filesystem::remove_all(Local("HQ/DATA/PROJ"));
    std::filesystem::create_directory_symlink(Local("HQ/DATA/OLDPROJ"), Local("HQ/DATA/PROJ"));
    EXPECT_EQ(Read(path), "<missing>");
}

TEST_F(HandChangesTest, ANameAddedBesideAnInexactSpellingIsSeen) {
    net_.WriteFile("HQ/DATA/Mixed/x.txt", "mixed");
    // Listings changed a moment ago are not trusted on their time; this one is old enough.
    std::filesystem::last_write_time(
        Local("HQ/DATA"), std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    // Reached by another case, then a directory of exactly that spelling appears.
    EXPECT_EQ(Read(R"(\\HQ\DATA\MIXED\x.txt)"), "mixed");
    net_.WriteFile("HQ/DATA/MIXED/x.txt", "exact");
    EXPECT_EQ(Read(R"(\\HQ\DATA\MIXED\x.txt)"), "exact") << "the exact name is found first";
    EXPECT_EQ(Read(R"(\\HQ\DATA\Mixed\x.txt)"), "mixed") << "and each twin keeps its own";
    // A directory added below is listed at once.
    net_.MakeDir("HQ/DATA/Mixed/new");
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(R"(\\HQ\DATA\Mixed\new)", &data));
    EXPECT_TRUE(find.Valid());
}

// Between two runs: a second opening of the network sees what was changed by hand after the
// first one had looked.
TEST_F(HandChangesTest, ChangesBetweenRunsAreSeen) {
    EXPECT_EQ(Read(R"(\\HQ\DATA\PROJ\a.txt)"), "hello");
    net_.Close();
    std::filesystem::remove(Local("HQ/DATA/PROJ/a.txt"));
    net_.WriteFile("HQ/DATA/PROJ/A.TXT", "upper");
    net_.Install();
    EXPECT_EQ(Read(R"(\\HQ\DATA\PROJ\a.txt)"), "upper");
    EXPECT_EQ(Read(R"(\\HQ\DATA\PROJ\A.TXT)"), "upper");
}

}  // namespace

// A deletion drops only the deleted file's own row: a file that another program's rename
// brings (with its row) to the name between the look and the deletion keeps its metadata.
TEST_F(HandChangesTest, ADeletionKeepsTheRowOfAnotherFileOfTheName) {
    const std::string path = R"(\\HQ\DATA\PROJ\a.txt)";
    std::string error;
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x21, &error)) << error;
    // The file with the row steps aside; another file bears the name while it is deleted.
    std::filesystem::rename(Local("HQ/DATA/PROJ/a.txt"), Local("HQ/DATA/PROJ/a.hold"));
    std::ofstream(Local("HQ/DATA/PROJ/a.txt")) << "other";
    ASSERT_TRUE(win::Files().DeleteFile(path.c_str()));
    std::filesystem::rename(Local("HQ/DATA/PROJ/a.hold"), Local("HQ/DATA/PROJ/a.txt"));
    EXPECT_EQ(Read(path), "hello");
    EXPECT_EQ(Attributes(path), win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_ARCHIVE);
}
