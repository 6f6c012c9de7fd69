// farcast-netsim as a user runs it: exit status and output of its commands. The program is
// looked for beside this test program; when it has not been built, the test is skipped.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Tool() {
    char self[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    std::string path = std::filesystem::path(self).parent_path() / "farcast-netsim";
    return std::filesystem::exists(path) ? path : "";
}

// Runs a shell command line; returns the exit status and the standard output.
int RunTool(const std::string& command, std::string* out) {
    out->clear();
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p)
        return -1;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p))
        *out += buffer;
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a command line; returns the exit status, standard output and standard error.
int RunToolWithErrors(const std::string& command, std::string* out, std::string* err) {
    const std::string errors = std::filesystem::temp_directory_path() /
                               ("farcast-netsim-err-" + std::to_string(::getpid()));
    out->clear();
    FILE* p = popen((command + " 2>" + errors).c_str(), "r");
    if (!p)
        return -1;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p))
        *out += buffer;
    const int result = pclose(p);
    const int status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    std::ifstream in(errors);
    err->assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(errors);
    return status;
}

TEST(NetsimTool, DemoThenCheckSucceedsAndCommandsReportByExitStatus) {
    std::string tool = Tool();
    if (tool.empty())
        GTEST_SKIP() << "farcast-netsim is not built";
    std::string dir = "/tmp/farcast-netsim-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    std::string out;
    EXPECT_EQ(RunTool(tool + " demo " + dir, &out), 0);
    EXPECT_EQ(RunTool("FARCAST_NETWORK=" + dir + " " + tool + " check", &out), 0) << out;
    std::string net = tool + " --network " + dir + " ";
    EXPECT_EQ(RunTool(net + "attr 'G:\\PROJECTS\\Budget Forecast.csv' 0x21", &out), 0);
    EXPECT_EQ(RunTool(net + "irm 'G:\\PROJECTS\\Budget Forecast.csv' 0x0F", &out), 0);
    EXPECT_EQ(
        RunTool(net + "trustee 'G:\\PROJECTS\\Budget Forecast.csv' CN=JSmith.OU=Sales.O=ACME 3",
                &out),
        0);
    EXPECT_EQ(RunTool(net + "stat 'G:\\PROJECTS\\Budget Forecast.csv'", &out), 0);
    EXPECT_NE(out.find("attributes=0x00000021\nirm=0x000F\n"), std::string::npos) << out;
    EXPECT_NE(out.find("trustee=CN=JSmith.OU=Sales.O=ACME 0x0003\n"), std::string::npos) << out;
    EXPECT_EQ(RunTool(net + "compress 'G:\\PROJECTS\\README.TXT'", &out),
              1);  // DATA does not compress
    EXPECT_EQ(RunTool(net + "stat 'G:\\PROJECTS\\nothing'", &out), 1);
    EXPECT_EQ(RunTool(net + "attr 'G:\\PROJECTS' zz", &out), 2);
    EXPECT_EQ(RunTool(net + "frobnicate", &out), 2);
    EXPECT_EQ(RunTool(tool + " --help", &out), 0);
    EXPECT_NE(out.find("trustee PATH OBJECT HEX"), std::string::npos);
    // A tree that check cannot accept.
    std::filesystem::create_directories(dir + "/LEGACY_FS/DOSDATA/lower.txt");
    EXPECT_EQ(RunTool(net + "check", &out), 1);
    EXPECT_NE(out.find("lower.txt is not an upper-case 8.3 name"), std::string::npos) << out;
    std::filesystem::remove_all(dir);
}

// The demo goes only into a new or empty directory: files already there are never overwritten,
// and nothing is written through a link.
TEST(NetsimTool, DemoRefusesADirectoryThatHoldsAnything) {
    std::string tool = Tool();
    if (tool.empty())
        GTEST_SKIP() << "farcast-netsim is not built";
    std::string dir = "/tmp/farcast-netsim-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::filesystem::path base = dir;
    std::filesystem::create_directories(base / "busy/ACME_HQ/DATA/PROJECTS");
    { std::ofstream(base / "busy/ACME_HQ/DATA/PROJECTS/README.TXT") << "mine"; }
    std::filesystem::create_directories(base / "elsewhere");
    std::filesystem::create_directory_symlink(base / "elsewhere", base / "link");
    std::string out, err;
    EXPECT_EQ(RunToolWithErrors(tool + " demo " + dir + "/busy", &out, &err), 1);
    EXPECT_EQ(err, "farcast-netsim: " + dir +
                       "/busy is not empty: the demo network needs a new or empty directory\n");
    std::ifstream mine(base / "busy/ACME_HQ/DATA/PROJECTS/README.TXT");
    std::string text((std::istreambuf_iterator<char>(mine)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "mine");
    EXPECT_FALSE(std::filesystem::exists(base / "busy/network.toml"));

    EXPECT_EQ(RunToolWithErrors(tool + " demo " + dir + "/link", &out, &err), 1);
    EXPECT_NE(err.find("is not a directory (or is a symbolic link)"), std::string::npos) << err;
    EXPECT_TRUE(std::filesystem::is_empty(base / "elsewhere"));

    std::filesystem::create_directories(base / "empty");
    EXPECT_EQ(RunToolWithErrors(tool + " demo " + dir + "/empty", &out, &err), 0) << err;
    EXPECT_TRUE(std::filesystem::exists(base / "empty/network.toml"));
    EXPECT_EQ(RunToolWithErrors(tool + " demo " + dir + "/empty", &out, &err), 1);
    std::filesystem::remove_all(dir);
}

}  // namespace
