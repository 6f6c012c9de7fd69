// Administration as farcast-netsim offers it: stat, attr, irm, trustee, compress, check, and
// the demo network.
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "tests/sim/sim_fixture.h"

namespace {

class AdminTest : public SimTest {};

TEST_F(AdminTest, StatPrintsTheDocumentedLinesInOrder) {
    net_.Close();
    net_.WriteFile("HQ/DATA/PROJ/LongFileName.txt", std::string(1234, 'x'), 1796637600);
    net_.Install();
    ASSERT_TRUE(net_.Net().SetTrustee(R"(\\HQ\DATA\PROJ\LongFileName.txt)", "cn=jsmith.o=acme",
                                      0x000F, nullptr));
    std::time_t t = 1796637600;
    std::tm tm{};
    localtime_r(&t, &tm);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
    EXPECT_EQ(net_.Stat(R"(F:\proj\longfilename.txt)"), std::string("name=LongFileName.txt\n"
                                                                    "short=LONGFI~1.TXT\n"
                                                                    "directory=0\n"
                                                                    "attributes=0x00000020\n"
                                                                    "irm=0x00FF\n"
                                                                    "size=1234\n"
                                                                    "compressed=0\n"
                                                                    "modified=") +
                                                            when +
                                                            "\n"
                                                            "trustee=CN=JSMITH.O=ACME 0x000F\n");
    std::string out, error;
    EXPECT_FALSE(net_.Net().Stat(R"(\\HQ\DATA\PROJ\none)", &out, &error));
    EXPECT_NE(error.find("does not exist"), std::string::npos);
    EXPECT_FALSE(net_.Net().Stat("/etc", &out, &error));
    EXPECT_NE(error.find("is not a path on the network"), std::string::npos);
}

TEST_F(AdminTest, AttrIrmAndTrusteeChangeWhatTheClientSees) {
    const char* path = R"(\\HQ\DATA\APPS\TOOLS)";
    ASSERT_TRUE(net_.Net().SetAttributes(path, 0x00000012, nullptr));
    ASSERT_TRUE(net_.Net().SetInheritedRightsMask(path, 0x001F, nullptr));
    EntryInfo info;
    NWCONN_HANDLE hq = Connection("HQ");
    ASSERT_EQ(NetWare().NWGetNSEntryInfo(hq, 0, R"(DATA:APPS\TOOLS)", 4, 4, 0x10, 0x0804, &info),
              0u);
    EXPECT_EQ(info.attributes, 0x00000012u);
    EXPECT_EQ(info.inheritedRightsMask, 0x001F);
    std::string error;
    EXPECT_FALSE(net_.Net().SetTrustee(path, "CN=NOBODY", 1, &error));
    EXPECT_NE(error.find("has no id on server HQ"), std::string::npos) << error;
    ASSERT_TRUE(net_.Net().SetTrustee(path, "CN=JSMITH.O=ACME", 0x0003, nullptr));
    ASSERT_TRUE(net_.Net().SetTrustee(path, "CN=JSMITH.O=ACME", 0x0007, nullptr));  // replaces
    std::uint32_t sequence = 0;
    std::uint16_t count = 0;
    NWET_INFO trustees;
    ASSERT_EQ(NetWare().NWIntScanForTrustees(hq, 0, R"(DATA:APPS\TOOLS)", &sequence, &count,
                                             &trustees, 0),
              0u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(trustees.trusteeList[0].objectID, 0x01000011u);
    EXPECT_EQ(trustees.trusteeList[0].objectRights, 0x0007);
}

TEST_F(AdminTest, CheckReportsNamesTheVolumesCannotHold) {
    EXPECT_TRUE(net_.Net().Check().empty());
    net_.WriteFile("HQ/DATA/PROJ/bad\\name.txt", "x");
    net_.WriteFile("HQ/DOS/lower.txt", "x");
    net_.WriteFile("HQ/DOS/LONGNAME.TEXT", "x");
    ASSERT_EQ(symlink("/etc/passwd", net_.LocalPath("HQ/DATA/link").c_str()), 0);
    auto problems = net_.Net().Check();
    ASSERT_EQ(problems.size(), 4u);
    std::string all;
    for (const auto& p : problems)
        all += p + "\n";
    EXPECT_NE(all.find(R"(\\HQ\DATA\PROJ: "bad\name.txt" cannot be a NetWare name)"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find(R"(\\HQ\DOS: lower.txt is not an upper-case 8.3 name)"), std::string::npos)
        << all;
    EXPECT_NE(all.find(R"(\\HQ\DOS: LONGNAME.TEXT is not)"), std::string::npos) << all;
    EXPECT_NE(all.find(R"(\\HQ\DATA\link: a symbolic link)"), std::string::npos) << all;
}

TEST(DemoNetwork, CreatesAUsableNetworkThatPassesCheck) {
    std::string dir = "/tmp/farcast-demo-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    std::string error;
    ASSERT_TRUE(sim::CreateDemoNetwork(dir, &error)) << error;
    EXPECT_FALSE(sim::CreateDemoNetwork(dir, &error));
    EXPECT_NE(error.find("already holds a network"), std::string::npos);
    {
        auto net = sim::SimNetwork::Open(dir, &error);
        ASSERT_NE(net, nullptr) << error;
        EXPECT_TRUE(net->Check().empty());
        net->Install();
        NetWareClient& nwc = NetWare();
        // The primary is logged in through the tree; the bindery server takes the documented
        // account; there is a DOS-only and a compressing volume.
        NWCONN_HANDLE primary = 0, legacy = 0;
        ASSERT_EQ(nwc.NWGetPrimaryConnectionID(&primary), 0u);
        NWCCConnStatus status;
        nwc.NWGetConnectionStatus(primary, &status, sizeof status);
        EXPECT_EQ(status.flags, nw::CONN_LOGGED_IN | nw::CONN_DS);
        ASSERT_EQ(nwc.NWAttachToFileServer("LEGACY_FS", 0, &legacy), 0u);
        EXPECT_EQ(nwc.NWLoginToFileServer(legacy, "SUPERVISOR", nw::OT_USER, "NETWARE"), 0u);
        std::uint32_t maxLength = 0;
        ASSERT_TRUE(win::Files().GetVolumeInformation(R"(\\LEGACY_FS\DOSDATA\)", nullptr, 0,
                                                      nullptr, &maxLength, nullptr, nullptr, 0));
        EXPECT_EQ(maxLength, 12u);
        sim::EntryMeta meta;
        ASSERT_TRUE(
            net->GetEntryMeta(R"(\\ACME_HQ\ARCHIVE\1995 Sales Archive.txt)", &meta, &error));
        EXPECT_TRUE(meta.compressed);
        ASSERT_TRUE(net->GetEntryMeta(R"(G:\PROJECTS)", &meta, &error));
        EXPECT_EQ(meta.trustees.size(), 2u);
        EXPECT_EQ(meta.inheritedRightsMask, 0x00FB);
        SetNetWare(nullptr);
        win::SetFiles(&sim::LocalFileServices());
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
