// The test fixture itself: what other suites rely on when they build networks.
#include <gtest/gtest.h>

#include <string>

#include "netware/netware_client.h"
#include "tests/support/test_network.h"

namespace {

const char* kOne = R"([workstation]
primary_server = "S"
login_name = "U"
[[server]]
name = "S"
  [[server.volume]]
  name = "V"
  [[server.volume]]
  name = "W"
)";

TEST(TestNetworkFixture, BuildsReopensAndRemovesItsNetwork) {
    std::string root;
    {
        TestNetwork net(kOne);
        root = net.Root();
        EXPECT_TRUE(net.Exists("S/V"));
        EXPECT_TRUE(net.Exists("S/W"));
        net.WriteFile("S/V/d/f.txt", "abc", 1700000000);
        EXPECT_EQ(net.ReadFile("S/V/d/f.txt"), "abc");
        net.Install();
        EXPECT_EQ(net.Meta(R"(\\S\V\d\f.txt)").modified, 1700000000);
        ASSERT_TRUE(net.Net().SetAttributes(R"(\\S\V\d\f.txt)", 0x21, nullptr));
        // Closing and reopening keeps the metadata and the installation.
        net.Close();
        EXPECT_EQ(win::Files().GetFileAttributes(R"(\\S\V\d\f.txt)"),
                  win::INVALID_FILE_ATTRIBUTES);  // no network installed meanwhile
        EXPECT_NE(net.Stat(R"(\\S\V\d\f.txt)").find("attributes=0x00000021"), std::string::npos);
        EXPECT_EQ(win::Files().GetFileAttributes(R"(\\S\V\d\f.txt)"), 0x21u);
    }
    TestNetwork probe(kOne);
    EXPECT_FALSE(probe.Exists("../" + root.substr(root.rfind('/') + 1)));
    // Once the network is gone, local paths still work through the file services.
    EXPECT_EQ(win::Files().GetFileAttributes(probe.Root().c_str()), win::FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
