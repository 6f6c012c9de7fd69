// network.toml: what a usable file gives, and the one message for a file that cannot be used.
#include <gtest/gtest.h>

#include <fstream>

#include "netware/sim/sim_network.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_network.h"

namespace {

std::string OpenError(const std::string& toml) {
    TestNetwork net(toml);
    std::string error;
    auto opened = sim::SimNetwork::Open(net.Root(), &error);
    EXPECT_EQ(opened, nullptr);
    return error;
}

const char* kStart = R"([workstation]
primary_server = "HQ"
login_name = "ADMIN"
[[server]]
name = "HQ"
)";

TEST(NetworkFile, DamagedFilesNameTheFileTheLineAndTheProblem) {
    struct Case {
        std::string tail;
        std::string line;
        std::string problem;
    };
    const Case cases[] = {
        {"version = \"four\"\n", "line 6", "version \"four\" must be major.minor"},
        {"connection = \"maybe\"\n", "line 6", "connection must be"},
        {"colour = \"red\"\n", "line 6", "unknown key \"colour\""},
        {"  [[server.volume]]\n  name = \"DATA\"\n  block_size = 1000\n", "line 8",
         "block_size must be a positive multiple of 512"},
        {"[[fault]]\ncall = \"NWNoSuchCall\"\ncode = 1\n", "line 7",
         "fault call \"NWNoSuchCall\" is not a NetWare operation"},
        {"[[server]]\nname = \"HQ\"\n", "line 7", "server HQ is described twice"},
        {"[[server]]\nname = \"lower\"\n", "line 7", "\"lower\" is not a valid server name"},
        {"name = [\n", "line 6", ""},  // a syntax error: toml++ describes it
    };
    for (const Case& c : cases) {
        std::string error = OpenError(kStart + c.tail);
        EXPECT_NE(error.find("network.toml, " + c.line + ": " + c.problem), std::string::npos)
            << error;
    }
}

TEST(NetworkFile, ReferencesAreChecked) {
    std::string error = OpenError(R"([workstation]
primary_server = "NOWHERE"
login_name = "ADMIN"
)");
    EXPECT_NE(error.find("line 2: primary_server NOWHERE is not a server"), std::string::npos)
        << error;
    error = OpenError(R"([workstation]
primary_server = "HQ"
login_name = "ADMIN"
[workstation.drives]
G = '\\HQ\NOVOL'
[[server]]
name = "HQ"
)");
    EXPECT_NE(error.find("line 5: drive G: maps to"), std::string::npos) << error;
    error = OpenError(std::string(kStart) + R"([[object]]
name = "CN=X"
ids = { ELSEWHERE = 1 }
)");
    EXPECT_NE(error.find("line 8: object CN=X has an id for ELSEWHERE"), std::string::npos)
        << error;
}

TEST(NetworkFile, MissingFileIsNamed) {
    std::string error;
    EXPECT_EQ(sim::SimNetwork::Open("/nonexistent/farcast", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/farcast/network.toml: the file cannot be read"),
              std::string::npos)
        << error;
}

TEST(NetworkFile, DefaultRootFollowsTheEnvironment) {
    ScopedEnvironment env({"FARCAST_NETWORK", "XDG_DATA_HOME"});
    setenv("FARCAST_NETWORK", "/tmp/somewhere", 1);
    EXPECT_EQ(sim::SimNetwork::DefaultRoot(), "/tmp/somewhere");
    unsetenv("FARCAST_NETWORK");
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(sim::SimNetwork::DefaultRoot(), "/tmp/xdg/farcast/network");
}

TEST(NetworkFile, MetadataOfFilesChangedBehindTheSimulatorsBackIsNotReused) {
    TestNetwork net(std::string(kStart) + "  [[server.volume]]\n  name = \"DATA\"\n");
    net.WriteFile("HQ/DATA/a.txt", "one");
    net.Install();
    ASSERT_TRUE(net.Net().SetAttributes(R"(\\HQ\DATA\a.txt)", 0x21, nullptr));
    ASSERT_TRUE(net.Net().SetInheritedRightsMask(R"(\\HQ\DATA\a.txt)", 0x0001, nullptr));
    net.Close();
    // Replaced by hand: a new file under the old name gets default metadata.
    std::remove(net.LocalPath("HQ/DATA/a.txt").c_str());
    net.WriteFile("HQ/DATA/other.txt", "filler");  // may take the freed inode
    net.WriteFile("HQ/DATA/a.txt", "two");
    net.Install();
    auto meta = net.Meta(R"(\\HQ\DATA\a.txt)");
    EXPECT_EQ(meta.attributes, 0x20u);
    EXPECT_EQ(meta.inheritedRightsMask, 0x00FF);
    // Renamed by hand: the metadata does not follow to another name, nor stay for the old one.
    ASSERT_TRUE(net.Net().SetAttributes(R"(\\HQ\DATA\a.txt)", 0x21, nullptr));
    net.Close();
    std::rename(net.LocalPath("HQ/DATA/a.txt").c_str(), net.LocalPath("HQ/DATA/b.txt").c_str());
    std::rename(net.LocalPath("HQ/DATA/other.txt").c_str(), net.LocalPath("HQ/DATA/a.txt").c_str());
    net.Install();
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\a.txt)").attributes, 0x20u);
    EXPECT_EQ(net.Meta(R"(\\HQ\DATA\b.txt)").attributes, 0x20u);
}

}  // namespace
