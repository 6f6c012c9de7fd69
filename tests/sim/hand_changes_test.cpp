// Changes made by others (by hand, another program, farcast-netsim) are seen as a network file
// system's client sees them: no later than the next time the run enters the directory (lists
// it, makes it, turns to it to create or rename in it) or acts destructively on the entry, and
// always between runs. A change made between two calls of one epoch may be seen late, and
// never so that anything is lost. Links are never followed.
#include <filesystem>
#include <fstream>
#include <functional>

#include "tests/sim/sim_fixture.h"
#include "tests/support/program_run.h"

namespace {

namespace fs = std::filesystem;

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
    // The run enters the directory: it lists it, as a copy or a synchronisation does.
    void Enter(const std::string& dir) {
        win::FindData data;
        win::ScopedFind find(win::Files().FindFirstFile((dir + R"(\*)").c_str(), &data));
    }
};

struct Change {
    const char* name;
    std::function<void()> make;
    const char* entered;  // the directory the run enters after the change
    const char* path;     // read afterwards
    const char* content;  // what the read gives
};

TEST_F(HandChangesTest, AChangeMadeBeforeTheRunEntersTheDirectoryIsSeen) {
    const Change changes[] = {
        {"file replaced",
         [this] {
             std::ofstream(Local("HQ/DATA/PROJ/a.new")) << "replaced";
             fs::rename(Local("HQ/DATA/PROJ/a.new"), Local("HQ/DATA/PROJ/a.txt"));
         },
         R"(\\HQ\DATA\PROJ)", R"(\\HQ\DATA\PROJ\a.txt)", "replaced"},
        {"file renamed",
         [this] { fs::rename(Local("HQ/DATA/PROJ/a.txt"), Local("HQ/DATA/PROJ/b.txt")); },
         R"(\\HQ\DATA\PROJ)", R"(\\HQ\DATA\PROJ\a.txt)", "<missing>"},
        {"file deleted", [this] { fs::remove(Local("HQ/DATA/PROJ/a.txt")); }, R"(\\HQ\DATA\PROJ)",
         R"(\\HQ\DATA\PROJ\a.txt)", "<missing>"},
        {"directory renamed",
         [this] { fs::rename(Local("HQ/DATA/PROJ"), Local("HQ/DATA/OLDPROJ")); }, R"(\\HQ\DATA)",
         R"(\\HQ\DATA\PROJ\a.txt)", "<missing>"},
        {"directory swapped for another",
         [this] {
             fs::rename(Local("HQ/DATA/PROJ"), Local("HQ/DATA/OLDPROJ"));
             net_.WriteFile("HQ/DATA/PROJ/a.txt", "another");
         },
         R"(\\HQ\DATA)", R"(\\HQ\DATA\PROJ\a.txt)", "another"},
        {"directory swapped for a link",
         [this] {
             net_.WriteFile("HQ/DATA/OTHER/a.txt", "elsewhere");
             fs::rename(Local("HQ/DATA/PROJ"), Local("HQ/DATA/OLDPROJ"));
             fs::create_directory_symlink(Local("HQ/DATA/OTHER"), Local("HQ/DATA/PROJ"));
         },
         R"(\\HQ\DATA)", R"(\\HQ\DATA\PROJ\a.txt)", "<missing>"},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        net_.Close();
        fs::remove_all(Local("HQ/DATA"));
        net_.WriteFile("HQ/DATA/PROJ/a.txt", "hello");
        net_.Install();
        ASSERT_EQ(Read(R"(\\HQ\DATA\PROJ\a.txt)"), "hello");
        c.make();
        Enter(c.entered);
        EXPECT_EQ(Read(c.path), c.content);
    }
}

TEST_F(HandChangesTest, ACaseTwinAddedBeforeTheRunEntersIsSeen) {
    net_.WriteFile("HQ/DATA/Mixed/x.txt", "mixed");
    // Listings changed a moment ago are not trusted on their time; this one is old enough.
    fs::last_write_time(Local("HQ/DATA"), fs::file_time_type::clock::now() - std::chrono::hours(1));
    // Reached by another case, then a directory of exactly that spelling appears.
    EXPECT_EQ(Read(R"(\\HQ\DATA\MIXED\x.txt)"), "mixed");
    net_.WriteFile("HQ/DATA/MIXED/x.txt", "exact");
    Enter(R"(\\HQ\DATA)");
    EXPECT_EQ(Read(R"(\\HQ\DATA\MIXED\x.txt)"), "exact") << "the exact name is found first";
    EXPECT_EQ(Read(R"(\\HQ\DATA\Mixed\x.txt)"), "mixed") << "and each twin keeps its own";
    // A directory added below is listed at once.
    net_.MakeDir("HQ/DATA/Mixed/new");
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(R"(\\HQ\DATA\Mixed\new)", &data));
    EXPECT_TRUE(find.Valid());
}

// A file is looked at in every call that names it: a change of it is seen at once.
TEST_F(HandChangesTest, AFileReplacedRenamedOrDeletedBetweenCallsIsSeen) {
    const std::string path = R"(\\HQ\DATA\PROJ\a.txt)";
    EXPECT_EQ(Read(path), "hello");
    std::string error;
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x21, &error)) << error;
    EXPECT_EQ(Attributes(path), win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_ARCHIVE);
    // Replaced: a new file under the name takes nothing of the old one's metadata.
    std::ofstream(Local("HQ/DATA/PROJ/a.new")) << "replaced";
    fs::rename(Local("HQ/DATA/PROJ/a.new"), Local("HQ/DATA/PROJ/a.txt"));
    EXPECT_EQ(Read(path), "replaced");
    EXPECT_EQ(Attributes(path), win::FILE_ATTRIBUTE_ARCHIVE);
    // Renamed, then deleted.
    fs::rename(Local("HQ/DATA/PROJ/a.txt"), Local("HQ/DATA/PROJ/b.txt"));
    EXPECT_EQ(Read(path), "<missing>");
    EXPECT_EQ(Read(R"(\\HQ\DATA\PROJ\b.txt)"), "replaced");
    fs::remove(Local("HQ/DATA/PROJ/b.txt"));
    EXPECT_EQ(Attributes(R"(\\HQ\DATA\PROJ\b.txt)"), win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

// Within an epoch the run acts in the directory it looked at: renamed or swapped for a link
// meanwhile, that directory is still the one read and written, and nothing is reached through
// the link.
TEST_F(HandChangesTest, WithinAnEpochTheDirectoryLookedAtIsTheOneActedIn) {
    const std::string path = R"(\\HQ\DATA\PROJ\a.txt)";
    EXPECT_EQ(Read(path), "hello");
    net_.WriteFile("HQ/DATA/OTHER/a.txt", "elsewhere");
    fs::rename(Local("HQ/DATA/PROJ"), Local("HQ/DATA/OLDPROJ"));
    fs::create_directory_symlink(Local("HQ/DATA/OTHER"), Local("HQ/DATA/PROJ"));
    EXPECT_NE(Read(path), "elsewhere");
    EXPECT_TRUE(win::Files().DeleteFile(path.c_str()) ||
                win::Files().GetLastError() == win::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/OTHER/a.txt"), "elsewhere");
    EXPECT_TRUE(fs::is_symlink(Local("HQ/DATA/PROJ")));
}

// Within an epoch a temporary file is made in the directory the run is working in, without its
// name being looked at again: renamed or swapped for a link meanwhile, it is still that
// directory, and nothing is made through the link. Once the run turns to it from another
// directory, the change is seen.
TEST_F(HandChangesTest, ATemporaryFileIsMadeWhereTheEpochWorks) {
    const std::string dir = R"(\\HQ\DATA\PROJ)";
    net_.WriteFile("HQ/DATA/OTHER/keep.txt", "elsewhere");
    Enter(dir);
    EXPECT_EQ(Read(dir + R"(\a.txt)"), "hello");
    fs::rename(Local("HQ/DATA/PROJ"), Local("HQ/DATA/OLDPROJ"));
    fs::create_directory_symlink(Local("HQ/DATA/OTHER"), Local("HQ/DATA/PROJ"));
    char temp[win::kPathBufferSize] = {};
    ASSERT_NE(win::Files().GetTempFileName(dir.c_str(), "FC", 0, temp), 0u)
        << win::Files().GetLastError();
    const std::string name = fs::path(std::string(temp).substr(dir.size() + 1)).string();
    EXPECT_TRUE(fs::is_regular_file(Local("HQ/DATA/OLDPROJ/" + name))) << name;
    auto otherHolds = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Local("HQ/DATA/OTHER")))
            names.push_back(entry.path().filename().string());
        return names;
    };
    EXPECT_EQ(otherHolds(), std::vector<std::string>{"keep.txt"});

    Enter(R"(\\HQ\DATA\APPS)");
    EXPECT_EQ(win::Files().GetTempFileName(dir.c_str(), "FC", 0, temp), 0u);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(otherHolds(), std::vector<std::string>{"keep.txt"});
}

// Before a destructive act the entry and its metadata are looked at afresh, whatever the run
// read of them in the same epoch: what is replaced or deleted is what was checked.
TEST_F(HandChangesTest, ARowChangedByFarcastNetsimIsSeenBeforeADestructiveAct) {
    const std::string tool = ProgramPath("farcast-netsim");
    if (!fs::exists(tool))
        GTEST_SKIP() << "farcast-netsim is not built";
    const std::string path = R"(\\HQ\DATA\PROJ\a.txt)";
    net_.WriteFile("HQ/DATA/PROJ/new.txt", "new");
    ASSERT_EQ(Attributes(path), win::FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(Read(path), "hello");
    const ProgramResult set =
        RunningProgram(tool, {"--network", net_.Root(), "attr", path, "21"}, {}).Wait();
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_FALSE(win::Files().DeleteFile(path.c_str()));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(win::Files().MoveFileEx(R"(\\HQ\DATA\PROJ\new.txt)", path.c_str(),
                                         win::MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_ACCESS_DENIED);
    win::ScopedHandle h(
        win::Files().CreateFile(path.c_str(), win::GENERIC_WRITE, 0, win::TRUNCATE_EXISTING, 0));
    EXPECT_FALSE(h.Valid());
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "hello");
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/new.txt"), "new");
}

// Between two runs: a second opening of the network sees what was changed by hand after the
// first one had looked.
TEST_F(HandChangesTest, ChangesBetweenRunsAreSeen) {
    EXPECT_EQ(Read(R"(\\HQ\DATA\PROJ\a.txt)"), "hello");
    net_.Close();
    fs::remove(Local("HQ/DATA/PROJ/a.txt"));
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
    fs::rename(Local("HQ/DATA/PROJ/a.txt"), Local("HQ/DATA/PROJ/a.hold"));
    std::ofstream(Local("HQ/DATA/PROJ/a.txt")) << "other";
    ASSERT_TRUE(win::Files().DeleteFile(path.c_str()));
    fs::rename(Local("HQ/DATA/PROJ/a.hold"), Local("HQ/DATA/PROJ/a.txt"));
    EXPECT_EQ(Read(path), "hello");
    EXPECT_EQ(Attributes(path), win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_ARCHIVE);
}
