// Carrying trustee assignments from a source entry to its copy.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "netware/trustee_transfer.h"
#include "tests/netware/netware_fixture.h"

namespace {

// Two Directory Services servers of one tree. Objects USER1..USER25 exist on both with
// different IDs; LONER exists only in HQ's view.
std::string Network() {
    std::ostringstream toml;
    toml << R"(
tree = "ACME_TREE"
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
ds_authenticated = true
[[server]]
name = "HQ"
directory_services = true
  [[server.volume]]
  name = "DATA"
[[server]]
name = "SALES"
directory_services = true
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)";
    for (int i = 1; i <= 25; ++i)
        toml << "[[object]]\nname = \"CN=USER" << i << ".O=ACME\"\nids = { HQ = " << 0x1000 + i
             << ", SALES = " << 0x2000 + i << " }\n";
    toml << "[[object]]\nname = \"CN=LONER.O=ACME\"\nids = { HQ = 0x9000 }\n";
    return toml.str();
}

std::string UserName(int i) {
    return "CN=USER" + std::to_string(i) + ".O=ACME";
}

class TrusteeTransferTest : public NetWareFixture {
  protected:
    void SetUp() override {
        NetWareFixture::SetUp();
        files = {{"HQ/DATA/SRC/REPORT.TXT", "report"},
                 {"HQ/DATA/DST/REPORT.TXT", "copy"},
                 {"SALES/DATA/DST/REPORT.TXT", "copy"}};
        Open(Network());
        hq = PrimaryConnection;
        sales = Connection("SALES");
    }

    void Grant(const std::string& path, const std::string& object, std::uint16_t rights) {
        std::string error;
        ASSERT_TRUE(network->Net().SetTrustee(path, object, rights, &error)) << error;
    }

    // The "trustee=" lines of an entry's metadata, sorted.
    std::vector<std::string> Trustees(const std::string& path) {
        std::string out, error;
        EXPECT_TRUE(network->Net().Stat(path, &out, &error)) << error;
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("trustee=", 0) == 0)
                lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    void ExpectSessionReleased() {
        EXPECT_EQ(client->Count("NWInitUnicodeTables"), client->Count("NWFreeUnicodeTables"));
        EXPECT_EQ(client->Count("NWDSCreateContext"), client->Count("NWDSFreeContext"));
    }

    const std::string source = "\\\\HQ\\DATA\\SRC\\REPORT.TXT";
    const std::string sameServerCopy = "\\\\HQ\\DATA\\DST\\REPORT.TXT";
    const std::string otherServerCopy = "\\\\SALES\\DATA\\DST\\REPORT.TXT";
    NWCONN_HANDLE hq = 0;
    NWCONN_HANDLE sales = 0;
};

TEST_F(TrusteeTransferTest, BetweenTwoServersTrusteesAreCarriedByTheirNames) {
    Grant(source, UserName(1), 0x000F);
    Grant(source, UserName(2), 0x0001);
    ASSERT_TRUE(TransferTrustees(hq, sales, source, otherServerCopy));
    EXPECT_EQ(Trustees(otherServerCopy),
              (std::vector<std::string>{"trustee=CN=USER1.O=ACME 0x000F",
                                        "trustee=CN=USER2.O=ACME 0x0001"}));
    EXPECT_EQ(client->Count("NWDSMapIDToName"), 2);
    EXPECT_EQ(client->Count("NWDSMapNameToID"), 2);
    ExpectSessionReleased();
}

TEST_F(TrusteeTransferTest, OnOneServerObjectIdsAreCopiedWithoutLookup) {
    Grant(source, UserName(3), 0x00FB);
    Grant(source, "CN=LONER.O=ACME", 0x0003);
    ASSERT_TRUE(TransferTrustees(hq, hq, source, sameServerCopy));
    EXPECT_EQ(Trustees(sameServerCopy), Trustees(source));
    EXPECT_EQ(Trustees(sameServerCopy).size(), 2u);
    EXPECT_EQ(client->Count("NWDSMapIDToName"), 0);
    EXPECT_EQ(client->Count("NWDSMapNameToID"), 0);
    ExpectSessionReleased();
}

TEST_F(TrusteeTransferTest, MoreThanTwentyTrusteesTakeSeveralScans) {
    for (int i = 1; i <= 25; ++i)
        Grant(source, UserName(i), static_cast<std::uint16_t>(i));
    ASSERT_TRUE(TransferTrustees(hq, sales, source, otherServerCopy));
    EXPECT_EQ(Trustees(otherServerCopy).size(), 25u);
    EXPECT_GE(client->Count("NWIntScanForTrustees"), 2);
    EXPECT_EQ(client->Count("NWAddTrustee"), 25);
    ExpectSessionReleased();
}

TEST_F(TrusteeTransferTest, EntryWithoutTrusteesSucceedsAtOnce) {
    ASSERT_TRUE(TransferTrustees(hq, sales, source, otherServerCopy));
    EXPECT_TRUE(Trustees(otherServerCopy).empty());
    EXPECT_EQ(client->Count("NWAddTrustee"), 0);
    ExpectSessionReleased();
}

TEST_F(TrusteeTransferTest, TrusteeUnknownToTheDestinationEndsTheTransferKeepingEarlierOnes) {
    Grant(source, UserName(1), 0x0001);
    Grant(source, UserName(2), 0x0002);
    Grant(source, "CN=LONER.O=ACME", 0x0004);
    EXPECT_FALSE(TransferTrustees(hq, sales, source, otherServerCopy));
    // Every trustee scanned before the unknown one (granted last, with the highest ID, so
    // last in the scan) was added with its rights; the unknown one was not.
    EXPECT_EQ(Trustees(otherServerCopy), (std::vector<std::string>{
                                             "trustee=CN=USER1.O=ACME 0x0001",
                                             "trustee=CN=USER2.O=ACME 0x0002",
                                         }));
    EXPECT_EQ(client->Count("NWAddTrustee"), 2);
    ExpectSessionReleased();
    // No message: the caller reports the destination path.
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TrusteeTransferTest, FailedAddEndsTheTransfer) {
    Grant(source, UserName(1), 0x0001);
    Grant(source, UserName(2), 0x0002);
    client->FailCall("NWAddTrustee", 2, 0x8994);
    EXPECT_FALSE(TransferTrustees(hq, sales, source, otherServerCopy));
    EXPECT_EQ(Trustees(otherServerCopy).size(), 1u);
    ExpectSessionReleased();
}

TEST_F(TrusteeTransferTest, FailedScanOrContextEndsTheTransferAndReleasesWhatWasTaken) {
    Grant(source, UserName(1), 0x0001);
    client->FailCall("NWIntScanForTrustees", 1, 0x8801);
    EXPECT_FALSE(TransferTrustees(hq, sales, source, otherServerCopy));
    ExpectSessionReleased();

    client->calls.clear();
    client->ClearFailures();
    client->FailCall("NWDSCreateContext", 1, 0);
    EXPECT_FALSE(TransferTrustees(hq, sales, source, otherServerCopy));
    EXPECT_EQ(client->Count("NWInitUnicodeTables"), 1);
    EXPECT_EQ(client->Count("NWFreeUnicodeTables"), 1);
    EXPECT_EQ(client->Count("NWDSFreeContext"), 0);
    EXPECT_EQ(client->Count("NWIntScanForTrustees"), 0);

    client->calls.clear();
    client->ClearFailures();
    client->FailCall("NWInitUnicodeTables", 1, 0x8801);
    EXPECT_FALSE(TransferTrustees(hq, sales, source, otherServerCopy));
    EXPECT_EQ(client->Count("NWDSCreateContext"), 0);
    EXPECT_TRUE(Trustees(otherServerCopy).empty());
}

TEST_F(TrusteeTransferTest, PathsOffTheNetworkFailBeforeAnyDirectoryServicesWork) {
    EXPECT_FALSE(TransferTrustees(hq, sales, "/tmp/not-netware", otherServerCopy));
    EXPECT_FALSE(TransferTrustees(hq, sales, source, "Q:\\UNMAPPED\\FILE"));
    EXPECT_EQ(client->Count("NWInitUnicodeTables"), 0);
}

}  // namespace
