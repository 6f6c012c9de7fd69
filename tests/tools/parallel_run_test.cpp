// farcast-run --parallel N as scripts run it: the same destinations, output and log as a serial
// run; a pass killed while the others go on; a stop signal that stops every pass cleanly; the
// runs that cannot take questions refused before anything is done.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/test_network.h"
#include "tests/support/tree_digest.h"

namespace {

namespace fs = std::filesystem;

// A source server and target servers T1..Tn (each with its latency), plus T3 without the
// destination volume: its pass gives up with an error in the middle of the list.
std::string NetworkToml(const std::vector<std::pair<std::string, int>>& targets) {
    std::string toml = R"([workstation]
primary_server = "SRC"
login_name = "ADMIN"
[[server]]
name = "SRC"
  [[server.volume]]
  name = "DATA"
)";
    for (const auto& [name, latency] : targets)
        toml += "[[server]]\nname = \"" + name +
                "\"\nconnection = \"logged_in\"\nlatency_ms = " + std::to_string(latency) +
                "\n  [[server.volume]]\n  name = \"" + (name == "T3" ? "SYS" : "DATA") + "\"\n";
    return toml;
}

// dirs directories of files files each below SRC/DATA/PROJ, every one with its own time and
// some with attributes of their own; the destination directory on every target, and on T5
// a file to delete and a newer file.
void FillNetwork(TestNetwork& net, int dirs, int files) {
    std::int64_t time = 1700000000;
    for (int d = 0; d < dirs; ++d) {
        for (int f = 0; f < files; ++f) {
            const std::string name = "SRC/DATA/PROJ/dir" + std::to_string(d) + "/File number " +
                                     std::to_string(f) + ".txt";
            net.WriteFile(name, std::string(100 + 37 * f, static_cast<char>('a' + d % 26)), time++);
        }
    }
    net.WriteFile("SRC/DATA/PROJ/top.txt", "top", time);
    std::string error;
    EXPECT_TRUE(net.Net().SetAttributes(R"(\\SRC\DATA\PROJ\top.txt)", 0x21, &error)) << error;
    EXPECT_TRUE(net.Net().SetInheritedRightsMask(R"(\\SRC\DATA\PROJ\dir0)", 0x00F1, &error))
        << error;
    for (const auto& entry : fs::directory_iterator(net.Root())) {
        const std::string server = entry.path().filename().string();
        if (server != "SRC" && fs::exists(entry.path() / "DATA"))
            net.MakeDir(server + "/DATA/DEST");
    }
    if (fs::exists(net.LocalPath("T5/DATA"))) {
        net.WriteFile("T5/DATA/DEST/PROJ/stale.txt", "to be deleted", time);
        net.WriteFile("T5/DATA/DEST/PROJ/dir0/File number 0.txt", "newer", time + 100000);
    }
    net.Close();
}

// A directory of its own for the settings and the log.
class WorkDirectory {
  public:
    WorkDirectory() {
        std::string pattern = "/tmp/farcast-work-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) ? pattern : "";
    }
    ~WorkDirectory() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ParallelRunTest : public ::testing::Test {
  protected:
    std::vector<std::string> Env(const TestNetwork& net) const {
        return {"FARCAST_NETWORK=" + net.Root(), "XDG_CONFIG_HOME=" + work_.Path() + "/config",
                "XDG_DATA_HOME=" + work_.Path() + "/data"};
    }
    // The run of PROJ to \DATA\DEST on the servers, with the given further arguments.
    std::vector<std::string> Args(const std::string& servers, const std::string& log,
                                  std::vector<std::string> more) const {
        std::vector<std::string> args = {"--select", servers,
                                         "--target", R"(\DATA\DEST)",
                                         "--set",    "CopySubDirs=1",
                                         "--set",    "SyncDirs=1",
                                         "--set",    "PromptOnOverwrite=0",
                                         "--set",    "PromptOnDeletion=0",
                                         "--set",    "Netware4xServers=0",
                                         "--set",    "CreateLogfile=1",
                                         "--set",    "LogFileName=" + log};
        args.insert(args.end(), more.begin(), more.end());
        args.push_back(R"(\\SRC\DATA\PROJ)");
        return args;
    }
    // Every file of the copy on the server is the source's, whole, or absent; nothing else
    // (no temporary file) is there.
    static void ExpectWholeOrAbsent(const TestNetwork& net, const std::string& server) {
        const fs::path source = net.LocalPath("SRC/DATA/PROJ");
        const fs::path copy = net.LocalPath(server + "/DATA/DEST/PROJ");
        if (!fs::exists(copy))
            return;
        for (const auto& entry : fs::recursive_directory_iterator(copy)) {
            const fs::path original = source / fs::relative(entry.path(), copy);
            ASSERT_TRUE(fs::exists(original)) << entry.path() << " is no copy";
            if (entry.is_regular_file()) {
                EXPECT_EQ(Contents(entry.path()), Contents(original)) << entry.path();
            }
        }
    }
    // The pass's process, found by its name (the server's), once it runs.
    static pid_t WaitForPass(const RunningProgram& run, const std::string& server) {
        for (int i = 0; i < 2000; ++i) {
            for (const pid_t child : run.Children()) {
                std::string comm = Contents("/proc/" + std::to_string(child) + "/comm");
                if (comm == server + "\n")
                    return child;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }
    // The copy's temporary files on the server.
    static int Temporaries(const TestNetwork& net, const std::string& server) {
        int count = 0;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(net.LocalPath(server + "/DATA/DEST"), ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            count += it->path().filename().string().rfind("FCT", 0) == 0;
        return count;
    }
    // Waits until the server's copy holds a file: its pass is in the middle of its work.
    static bool WaitForCopying(const TestNetwork& net, const std::string& server) {
        for (int i = 0; i < 2000; ++i) {
            std::error_code ec;
            if (fs::exists(net.LocalPath(server + "/DATA/DEST/PROJ/dir0"), ec))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    WorkDirectory work_;
};

int FileCount(const std::string& directory) {
    int count = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(directory, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        count += it->is_regular_file();
    return count;
}

// The log without its timestamps, which differ between any two runs.
std::string WithoutTimestamps(const std::string& log) {
    static const std::regex kTimestamp(R"([^\r\n]*\d\d?:\d\d:\d\d)");
    return std::regex_replace(log, kTimestamp, "<time>");
}

// Directories get their times when made; what a run makes is compared without them.
std::string WithoutDirectoryTimes(const std::string& digest) {
    static const std::regex kDirectoryTime(R"(: dir (mode=\S+) mtime=\S+)");
    return std::regex_replace(digest, kDirectoryTime, ": dir $1");
}

TEST_F(ParallelRunTest, ParallelRunsLeaveWhatASerialRunLeavesAndSayTheSame) {
    const std::vector<std::pair<std::string, int>> targets = {
        {"T1", 1}, {"T2", 0}, {"T3", 0}, {"T4", 2}, {"T5", 0}};
    TestNetwork serialNet(NetworkToml(targets));
    FillNetwork(serialNet, 3, 6);
    const std::string servers = "T1,T2,T3,T4,T5";
    const ProgramResult serial =
        RunProgram(ProgramPath("farcast-run"), Args(servers, work_.Path() + "/serial.log", {}),
                   Env(serialNet));
    ASSERT_EQ(serial.status, 3) << serial.out << serial.err;  // T3 is given up

    for (const char* width : {"2", "5"}) {
        SCOPED_TRACE(std::string("--parallel ") + width);
        TestNetwork net(NetworkToml(targets));
        FillNetwork(net, 3, 6);
        const std::string log = work_.Path() + "/parallel" + width + ".log";
        const ProgramResult parallel = RunProgram(
            ProgramPath("farcast-run"), Args(servers, log, {"--parallel", width}), Env(net));
        EXPECT_EQ(parallel.status, serial.status);
        EXPECT_EQ(parallel.out, serial.out);
        EXPECT_EQ(parallel.err, serial.err);
        EXPECT_EQ(WithoutTimestamps(Contents(log)),
                  WithoutTimestamps(Contents(work_.Path() + "/serial.log")));
        for (const auto& [server, latency] : targets) {
            const std::string volume = server + (server == "T3" ? "/SYS" : "/DATA");
            EXPECT_EQ(WithoutDirectoryTimes(TreeDigest(net, volume)),
                      WithoutDirectoryTimes(TreeDigest(serialNet, volume)))
                << server;
        }
    }
    EXPECT_NE(serial.out.find("[server] T2 | status=done | files=19 bytes="), std::string::npos)
        << serial.out;
    EXPECT_NE(serial.out.find("[server] T3 | status=given-up |"), std::string::npos);
}

TEST_F(ParallelRunTest, AKilledPassIsGivenUpWithItsReasonAndTheOthersFinish) {
    // T1 and T2 still work when SLOW is killed, and end normally after it.
    TestNetwork net(NetworkToml({{"T1", 5}, {"SLOW", 20}, {"T2", 5}}));
    FillNetwork(net, 3, 10);
    const std::string log = work_.Path() + "/run.log";
    RunningProgram run(ProgramPath("farcast-run"),
                       Args("T1,SLOW,T2", log, {"--parallel", "3", "--set", "UnattendedMode=1"}),
                       Env(net));
    const pid_t slow = WaitForPass(run, "SLOW");
    ASSERT_GT(slow, 0) << "no pass process named SLOW";
    ASSERT_TRUE(WaitForCopying(net, "SLOW"));
    // Killed while a file is half copied: its temporary file is left behind.
    for (int i = 0; i < 2000 && Temporaries(net, "SLOW") == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(Temporaries(net, "SLOW"), 1);
    ::kill(slow, SIGKILL);
    const ProgramResult result = run.Wait();

    EXPECT_EQ(result.status, 3) << result.out << result.err;
    const std::string died =
        "ERROR - The pass for server SLOW ended before it was done: killed by signal 9 (Killed). "
        "What it left half done is put right when the network is next opened.";
    EXPECT_NE(Contents(log).find(died), std::string::npos) << Contents(log);
    EXPECT_NE(result.out.find("[server] SLOW | status=given-up | files=0 bytes=0 errors=1 "),
              std::string::npos)
        << result.out;
    for (const char* server : {"T1", "T2"}) {
        EXPECT_NE(
            result.out.find(std::string("[server] ") + server + " | status=done | files=31 bytes="),
            std::string::npos)
            << result.out;
        ExpectWholeOrAbsent(net, server);
        EXPECT_EQ(FileCount(net.LocalPath(std::string(server) + "/DATA/DEST/PROJ")), 31) << server;
    }
    // What the killed pass left is put right by the next process that needs it (another pass
    // making a temporary file, or the next opening of the network): its journal is its own.
    net.Net();
    EXPECT_EQ(Temporaries(net, "SLOW"), 0);
    ExpectWholeOrAbsent(net, "SLOW");
}

TEST_F(ParallelRunTest, AStopSignalStopsEveryPassWithNothingHalfDone) {
    struct Case {
        const char* how;
        bool wholeGroup;  // a terminal's ^C reaches every process of the group
        int signal;
    };
    for (const Case& c :
         {Case{"SIGINT to the run", false, SIGINT}, Case{"SIGINT to the group", true, SIGINT},
          Case{"SIGTERM to the run", false, SIGTERM}}) {
        SCOPED_TRACE(c.how);
        TestNetwork net(NetworkToml({{"T1", 5}, {"T2", 5}, {"T4", 5}}));
        FillNetwork(net, 3, 10);
        RunningProgram run(ProgramPath("farcast-run"),
                           Args("T1,T2,T4", work_.Path() + "/stop.log", {"--parallel", "2"}),
                           Env(net));
        ASSERT_GT(WaitForPass(run, "T2"), 0);
        ASSERT_TRUE(WaitForCopying(net, "T2"));
        ::kill(c.wholeGroup ? -run.Pid() : run.Pid(), c.signal);
        const ProgramResult result = run.Wait();

        EXPECT_EQ(result.status, 4) << result.out << result.err;
        EXPECT_NE(result.out.find("[server] T1 | status=stopped |"), std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("[server] T2 | status=stopped |"), std::string::npos);
        EXPECT_NE(result.out.find("[server] T4 | status=not-reached | files=0 bytes=0 "),
                  std::string::npos);
        EXPECT_FALSE(fs::exists(net.LocalPath("T4/DATA/DEST/PROJ")));
        // Nothing half done, without any recovery: the passes ended their files cleanly.
        for (const char* server : {"T1", "T2"})
            ExpectWholeOrAbsent(net, server);
        EXPECT_TRUE(fs::is_empty(net.Root() + "/.netsim/journal")) << "a pass left work undone";
    }
}

TEST_F(ParallelRunTest, PassesOfARunKilledOutrightStopAsCancelDoes) {
    // The passes left without their run become this process's children, to be waited for.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0), 0);
    TestNetwork net(NetworkToml({{"T1", 5}, {"T2", 5}}));
    FillNetwork(net, 3, 10);
    RunningProgram run(ProgramPath("farcast-run"),
                       Args("T1,T2", work_.Path() + "/kill.log", {"--parallel", "2"}), Env(net));
    const pid_t passes[] = {WaitForPass(run, "T1"), WaitForPass(run, "T2")};
    ASSERT_GT(passes[0], 0);
    ASSERT_GT(passes[1], 0);
    ASSERT_TRUE(WaitForCopying(net, "T2"));
    ::kill(run.Pid(), SIGKILL);
    EXPECT_EQ(run.Wait().status, 128 + SIGKILL);
    // The passes, left without their run, end by themselves, long before their work would.
    for (const pid_t pass : passes) {
        int i = 0;
        for (; i < 2000 && ::waitpid(pass, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_LT(i, 2000) << "pass " << pass << " still runs";
    }
    for (const char* server : {"T1", "T2"}) {
        ExpectWholeOrAbsent(net, server);
        EXPECT_LT(FileCount(net.LocalPath(std::string(server) + "/DATA/DEST/PROJ")), 31);
    }
    EXPECT_TRUE(fs::is_empty(net.Root() + "/.netsim/journal")) << "a pass left work undone";
}

TEST_F(ParallelRunTest, RunsThatWouldAskAreRefusedBeforeAnythingIsDone) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--set", "PromptOnOverwrite=1"},
         "farcast-run: --parallel 2 cannot be used with PromptOnOverwrite on: passes that run at "
         "the same time cannot ask their questions in an order that means anything"},
        {{"--set", "PromptOnDeletion=1"},
         "farcast-run: --parallel 2 cannot be used with PromptOnDeletion on: passes that run at "
         "the same time cannot ask their questions in an order that means anything"},
        {{"--answer", "yes"},
         "farcast-run: --parallel 2 cannot be used with --answer: the answers could not be given "
         "to the passes' questions in an order that means anything"},
    };
    TestNetwork net(NetworkToml({{"T1", 0}, {"T2", 0}}));
    FillNetwork(net, 1, 2);
    for (const Case& c : cases) {
        std::vector<std::string> more = {"--parallel", "2"};
        more.insert(more.end(), c.args.begin(), c.args.end());
        const ProgramResult result = RunProgram(
            ProgramPath("farcast-run"), Args("T1,T2", work_.Path() + "/r.log", more), Env(net));
        EXPECT_EQ(result.status, 2) << c.message;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), c.message);
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(fs::exists(net.LocalPath("T1/DATA/DEST/PROJ")));
    }
    for (const char* width : {"0", "65", "two", "-1"}) {
        const ProgramResult result =
            RunProgram(ProgramPath("farcast-run"),
                       Args("T1", work_.Path() + "/r.log", {"--parallel", width}), Env(net));
        EXPECT_EQ(result.status, 2) << width;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')),
                  std::string("farcast-run: --parallel takes a number from 1 to 64, not ") + width);
    }
    // With one pass at a time, questions stay possible.
    const ProgramResult serial = RunProgram(
        ProgramPath("farcast-run"),
        Args("T1", work_.Path() + "/r.log", {"--parallel", "1", "--answer", "yes"}), Env(net));
    EXPECT_EQ(serial.status, 0) << serial.out << serial.err;
}

}  // namespace
