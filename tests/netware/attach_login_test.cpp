// Attaching to a selected server, logging in to it and undoing the login afterwards.

#include <fstream>
#include <iterator>
#include <string>

#include "report/log_file.h"

#include "tests/netware/netware_fixture.h"

namespace {

// HQ: the primary (Directory Services, tree authenticated). SALES: a DS server of the tree,
// not attached. OLD3, OLD3B: NetWare 3 bindery servers with accounts. READY: a bindery server
// the workstation is logged in to already.
const char* const kNetwork = R"(
tree = "ACME_TREE"
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
ds_authenticated = true
[[server]]
name = "HQ"
directory_services = true
  [[server.volume]]
  name = "SYS"
[[server]]
name = "SALES"
directory_services = true
  [[server.volume]]
  name = "DATA"
[[server]]
name = "OLD3"
version = "3.12"
  [[server.volume]]
  name = "VOL1"
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
  [[server.user]]
  name = "GUEST"
  password = "OLD"
  expired = true
[[server]]
name = "OLD3B"
version = "3.12"
  [[server.volume]]
  name = "VOL1"
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
[[server]]
name = "READY"
version = "3.12"
connection = "logged_in"
  [[server.volume]]
  name = "VOL1"
)";

std::string WithFault(const std::string& call, const std::string& server, const std::string& code) {
    return std::string(kNetwork) + "[[fault]]\ncall = \"" + call + "\"\nserver = \"" + server +
           "\"\ncode = " + code + "\n";
}

const char* const kLoginRefusedOld3 =
    "ERROR - Unable to login to server OLD3 as ADMIN.\r\nNWLoginToFileServer error: 0x89FF";

class AttachLoginTest : public NetWareFixture {
  protected:
    void SetUp() override {
        NetWareFixture::SetUp();
        Open(kNetwork);
    }
};

TEST_F(AttachLoginTest, ServerAlreadyLoggedInIsUsedUnchanged) {
    ASSERT_TRUE(AttachAndLogin("READY"));
    EXPECT_TRUE(TargetServer.statusRead);
    EXPECT_TRUE(TargetServer.wasLoggedIn);  // so the run never logs it out
    EXPECT_FALSE(TargetServer.isDirectoryServicesServer);
    EXPECT_EQ(client->Count("NWAttachToFileServer"), 0);
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);
    EXPECT_EQ(client->Count("NWDSAuthenticate"), 0);
    EXPECT_TRUE(ui.loginDialogs.empty());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(AttachLoginTest, PrimaryConnectionNeedsNoLoginAndIsNotMarkedForRelease) {
    ASSERT_TRUE(AttachAndLogin("HQ"));
    EXPECT_EQ(TargetServer.connection, PrimaryConnection);
    EXPECT_TRUE(TargetServer.isDirectoryServicesServer);
    EXPECT_FALSE(TargetServer.statusRead);
    EXPECT_EQ(client->Count("NWGetConnectionStatus"), 0);
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);
}

TEST_F(AttachLoginTest, DirectoryServicesServerIsAuthenticatedThroughTheTree) {
    ASSERT_TRUE(AttachAndLogin("SALES"));
    const NWCONN_HANDLE sales = TargetServer.connection;
    EXPECT_NE(sales, PrimaryConnection);
    EXPECT_TRUE(TargetServer.isDirectoryServicesServer);
    EXPECT_TRUE(TargetServer.statusRead);
    EXPECT_FALSE(TargetServer.wasLoggedIn);
    EXPECT_TRUE(LoggedIn(sales));
    EXPECT_TRUE(IsDirectoryServicesConnection(sales));
    EXPECT_EQ(client->Count("NWDSLockConnection"), 1);
    EXPECT_EQ(client->Count("NWInitUnicodeTables"), client->Count("NWFreeUnicodeTables"));
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);
    EXPECT_TRUE(ui.boxes.empty());

    // Releasing undoes the authentication, not through a bindery logout.
    client->calls.clear();
    ReleaseServer(sales);
    EXPECT_EQ(client->Count("NWDSUnlockConnection"), 1);
    EXPECT_EQ(client->Count("NWFreeConnectionSlot"), 1);
    EXPECT_EQ(client->Count("NWLogoutFromFileServer"), 0);
    EXPECT_EQ(client->Count("NWInitUnicodeTables"), client->Count("NWFreeUnicodeTables"));
    EXPECT_FALSE(LoggedIn(sales));
}

TEST_F(AttachLoginTest, BinderyServerRefusesTheTreeAndTakesTheRememberedBinderyLogin) {
    LoginName = "ADMIN";
    LoginPassword = "SECRET";
    ASSERT_TRUE(AttachAndLogin("OLD3"));
    const NWCONN_HANDLE old3 = TargetServer.connection;
    EXPECT_EQ(client->Count("NWDSAuthenticate"), 1);  // tried and failed, silently
    EXPECT_EQ(client->Count("NWInitUnicodeTables"), client->Count("NWFreeUnicodeTables"));
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 1);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.loginDialogs.empty());
    EXPECT_TRUE(LoggedIn(old3));
    EXPECT_FALSE(IsDirectoryServicesConnection(old3));

    ReleaseServer(old3);
    EXPECT_EQ(client->Count("NWLogoutFromFileServer"), 1);
    EXPECT_EQ(client->Count("NWDetachFromFileServer"), 1);
    NWCONN_HANDLE again = 0;
    EXPECT_NE(NetWare().NWGetConnectionHandle("OLD3", 0, &again, nullptr), 0u);
}

TEST_F(AttachLoginTest, FirstBinderyServerAsksInTheDialogPrefilledWithThePrimaryUser) {
    ui.logins = {"admin:secret"};
    ASSERT_TRUE(AttachAndLogin("OLD3"));
    ASSERT_EQ(ui.loginDialogs.size(), 1u);
    EXPECT_EQ(ui.loginDialogs[0].owner, win::kMainWindow);
    EXPECT_EQ(ui.loginDialogs[0].prompt, "Enter login name and password for attaching to OLD3");
    EXPECT_EQ(ui.loginDialogs[0].initialUserName, "ADMIN");
    EXPECT_TRUE(LoginDialogForServer);
    EXPECT_EQ(LoginName, "ADMIN");
    EXPECT_EQ(LoginPassword, "SECRET");
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
    EXPECT_TRUE(ui.boxes.empty());

    // The next bindery server takes the remembered credentials without asking.
    ASSERT_TRUE(AttachAndLogin("OLD3B"));
    EXPECT_EQ(ui.loginDialogs.size(), 1u);
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(AttachLoginTest, DialogStaysOpenAfterARefusedLoginUntilOneSucceeds) {
    ui.logins = {"ADMIN:WRONG", "ADMIN:SECRET"};
    ASSERT_TRUE(AttachAndLogin("OLD3"));
    ASSERT_EQ(ui.loginDialogs.size(), 1u);
    EXPECT_EQ(ui.loginDialogs[0].usersTried.size(), 2u);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kLoginRefusedOld3});
    EXPECT_EQ(ui.boxes[0].style, kErrorBoxStyle);
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(AttachLoginTest, CancelGivesTheServerUpAndTheNextBinderyServerAsksAgain) {
    LoginPassword = "KEPT";
    EXPECT_FALSE(AttachAndLogin("OLD3"));  // no scripted login: the dialog is cancelled
    EXPECT_FALSE(AttachSkippedAsBindery);
    EXPECT_TRUE(LoginName.empty());
    EXPECT_EQ(LoginPassword, "KEPT");
    // The attached connection stays attached, not logged in.
    EXPECT_FALSE(LoggedIn(TargetServer.connection));

    ui.logins = {"ADMIN:SECRET"};
    ASSERT_TRUE(AttachAndLogin("OLD3B"));
    EXPECT_EQ(ui.loginDialogs.size(), 2u);
    EXPECT_EQ(ui.loginDialogs[1].initialUserName, "ADMIN");
}

TEST_F(AttachLoginTest, ExpiredPasswordWarnsOnceAndUsesTheServer) {
    LoginName = "GUEST";
    LoginPassword = "OLD";
    ASSERT_TRUE(AttachAndLogin("OLD3"));
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"WARNING - The password for GUEST on OLD3 has expired.\r\n"
                                       "Please change it as soon as possible."});
    EXPECT_TRUE(ui.loginDialogs.empty());
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(AttachLoginTest, ExpiredPasswordEnteredInTheDialogWarnsOnceAndClosesIt) {
    ui.logins = {"guest:old", "ADMIN:SECRET"};
    ASSERT_TRUE(AttachAndLogin("OLD3"));
    ASSERT_EQ(ui.loginDialogs.size(), 1u);
    EXPECT_EQ(ui.loginDialogs[0].usersTried.size(), 1u);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.CountBoxes("WARNING - The password for GUEST on OLD3 has expired."), 1);
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(AttachLoginTest, UnattendedRefusedLoginIsLoggedWithoutBoxOrDialog) {
    CopyOptions.UnattendedMode = 1;
    CopyOptions.CreateLogfile = 1;
    const std::string logPath = network->Root() + "/run.log";
    CopyRun.LogFile = OpenLogFile(logPath);
    ASSERT_NE(CopyRun.LogFile, win::INVALID_HANDLE_VALUE);
    LoginName = "ADMIN";
    LoginPassword = "WRONGPASS";
    ui.logins = {"ADMIN:SECRET"};
    EXPECT_FALSE(AttachAndLogin("OLD3"));
    CloseLogFile();
    EXPECT_TRUE(ui.loginDialogs.empty());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(LoggedIn(TargetServer.connection));

    std::ifstream in(logPath, std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find(kLoginRefusedOld3), std::string::npos) << log;
    EXPECT_EQ(log.find("WRONGPASS"), std::string::npos);  // credentials are never logged
}

TEST_F(AttachLoginTest, FourXOnlyModeSkipsBinderyServersSilently) {
    CopyOptions.Netware4xServers = 1;
    EXPECT_FALSE(AttachAndLogin("OLD3"));
    EXPECT_TRUE(AttachSkippedAsBindery);
    EXPECT_FALSE(TargetServer.isDirectoryServicesServer);
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);
    EXPECT_EQ(client->Count("NWGetConnectionStatus"), 0);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.loginDialogs.empty());

    // A Directory Services server is still used, and the skip flag does not linger.
    ASSERT_TRUE(AttachAndLogin("SALES"));
    EXPECT_FALSE(AttachSkippedAsBindery);
}

// Failures made by faults on one server's calls.
using AttachFaultTest = NetWareFixture;

TEST_F(AttachFaultTest, FailedAttachIsReportedWithItsCode) {
    Open(WithFault("NWAttachToFileServer", "OLD3", "0x8800"));
    EXPECT_FALSE(AttachAndLogin("OLD3"));
    EXPECT_FALSE(AttachSkippedAsBindery);
    EXPECT_EQ(
        BoxTexts(),
        std::vector<std::string>{
            "ERROR - Unable to attach to server OLD3.\r\nNWAttachToFileServer error: 0x8800"});
    EXPECT_EQ(ui.boxes[0].style, kErrorBoxStyle);
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
}

TEST_F(AttachFaultTest, UnreadableStatusIsReportedAndTheServerGivenUp) {
    Open(WithFault("NWGetConnectionStatus", "OLD3", "0x8801"));
    EXPECT_FALSE(AttachAndLogin("OLD3"));
    EXPECT_FALSE(TargetServer.statusRead);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "ERROR - Unable to get connection status for server OLD3.\r\n"
                              "NWGetConnectionStatus error: 0x8801"});
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);
}

TEST_F(AttachLoginTest, ReleaseLeavesAConnectionThatIsNotLoggedInAlone) {
    const NWCONN_HANDLE old3 = Connection("OLD3");
    client->calls.clear();
    ReleaseServer(old3);
    EXPECT_EQ(client->Count("NWLogoutFromFileServer"), 0);
    EXPECT_EQ(client->Count("NWDetachFromFileServer"), 0);
    EXPECT_EQ(client->Count("NWFreeConnectionSlot"), 0);
}

}  // namespace
