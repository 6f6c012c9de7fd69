// Connections, logins, Directory Services authentication and the bindery scan.
#include <set>

#include "tests/sim/sim_fixture.h"

namespace {

class ConnectionsTest : public SimTest {};

TEST_F(ConnectionsTest, PrimaryIsLoggedInThroughDirectoryServices) {
    NWCONN_HANDLE primary = 0;
    ASSERT_EQ(NetWare().NWCallsInit(nullptr, nullptr), 0u);
    ASSERT_EQ(NetWare().NWGetPrimaryConnectionID(&primary), 0u);
    EXPECT_EQ(primary, Connection("hq"));  // server names match in any case
    EXPECT_EQ(Flags(primary), nw::CONN_LOGGED_IN | nw::CONN_DS);
    std::uint16_t number = 0;
    ASSERT_EQ(NetWare().NWGetConnectionNumber(primary, &number), 0u);
    char name[nw::kNameSize];
    std::uint16_t type = 0;
    std::uint8_t loginTime[7];
    ASSERT_EQ(
        NetWare().NWGetConnectionInformation(primary, number, name, &type, nullptr, loginTime), 0u);
    EXPECT_STREQ(name, "ADMIN");
    EXPECT_EQ(type, nw::OT_USER);
}

TEST_F(ConnectionsTest, StartStatesFollowTheFile) {
    EXPECT_EQ(Connection("OLD"), 0u);  // "none": no connection yet
    NWCONN_HANDLE sales = Connection("SALES");
    ASSERT_NE(sales, 0u);  // "attached"
    EXPECT_EQ(Flags(sales), 0u);
    NWCONN_HANDLE conn = 0;
    EXPECT_EQ(NetWare().NWGetConnectionHandle("NOSUCH", 0, &conn, nullptr), 0x880Fu);
    EXPECT_EQ(LastNetWareError, 0x880Fu);
}

TEST_F(ConnectionsTest, BinderyLoginChecksNameAndPassword) {
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(NetWare().NWAttachToFileServer("OLD", 0, &conn), 0u);
    EXPECT_EQ(Flags(conn), 0u);
    EXPECT_EQ(NetWare().NWLoginToFileServer(conn, "SUPERVISOR", nw::OT_USER, "WRONG"), 0x89FFu);
    EXPECT_EQ(NetWare().NWLoginToFileServer(conn, "NOBODY", nw::OT_USER, "NETWARE"), 0x89FFu);
    EXPECT_EQ(NetWare().NWLoginToFileServer(conn, "", nw::OT_USER, ""), 0x89FFu);
    EXPECT_EQ(Flags(conn), 0u);
    // The client upper-cases; the simulator compares upper-cased.
    EXPECT_EQ(NetWare().NWLoginToFileServer(conn, "supervisor", nw::OT_USER, "netware"), 0u);
    EXPECT_EQ(Flags(conn), nw::CONN_LOGGED_IN);
    EXPECT_EQ(NetWare().NWLogoutFromFileServer(conn), 0u);
    EXPECT_EQ(Flags(conn), 0u);
    EXPECT_EQ(NetWare().NWDetachFromFileServer(conn), 0u);
    EXPECT_EQ(Connection("OLD"), 0u);
    NWCCConnStatus status;
    EXPECT_EQ(NetWare().NWGetConnectionStatus(conn, &status, sizeof status),
              nw::INVALID_CONNECTION);
}

TEST_F(ConnectionsTest, ExpiredPasswordLogsInWithItsCode) {
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(NetWare().NWAttachToFileServer("OLD", 0, &conn), 0u);
    EXPECT_EQ(NetWare().NWLoginToFileServer(conn, "GUEST", nw::OT_USER, ""), nw::PASSWORD_EXPIRED);
    EXPECT_EQ(LastNetWareError, nw::PASSWORD_EXPIRED);
    EXPECT_EQ(Flags(conn), nw::CONN_LOGGED_IN);
}

TEST_F(ConnectionsTest, DirectoryServicesAuthenticationOnlyForServersOfTheTree) {
    ASSERT_TRUE(NetWare().NWIsDSAuthenticated());
    NWCONN_HANDLE sales = Connection("SALES");
    char tree[nw::kNameSize];
    EXPECT_TRUE(NetWare().NWIsDSServer(sales, tree));
    EXPECT_STREQ(tree, "TREE");
    EXPECT_EQ(NetWare().NWDSAuthenticate(sales, 0, nullptr), 0u);
    EXPECT_EQ(NetWare().NWDSLockConnection(sales), 0u);
    EXPECT_EQ(Flags(sales), nw::CONN_LOGGED_IN | nw::CONN_DS);

    NWCONN_HANDLE old = 0;
    ASSERT_EQ(NetWare().NWAttachToFileServer("OLD", 0, &old), 0u);
    EXPECT_FALSE(NetWare().NWIsDSServer(old, tree));
    EXPECT_NE(NetWare().NWDSAuthenticate(old, 0, nullptr), 0u);
    EXPECT_EQ(Flags(old), 0u);
    // A bindery login gives a bindery connection, even on a Directory Services server.
    NWCONN_HANDLE again = 0;
    ASSERT_EQ(NetWare().NWFreeConnectionSlot(sales, 0), 0u);
    ASSERT_EQ(NetWare().NWAttachToFileServer("SALES", 0, &again), 0u);
    EXPECT_EQ(Flags(again), 0u);
}

TEST(ConnectionsBinderyOnly, NoAuthenticationWithoutTheWorkstationAuthenticated) {
    TestNetwork net(R"(
tree = "T"
[workstation]
primary_server = "A"
login_name = "U"
[[server]]
name = "A"
directory_services = true
[[server]]
name = "B"
directory_services = true
connection = "logged_in"
)");
    net.Install();
    EXPECT_FALSE(NetWare().NWIsDSAuthenticated());
    NWCONN_HANDLE a = 0, b = 0;
    ASSERT_EQ(NetWare().NWGetPrimaryConnectionID(&a), 0u);
    NWCCConnStatus status;
    NetWare().NWGetConnectionStatus(a, &status, sizeof status);
    EXPECT_EQ(status.flags, nw::CONN_LOGGED_IN);  // logged in, but not through the tree
    ASSERT_EQ(NetWare().NWGetConnectionHandle("B", 0, &b, nullptr), 0u);
    NetWare().NWGetConnectionStatus(b, &status, sizeof status);
    EXPECT_EQ(status.flags, nw::CONN_LOGGED_IN);
    EXPECT_EQ(NetWare().NWDSAuthenticate(b, 0, nullptr), nw::NOT_SAME_TREE_OR_NOT_DS);
}

TEST_F(ConnectionsTest, BinderyScanListsListedServersThenEnds) {
    NWCONN_HANDLE primary = Connection("HQ");
    std::uint32_t id = 0xFFFFFFFF;
    char name[nw::kNameSize];
    std::set<std::string> names;
    NWCCODE code = 0;
    int calls = 0;
    while ((code = NetWare().NWScanObject(primary, "*", nw::OT_FILE_SERVER, &id, name, nullptr,
                                          nullptr, nullptr, nullptr)) == 0 &&
           ++calls < 10)
        names.insert(name);
    EXPECT_EQ(code, nw::NO_SUCH_OBJECT);
    EXPECT_EQ(names, (std::set<std::string>{"HQ", "OLD"}));  // SALES is not listed
}

TEST_F(ConnectionsTest, ObjectsMapPerServer) {
    NWDSContextHandle context = NetWare().NWDSCreateContext();
    ASSERT_GT(context, 0);
    char name[260];
    ASSERT_EQ(NetWare().NWDSMapIDToName(context, Connection("HQ"), 0x01000011, name), 0u);
    EXPECT_STREQ(name, "CN=JSMITH.O=ACME");
    std::uint32_t id = 0;
    NetWare().NWDSAuthenticate(Connection("SALES"), 0, nullptr);
    ASSERT_EQ(NetWare().NWDSMapNameToID(context, Connection("SALES"), name, &id), 0u);
    EXPECT_EQ(id, 0x02000011u);
    EXPECT_EQ(NetWare().NWDSMapIDToName(context, Connection("HQ"), 0x02000011, name),
              nw::NO_SUCH_OBJECT);
    EXPECT_EQ(NetWare().NWDSMapNameToID(context, Connection("HQ"), "CN=NOBODY", &id),
              nw::NO_SUCH_OBJECT);
    EXPECT_EQ(NetWare().NWDSFreeContext(context), 0u);
}

}  // namespace
