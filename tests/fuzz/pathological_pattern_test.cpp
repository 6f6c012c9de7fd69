// Wildcard patterns built to make a backtracking matcher try every split: twenty stars against
// a long name. Each match site (the matcher itself, a [[fault]] path glob, a listing pattern,
// a bindery scan) must answer; the suite's CTest time bound fails a test that hangs.
#include <gtest/gtest.h>

#include <string>

#include "netware/netware_client.h"
#include "netware/sim/sim_names.h"
#include "platform/file_services.h"
#include "tests/support/test_network.h"

namespace {

// "*a*a...*a*b": stars before every letter, and a last letter the name lacks.
std::string StarPattern(int stars, char letter, char last) {
    std::string pattern;
    for (int i = 1; i < stars; ++i)
        pattern += std::string("*") + letter;
    return pattern + "*" + last;
}

TEST(PathologicalPattern, TwentyStarsAgainstLongNamesAnswerBothWays) {
    const std::string pattern = StarPattern(20, 'a', 'b');
    EXPECT_FALSE(sim::WildcardMatch(pattern, std::string(255, 'a')));
    EXPECT_TRUE(sim::WildcardMatch(pattern, std::string(254, 'a') + "B"));
    EXPECT_FALSE(sim::WildcardMatch(pattern, std::string(18, 'a') + "b"));
    // A path of 259 characters and a pattern as long, nearly all stars.
    const std::string path = "\\\\HQ\\DATA\\" + std::string(249, 'a');
    EXPECT_FALSE(sim::WildcardMatch(std::string(258, '*') + "b", path));
    EXPECT_TRUE(sim::WildcardMatch(std::string(258, '*') + "A", path));
    EXPECT_FALSE(sim::WildcardMatch(StarPattern(120, '?', 'b'), path));
}

const char* kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
[[server]]
name = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
[[fault]]
call = "GetFileAttributes"
path = '\\HQ\DATA\*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b'
code = 5
)";

class PathologicalSites : public ::testing::Test {
  protected:
    void SetUp() override {
        net_.WriteFile("HQ/DATA/DIR/" + longName_, "x");
        net_.WriteFile("HQ/DATA/DIR/" + longName_ + "b", "y");
        net_.Install();
    }

    const std::string longName_ = std::string(200, 'a');
    TestNetwork net_{kNetwork};
};

TEST_F(PathologicalSites, FaultGlobsAnswerForLongPaths) {
    const std::string dir = R"(\\HQ\DATA\DIR\)";
    // The glob does not match: the call goes through.
    EXPECT_NE(win::Files().GetFileAttributes((dir + longName_).c_str()),
              win::INVALID_FILE_ATTRIBUTES);
    // It matches: the fault applies.
    EXPECT_EQ(win::Files().GetFileAttributes((dir + longName_ + "b").c_str()),
              win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), 5u);
}

TEST_F(PathologicalSites, ListingPatternsAnswerForLongNames) {
    win::FindData data;
    const std::string none = R"(\\HQ\DATA\DIR\)" + StarPattern(20, 'a', 'c');
    EXPECT_EQ(win::Files().FindFirstFile(none.c_str(), &data), win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_FILE_NOT_FOUND);

    const std::string one = R"(\\HQ\DATA\DIR\)" + StarPattern(20, 'a', 'b');
    win::ScopedFind find(win::Files().FindFirstFile(one.c_str(), &data));
    ASSERT_TRUE(find.Valid());
    EXPECT_EQ(data.fileName, longName_ + "b");
    EXPECT_FALSE(win::Files().FindNextFile(find.Get(), &data));
}

TEST_F(PathologicalSites, BinderyScanPatternsAnswerForLongServerNames) {
    NWCONN_HANDLE primary = 0;
    ASSERT_EQ(NetWare().NWGetPrimaryConnectionID(&primary), 0u);
    char name[nw::kNameSize] = {};
    std::uint32_t id = 0xFFFFFFFF;
    EXPECT_EQ(NetWare().NWScanObject(primary, StarPattern(20, 'A', 'B').c_str(), nw::OT_FILE_SERVER,
                                     &id, name, nullptr, nullptr, nullptr, nullptr),
              nw::NO_SUCH_OBJECT);
    id = 0xFFFFFFFF;
    EXPECT_EQ(NetWare().NWScanObject(primary, StarPattern(20, 'A', 'A').c_str(), nw::OT_FILE_SERVER,
                                     &id, name, nullptr, nullptr, nullptr, nullptr),
              0u);
    EXPECT_EQ(std::string(name), std::string(47, 'A'));
}

}  // namespace
