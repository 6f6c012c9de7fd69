// network.toml values at and past their limits: names as NetWare allows them, numbers in the
// ranges the volume and server calls can report, drive mappings that name real volumes. Each
// refusal is one message naming the file, the line and the key.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "netware/netware_client.h"
#include "netware/sim/sim_network.h"
#include "netware/volume_checks.h"
#include "tests/support/test_network.h"

namespace {

// Line 1 to 7; a case's text starts on line 8.
const char* kHead = R"([workstation]
primary_server = "HQ"
login_name = "ADMIN"
[[server]]
name = "HQ"
  [[server.volume]]
  name = "DATA"
)";

std::string Refusal(const std::string& toml) {
    TestNetwork net(toml);
    std::string error;
    EXPECT_EQ(sim::SimNetwork::Open(net.Root(), &error), nullptr) << toml;
    const std::string prefix = net.Root() + "/network.toml, ";
    EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
    return error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error;
}

// The same for a file the test network must not parse itself (its parser is the one that
// overflows on such files): written straight into a fresh directory.
std::string RawRefusal(const std::string& toml) {
    std::string root = ::testing::TempDir() + "farcast-raw-XXXXXX";
    if (!mkdtemp(root.data()))
        return "no directory";
    std::ofstream(root + "/network.toml", std::ios::binary) << toml;
    std::string error;
    EXPECT_EQ(sim::SimNetwork::Open(root, &error), nullptr);
    std::filesystem::remove_all(root);
    const std::string prefix = root + "/network.toml, ";
    EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
    return error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error;
}

bool Opens(const std::string& toml) {
    TestNetwork net(toml);
    std::string error;
    const bool opened = sim::SimNetwork::Open(net.Root(), &error) != nullptr;
    EXPECT_TRUE(opened) << error;
    return opened;
}

// kHead with login_name replaced.
std::string WithLogin(const std::string& value) {
    std::string toml = kHead;
    toml.replace(toml.find("\"ADMIN\""), 7, value);
    return toml;
}

TEST(NetworkInput, UserNamesFollowTheBinderyRules) {
    const std::string rule =
        "is not a valid user name (1 to 47 characters, no blanks or control characters, none "
        "of \\ / : ; , * ?)";
    EXPECT_EQ(Refusal(WithLogin(R"("")")), "line 3: login_name \"\" " + rule);
    EXPECT_EQ(Refusal(WithLogin(R"("JO HN")")), "line 3: login_name \"JO HN\" " + rule);
    EXPECT_EQ(Refusal(WithLogin(R"("AD\u0007MIN")")), "line 3: login_name \"AD\\x07MIN\" " + rule);
    EXPECT_EQ(Refusal(WithLogin(R"("SALES\\ADMIN")")),
              "line 3: login_name \"SALES\\ADMIN\" " + rule);
    EXPECT_EQ(Refusal(WithLogin('"' + std::string(48, 'A') + '"')),
              "line 3: \"login_name\" is longer than 47 characters");
    EXPECT_TRUE(Opens(WithLogin('"' + std::string(47, 'A') + '"')));
    EXPECT_TRUE(Opens(WithLogin(R"("J.SMITH-2_X")")));

    EXPECT_EQ(Refusal(std::string(kHead) + "  [[server.user]]\n  name = \"A,B\"\n"),
              "line 9: \"A,B\" " + rule);
    EXPECT_EQ(Refusal(std::string(kHead) + "  [[server.user]]\n  name = \"GU*\"\n"),
              "line 9: \"GU*\" " + rule);
    EXPECT_EQ(Refusal(std::string(kHead) + "  [[server.user]]\n  name = \"\\u0085X\"\n"),
              "line 9: \"\\u0085X\" " + rule);
}

TEST(NetworkInput, TreeServerVolumeAndObjectNamesAreChecked) {
    const std::string tail =
        "(1 to 47 characters, no blanks or control characters, none of \\ / : ; , * ?)";
    EXPECT_EQ(Refusal("tree = \"\"\n" + std::string(kHead)),
              "line 1: tree \"\" is not a valid tree name " + tail);
    EXPECT_EQ(Refusal("tree = \"ACME\\nTREE\"\n" + std::string(kHead)),
              "line 1: tree \"ACME\\x0ATREE\" is not a valid tree name " + tail);

    const std::string serverRule =
        "(1 to 47 characters, upper case, no blanks or control characters, none of \\ / : ; , * "
        "? .)";
    EXPECT_EQ(Refusal(std::string(kHead) + "[[server]]\nname = \"HQ;2\"\n"),
              "line 9: \"HQ;2\" is not a valid server name " + serverRule);
    EXPECT_EQ(Refusal(std::string(kHead) + "[[server]]\nname = \"\"\n"),
              "line 9: \"\" is not a valid server name " + serverRule);
    EXPECT_EQ(Refusal(std::string(kHead) + "  [[server.volume]]\n  name = \"DA:TA\"\n"),
              "line 9: \"DA:TA\" is not a valid volume name " + serverRule);

    const std::string objectRule = "is not valid (1 to 259 characters, no control characters)";
    EXPECT_EQ(Refusal(std::string(kHead) + "[[object]]\nname = \"\"\n"),
              "line 9: object name \"\" " + objectRule);
    EXPECT_EQ(Refusal(std::string(kHead) + "[[object]]\nname = \"CN=\\u001bX\"\n"),
              "line 9: object name \"CN=\\x1BX\" " + objectRule);
    EXPECT_EQ(
        Refusal(std::string(kHead) + "[[object]]\nname = \"" + std::string(260, 'X') + "\"\n"),
        "line 9: object name \"" + std::string(260, 'X') + "\" " + objectRule);
    EXPECT_TRUE(
        Opens(std::string(kHead) + "[[object]]\nname = \"CN=" + std::string(256, 'X') + "\"\n"));
    // One server, spelt twice.
    EXPECT_EQ(
        Refusal(std::string(kHead) + "[[object]]\nname = \"CN=X\"\nids = { HQ = 1, hq = 2 }\n"),
        "line 10: object CN=X has two ids for server HQ");
}

TEST(NetworkInput, VersionsAreTwoNumbersFrom0To255) {
    auto version = [](const std::string& text) {
        return std::string(kHead) + "[[server]]\nname = \"B\"\nversion = \"" + text + "\"\n";
    };
    EXPECT_EQ(Refusal(version("4.4294967297")),
              "line 10: version \"4.4294967297\": major and minor must each be a number from 0 "
              "to 255");
    EXPECT_EQ(Refusal(version("4.256")),
              "line 10: version \"4.256\": major and minor must each be a number from 0 to 255");
    EXPECT_EQ(Refusal(version("256.0")),
              "line 10: version \"256.0\": major and minor must each be a number from 0 to 255");
    EXPECT_EQ(Refusal(version("4.99999999999999999999999")),
              "line 10: version \"4.99999999999999999999999\": major and minor must each be a "
              "number from 0 to 255");
    for (const char* malformed :
         {"4", "4.", ".11", "4.11.2", " 4.11", "4.11 ", "-1.0", "+4.11", "4,11", "4.1x", ""}) {
        EXPECT_EQ(Refusal(version(malformed)), "line 10: version \"" + std::string(malformed) +
                                                   "\" must be major.minor, such as \"4.11\"");
    }
    EXPECT_TRUE(Opens(version("255.255")));
    EXPECT_TRUE(Opens(version("3.012")));
}

TEST(NetworkInput, BlockSizesAndCountsStayWithinWhatTheVolumeCallsReport) {
    auto volume = [](const std::string& keys) {
        return std::string(kHead) + "  [[server.volume]]\n  name = \"BIG\"\n" + keys;
    };
    EXPECT_EQ(Refusal(volume("  block_size = 33554432\n")),
              "line 10: block_size must be at most 33553920 (65535 sectors of 512 bytes)");
    EXPECT_EQ(Refusal(volume("  block_size = 0\n")),
              "line 10: block_size must be a positive multiple of 512");
    EXPECT_EQ(Refusal(volume("  block_size = -512\n")),
              "line 10: block_size must be a positive multiple of 512");
    EXPECT_EQ(Refusal(volume("  total_blocks = 4294967296\n")),
              "line 10: total_blocks must be at most 4294967295");
    EXPECT_EQ(Refusal(volume("  total_blocks = 0\n")), "line 10: total_blocks must be at least 1");
}

// The largest volume accepted is reported whole, and a file fits on it.
TEST(NetworkInput, TheLargestVolumeIsReportedWithoutNarrowing) {
    TestNetwork net(R"([workstation]
primary_server = "HQ"
login_name = "ADMIN"
[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "BIG"
  block_size = 33553920
  total_blocks = 4294967295
)");
    net.MakeDir("HQ/BIG/DIR");
    net.Install();
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(NetWare().NWGetConnectionHandle("HQ", 0, &conn, nullptr), 0u);
    std::uint16_t number = 0;
    ASSERT_EQ(NetWare().NWGetVolumeNumber(conn, "BIG", &number), 0u);
    std::uint32_t total = 0, available = 0;
    std::uint16_t sectors = 0;
    ASSERT_EQ(NetWare().NWGetVolumeInfoWithNumber(conn, number, nullptr, &total, &sectors,
                                                  &available, nullptr, nullptr, nullptr),
              0u);
    EXPECT_EQ(sectors, 65535u);
    EXPECT_EQ(total, 4294967295u);
    EXPECT_EQ(available, 4294967295u);
    NWVolExtendedInfo info;
    ASSERT_EQ(NetWare().NWGetExtendedVolumeInfo(conn, number, &info), 0u);
    EXPECT_EQ(info.sectorsPerCluster, 65535u);
    EXPECT_EQ(info.volSizeInClusters, 4294967295u);

    EntryInfo file;
    file.dataStreamSize = std::uint64_t{1} << 40;  // a terabyte
    EXPECT_TRUE(HasRoomForFile(conn, R"(\\HQ\BIG\DIR)", file));
}

TEST(NetworkInput, DriveMappingsNameAVolumeAndADirectoryOfNetWareNames) {
    auto drives = [](const std::string& lines) {
        return std::string(kHead) + "[workstation.drives]\n" + lines;
    };
    // [workstation.drives] reopens the table above it.
    const std::string head = kHead;
    EXPECT_EQ(
        Refusal(head.substr(0, head.find("[[server]]")) + "[workstation.drives]\n" +
                "F = '\\\\HQ\\DATA'\nf = '\\\\HQ\\DATA'\n" + head.substr(head.find("[[server]]"))),
        "line 6: drive F: is mapped twice");
    const std::string pathRule =
        "whose directories are not NetWare names (at most 259 characters in all, no wildcards, "
        "no . or ..)";
    auto refusal = [&](const std::string& target) {
        std::string toml = head.substr(0, head.find("[[server]]")) + "[workstation.drives]\n" +
                           "X = '" + target + "'\n" + head.substr(head.find("[[server]]"));
        return Refusal(toml);
    };
    EXPECT_EQ(refusal(R"(\\HQ\DATA\..\..\etc)"),
              "line 5: drive X: maps to \\\\HQ\\DATA\\..\\..\\etc, " + pathRule);
    EXPECT_EQ(refusal(R"(\\HQ\DATA\APPS\*)"),
              "line 5: drive X: maps to \\\\HQ\\DATA\\APPS\\*, " + pathRule);
    const std::string longTarget = "\\\\HQ\\DATA\\" + std::string(250, 'a');
    EXPECT_EQ(refusal(longTarget), "line 5: drive X: maps to " + longTarget + ", " + pathRule);
    EXPECT_EQ(refusal(R"(\\HQ\NOVOL)"),
              "line 5: drive X: maps to \\\\HQ\\NOVOL, which is not a volume of the network");
    EXPECT_EQ(refusal(R"(\\NOSERVER\DATA)"),
              "line 5: drive X: maps to \\\\NOSERVER\\DATA, which is not a volume of the network");
    EXPECT_EQ(refusal(R"(HQ\DATA)"),
              "line 5: drive X: maps to HQ\\DATA, which is not a volume of the network");
    EXPECT_TRUE(Opens(drives(R"(X = '\\hq\data\Apps\Long Name\')"
                             "\n")));
}

// A key of a hundred thousand parts made the parser overflow the stack; such keys are refused
// at their line before the parser sees them, however they are written.
TEST(NetworkInput, KeysOfManyDottedPartsAreRefusedAtTheirLine) {
    auto parts = [](const std::string& part, int count) {
        std::string key = part;
        for (int i = 1; i < count; ++i)
            key += "." + part;
        return key;
    };
    const std::string head = kHead;
    const std::string refusal = "line 8: a key or table name has more than 64 dotted parts";
    EXPECT_EQ(RawRefusal(head + "[" + parts("a", 100000) + "]\n"), refusal);
    EXPECT_EQ(RawRefusal(head + parts("a", 100000) + " = 1\n"), refusal);
    EXPECT_EQ(RawRefusal(head + "[" + parts(R"("a")", 100000) + "]\n"), refusal);
    EXPECT_EQ(RawRefusal(head + "[" + parts(" 'a' ", 100000) + "]\n"), refusal);
    EXPECT_EQ(RawRefusal(head + "x = { " + parts("a", 65) + " = 1 }\n"), refusal);
    // 64 parts reach the parser, and the key is then unknown.
    EXPECT_EQ(RawRefusal(head + parts("a", 64) + " = 1\n"), "line 8: unknown key \"a\"");
    // Dots in strings and comments are no key's; lines after a multi-line string count on.
    const std::string dots(1000, '.');
    EXPECT_EQ(RawRefusal(head + "version = \"" + dots + "\" # " + dots + "\n"),
              "line 8: unknown key \"version\"");
    EXPECT_EQ(RawRefusal(head + "x = '''\n" + dots + "\n'''\n" + R"(y = """\"""")" + "\n" +
                         parts("b", 70) + " = 2\n"),
              "line 12: a key or table name has more than 64 dotted parts");
}

}  // namespace
