// A run stopped (SIGSTOP, as Ctrl-Z stops it) in the middle of copying a large file holds no
// lock of the metadata store: farcast-netsim reads and changes metadata, and another run copies
// and synchronises, as if it were not there; continued, it finishes its copy.
#include <gtest/gtest.h>

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/program_run.h"
#include "tests/support/test_network.h"

namespace {

namespace fs = std::filesystem;

// The size of the temporary file the copy is writing in dir; 0 while there is none.
std::uintmax_t TemporaryBytes(const fs::path& dir) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().filename().string().rfind("FCT", 0) == 0)
            return e.file_size(ec);
    return 0;
}

TEST(StoppedRunTest, ARunStoppedInsideACopyKeepsNobodyOut) {
    TestNetwork net(HqAndAlphaNetwork(2));
    const std::string big(512 * 1024, 'x');
    net.WriteFile("HQ/DATA/BIG/BIG.BIN", big);
    net.WriteFile("HQ/DATA/SMALL/SMALL.TXT", "small");
    net.WriteFile("ALPHA/DATA/DEST/KEEP.TXT", "keep");
    const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + net.Root() + "/.config",
                                          "XDG_DATA_HOME=" + net.Root() + "/.data"};
    // Unattended runs keep a log of their own, each in its own file.
    auto run = [&](const std::string& source) {
        return std::vector<std::string>{
            "--network",
            net.Root(),
            "--select",
            "ALPHA",
            "--target",
            R"(\DATA\DEST)",
            "--set",
            "UnattendedMode=1",
            "--set",
            "CreateLogfile=1",
            "--set",
            "LogFileName=" + net.Root() + "/" + source.substr(source.rfind('\\') + 1) + ".log",
            "--set",
            "SyncDirs=1",
            "--set",
            "BufferSize=1",
            source};
    };
    RunningProgram stopped(ProgramPath("farcast-run"), run(R"(\\HQ\DATA\BIG)"), env);
    const fs::path copying = net.LocalPath("ALPHA/DATA/DEST/BIG");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (TemporaryBytes(copying) == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(::kill(stopped.Pid(), SIGSTOP), 0);
    const std::uintmax_t held = TemporaryBytes(copying);
    ASSERT_GT(held, 0u);
    ASSERT_LT(held, big.size()) << "stopped in the middle of the copy";

    const std::string keep = R"(\\ALPHA\DATA\DEST\KEEP.TXT)";
    const std::string netsim = ProgramPath("farcast-netsim");
    const ProgramResult stat = RunProgram(netsim, {"--network", net.Root(), "stat", keep}, env);
    EXPECT_EQ(stat.status, 0) << stat.err;
    const ProgramResult attr =
        RunProgram(netsim, {"--network", net.Root(), "attr", keep, "0x21"}, env);
    EXPECT_EQ(attr.status, 0) << attr.err;
    const ProgramResult other =
        RunProgram(ProgramPath("farcast-run"), run(R"(\\HQ\DATA\SMALL)"), env);
    EXPECT_EQ(other.status, 0) << other.out << other.err;
    EXPECT_EQ(net.ReadFile("ALPHA/DATA/DEST/SMALL/SMALL.TXT"), "small");
    EXPECT_EQ(net.Meta(keep).attributes, 0x21u);

    ASSERT_EQ(::kill(stopped.Pid(), SIGCONT), 0);
    const ProgramResult finished = stopped.Wait();
    EXPECT_EQ(finished.status, 0) << finished.out << finished.err;
    EXPECT_EQ(net.ReadFile("ALPHA/DATA/DEST/BIG/BIG.BIN"), big);
}

}  // namespace
