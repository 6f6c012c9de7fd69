// What a rename writes to the journal: a record only where a process stopped after it would
// leave the next one something to finish, and what a stop right after an unrecorded rename
// leaves.
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "tests/sim/sim_fixture.h"

namespace {

namespace fs = std::filesystem;

class JournalRecordsTest : public SimTest {
  public:
    win::FileServices& F() { return win::Files(); }
    fs::path JournalDir() { return net_.JournalDir(); }
    std::set<std::string> Journals() { return net_.Journals(); }
    // The records of a kind in this process's journal (named after its process id).
    int Records(char kind) {
        int count = 0;
        const std::string own = std::to_string(::getpid()) + "-";
        for (const std::string& name : Journals()) {
            if (name.rfind(own, 0) != 0)
                continue;
            std::ifstream in(JournalDir() / name);
            for (std::string line; std::getline(in, line);)
                count += !line.empty() && line[0] == kind;
        }
        return count;
    }
    std::string MakeTemporary(const std::string& content) {
        char name[win::kPathBufferSize] = {};
        EXPECT_NE(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, name), 0u);
        win::ScopedHandle h(F().CreateFile(name, win::GENERIC_WRITE, 0, win::TRUNCATE_EXISTING, 0));
        std::uint32_t n = 0;
        EXPECT_TRUE(h.Valid() && F().WriteFile(h.Get(), content.data(),
                                               static_cast<std::uint32_t>(content.size()), &n));
        return name;
    }
    std::vector<std::string> Temporaries() { return net_.TemporaryFiles("HQ/DATA/PROJ"); }
};

TEST_F(JournalRecordsTest, ARenameIsRecordedOnlyWhereAStopAfterItLeavesSomethingToFinish) {
    struct Case {
        const char* what;
        std::function<bool(JournalRecordsTest&)> rename;
        int records;
    };
    const Case cases[] = {
        {"a temporary file without a row, to a free name",
         [](JournalRecordsTest& t) {
             const std::string temporary = t.MakeTemporary("new");
             return t.F().MoveFile(temporary.c_str(), R"(\\HQ\DATA\PROJ\new.txt)");
         },
         0},
        {"a temporary file with a row (attributes of its own), to a free name",
         [](JournalRecordsTest& t) {
             const std::string temporary = t.MakeTemporary("hidden");
             return t.F().SetFileAttributes(temporary.c_str(), win::FILE_ATTRIBUTE_HIDDEN) &&
                    t.F().MoveFile(temporary.c_str(), R"(\\HQ\DATA\PROJ\hidden.txt)");
         },
         1},
        {"a temporary file replacing another",
         [](JournalRecordsTest& t) {
             const std::string temporary = t.MakeTemporary("replacement");
             return t.F().MoveFileEx(temporary.c_str(), R"(\\HQ\DATA\PROJ\a.txt)",
                                     win::MOVEFILE_REPLACE_EXISTING);
         },
         1},
        {"a directory",
         [](JournalRecordsTest& t) {
             return t.F().MoveFile(R"(\\HQ\DATA\APPS\TOOLS)", R"(\\HQ\DATA\APPS\MOVED)");
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = Records('R');
        ASSERT_TRUE(c.rename(*this)) << F().GetLastError();
        EXPECT_EQ(Records('R') - before, c.records);
    }
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "replacement");
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\hidden.txt)").attributes & win::FILE_ATTRIBUTE_HIDDEN,
              win::FILE_ATTRIBUTE_HIDDEN);
}

// A process killed right after an unrecorded rename: the next one finds the file delivered,
// with the defaults it had (not the row an earlier file of that name left), and no temporary
// file, and it removes nothing.
TEST_F(JournalRecordsTest, AStopRightAfterAnUnrecordedRenameLeavesTheFileDelivered) {
    net_.WriteFile("HQ/DATA/PROJ/delivered.txt", "earlier");
    ASSERT_TRUE(F().SetFileAttributes(R"(\\HQ\DATA\PROJ\delivered.txt)",
                                      win::FILE_ATTRIBUTE_HIDDEN | win::FILE_ATTRIBUTE_ARCHIVE));
    fs::remove(net_.LocalPath("HQ/DATA/PROJ/delivered.txt"));  // by hand: its row stays behind
    net_.Close();
    const std::set<std::string> before = Journals();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        net_.Install();
        const std::string temporary = MakeTemporary("delivered");
        if (F().MoveFile(temporary.c_str(), R"(\\HQ\DATA\PROJ\delivered.txt)"))
            ::raise(SIGKILL);
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_NE(Journals(), before) << "the killed process left its journal";

    net_.Install();  // the next process puts right what the killed one left
    EXPECT_EQ(Journals(), before);
    EXPECT_TRUE(Temporaries().empty());
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/delivered.txt"), "delivered");
    EXPECT_EQ(F().GetFileAttributes(R"(\\HQ\DATA\PROJ\delivered.txt)"),
              win::FILE_ATTRIBUTE_ARCHIVE);
}

// Once delivered, a temporary file is no longer this process's: another program that puts it
// back under its temporary name keeps it, even when this process ends and the next one opens
// the network.
TEST_F(JournalRecordsTest, ADeliveredFileIsNeverTakenForATemporaryFileLeftBehind) {
    const std::string temporary = MakeTemporary("delivered");
    ASSERT_TRUE(F().MoveFile(temporary.c_str(), R"(\\HQ\DATA\PROJ\delivered.txt)"));
    const std::string name = temporary.substr(temporary.rfind('\\') + 1);
    ASSERT_EQ(std::rename(net_.LocalPath("HQ/DATA/PROJ/delivered.txt").c_str(),
                          net_.LocalPath("HQ/DATA/PROJ/" + name).c_str()),
              0);
    net_.Close();    // this process is done with the network
    net_.Install();  // the next one
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/" + name), "delivered");
}

}  // namespace
