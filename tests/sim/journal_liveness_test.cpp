// The journals of work under way: one is live exactly while its owner holds its lock, whatever
// its name says, and anything in the folder that is not a regular file is passed over and
// reported, never opened in a way that could block or abort the program.
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "netware/sim/sim_network.h"
#include "resources/string_ids.h"
#include "tests/sim/sim_fixture.h"
#include "tests/support/live_program.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

namespace fs = std::filesystem;

class JournalLivenessTest : public SimTest {
  protected:
    fs::path JournalDir() { return net_.JournalDir(); }
    std::set<std::string> Journals() { return net_.Journals(); }
    std::vector<std::string> Temporaries() { return net_.TemporaryFiles("HQ/DATA/PROJ"); }
    // A child process that opens the network, makes a temporary file and waits to be killed.
    pid_t StartOwner() {
        const LiveProgram owner = StartLiveProgram(net_.Root(), R"(\\HQ\DATA\PROJ)");
        EXPECT_FALSE(owner.temporaryFile.empty());
        return owner.pid;
    }
    // Gives the journals made since before the name a stale process id would give them.
    void Rename(const std::set<std::string>& before, const std::string& name) {
        for (const std::string& j : Journals())
            if (!before.count(j))
                fs::rename(JournalDir() / j, JournalDir() / name);
    }
    static std::string StartTimeOfInit() {
        std::ifstream in("/proc/1/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream rest(text.substr(text.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 22 && rest >> field; ++i) {
        }
        return field;
    }
};

// A live owner's journal renamed as a dead process's keeps its temporary file; once the owner
// is killed, its journal, renamed as a live process's (init's), is put right all the same.
TEST_F(JournalLivenessTest, AJournalIsLiveExactlyWhileItsOwnerRuns) {
    net_.Close();
    const std::set<std::string> before = Journals();
    const pid_t owner = StartOwner();
    ASSERT_EQ(Temporaries().size(), 1u);
    Rename(before, "999999999-1-1.journal");
    net_.Install();  // another program opens the network and puts right what the dead left
    net_.Close();
    EXPECT_EQ(Temporaries().size(), 1u) << "the file of a live run is never taken";

    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
    Rename(before, "1-" + StartTimeOfInit() + "-1.journal");
    net_.Install();
    EXPECT_TRUE(Temporaries().empty()) << "the dead owner's leftovers are put right";
    EXPECT_EQ(Journals(), before);
}

// A directory or a FIFO named like a journal: the network opens at once, recovery and a new
// temporary file work, and check names each.
TEST_F(JournalLivenessTest, WhatIsNotARegularFileIsPassedOverAndReported) {
    net_.Close();
    fs::create_directories(JournalDir() / "1-1-1.journal");
    ASSERT_EQ(::mkfifo((JournalDir() / "2-2-2.journal").c_str(), 0644), 0);
    net_.Install();
    char name[win::kPathBufferSize] = {};
    EXPECT_NE(win::Files().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, name), 0u);
    EXPECT_TRUE(win::Files().DeleteFile(name));
    const std::vector<std::string> problems = net_.Net().Check();
    ASSERT_EQ(problems.size(), 2u);
    for (const char* journal : {"1-1-1.journal", "2-2-2.journal"})
        EXPECT_NE(std::find(problems.begin(), problems.end(),
                            FormatText(LoadResString(IDS_SIM_CHECK_JOURNAL_NOT_FILE),
                                       (JournalDir() / journal).c_str())),
                  problems.end())
            << journal;
}

}  // namespace
