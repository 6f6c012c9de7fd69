// Starting the NetWare client, the Directory Services connection test and the server list.

#include <string>

#include "netware/server_list.h"
#include "tests/netware/netware_fixture.h"

namespace {

const char* const kNetwork = R"(
tree = "ACME_TREE"
[workstation]
primary_server = "HQ"
login_name = "JSMITH"
ds_authenticated = true
[[server]]
name = "HQ"
directory_services = true
  [[server.volume]]
  name = "SYS"
[[server]]
name = "ZETA"
version = "3.12"
connection = "logged_in"
  [[server.volume]]
  name = "VOL1"
[[server]]
name = "ALPHA"
directory_services = true
  [[server.volume]]
  name = "DATA"
[[server]]
name = "HIDDEN"
listed = false
  [[server.volume]]
  name = "DATA"
)";

std::string WithFault(const std::string& call, const std::string& code) {
    return std::string(kNetwork) + "[[fault]]\ncall = \"" + call + "\"\ncode = " + code + "\n";
}

using StartupTest = NetWareFixture;

TEST_F(StartupTest, SetsPrimaryConnectionAndLoginName) {
    Open(kNetwork, false);
    ASSERT_TRUE(StartNetWareClient());
    EXPECT_NE(PrimaryConnection, 0u);
    EXPECT_EQ(PrimaryLoginName, "JSMITH");
    char name[nw::kNameSize] = {};
    ASSERT_EQ(NetWare().NWGetFileServerName(PrimaryConnection, name), 0u);
    EXPECT_STREQ(name, "HQ");
    EXPECT_TRUE(ui.boxes.empty());
}

struct StartupStep {
    const char* call;
    const char* code;
    const char* message;
};

class StartupFailureTest : public NetWareFixture,
                           public ::testing::WithParamInterface<StartupStep> {};

// Each step's failure is shown directly with its own text and the code in "%X" form, and
// stops the start-up there.
TEST_P(StartupFailureTest, ShowsTheStepsMessageAndFails) {
    const StartupStep& step = GetParam();
    CopyOptions.UnattendedMode = 1;  // start-up boxes are shown in unattended mode too
    Open(WithFault(step.call, step.code), false);
    EXPECT_FALSE(StartNetWareClient());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, step.message);
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui.boxes[0].style, 0x10010u);
    EXPECT_EQ(ui.boxes[0].owner, win::kMainWindow);
    // Nothing after the failing step was asked.
    ASSERT_FALSE(client->calls.empty());
    EXPECT_EQ(client->calls.back(), step.call);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, StartupFailureTest,
    ::testing::Values(
        StartupStep{"NWCallsInit", "0xFE",
                    "NetWare support initialization failed.\r\nNWCallsInit error: 0xFE"},
        StartupStep{"NWGetPrimaryConnectionID", "0x8801",
                    "Unable to get primary connection handle.\r\n"
                    "NWGetPrimaryConnectionID error: 0x8801"},
        StartupStep{"NWGetConnectionNumber", "0x8801",
                    "Unable to get connection number for primary connection.\r\n"
                    "NWGetConnectionNumber error: 0x8801"},
        StartupStep{"NWGetConnectionInformation", "0x89FF",
                    "Unable to get login name for primary server.\r\n"
                    "NWGetConnectionInformation error: 0x89FF"},
        StartupStep{"NWGetConnectionStatus", "0x8801",
                    "Unable to get connection status for primary server.\r\n"
                    "NWGetConnectionStatus error: 0x8801"}));

TEST_F(StartupTest, TellsDirectoryServicesConnectionsFromBinderyOnes) {
    Open(kNetwork);
    EXPECT_TRUE(IsDirectoryServicesConnection(PrimaryConnection));
    EXPECT_FALSE(IsDirectoryServicesConnection(Connection("ZETA")));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(StartupTest, FailedStatusQueryCountsAsBinderyConnectionSilently) {
    Open(std::string(kNetwork) +
         "[[fault]]\ncall = \"NWGetConnectionStatus\"\nserver = \"ALPHA\"\ncode = 0x8801\n");
    const NWCONN_HANDLE alpha = Connection("ALPHA");
    ASSERT_TRUE(NetWare().NWIsDSServer(alpha, nullptr));
    EXPECT_FALSE(IsDirectoryServicesConnection(alpha));
    EXPECT_TRUE(ui.boxes.empty());
}

using ServerListTest = NetWareFixture;

TEST_F(ServerListTest, ListsTheBinderysFileServersSortedUnderTheWaitCursor) {
    Open(kNetwork);
    ui.ServerListAdd("STALE");  // a refill starts from an empty list
    ASSERT_TRUE(FillServerList());
    EXPECT_EQ(ui.Servers(), (std::vector<std::string>{"ALPHA", "HQ", "ZETA"}));
    EXPECT_EQ(ui.waitCursorHistory, (std::vector<bool>{true, false}));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ServerListTest, LeavesTheCursorAloneWhileAProgressDialogIsOpen) {
    Open(kNetwork);
    ProgressDialog = ui.CreateProgressDialog(win::DialogKind::ReadDir, win::kMainWindow);
    ASSERT_TRUE(FillServerList());
    EXPECT_TRUE(ui.waitCursorHistory.empty());
}

TEST_F(ServerListTest, FailedScanKeepsTheNamesFoundAndRestoresTheCursor) {
    Open(kNetwork);
    client->FailCall("NWScanObject", 3, 0x8801);
    EXPECT_FALSE(FillServerList());
    EXPECT_EQ(ui.Servers().size(), 2u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Unable to locate all servers in bindery.\r\nNWScanObject error: 0x8801");
    EXPECT_EQ(ui.boxes[0].style, 0x10010u);
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
    EXPECT_FALSE(ui.WaitCursorOn());
}

TEST_F(ServerListTest, BinderyWithoutFileServersGivesAnEmptyListAndSucceeds) {
    Open(std::string(kNetwork) + "[[fault]]\ncall = \"NWScanObject\"\ncode = 0x89FC\n");
    EXPECT_TRUE(FillServerList());
    EXPECT_TRUE(ui.Servers().empty());
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
