// The login dialog's rules in both of its modes.

#include <string>

#include "tests/netware/netware_fixture.h"

namespace {

const char* const kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "OPERATOR"
[[server]]
name = "HQ"
  [[server.volume]]
  name = "SYS"
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
)";

constexpr win::WindowId kDialog = 777;

class LoginDialogTest : public NetWareFixture {
  protected:
    void SetUp() override {
        NetWareFixture::SetUp();
        Open(kNetwork);
    }

    // The per-server mode for OLD3, attached but not logged in.
    void ForServer() {
        TargetServer.name = "old3";
        TargetServer.connection = Connection("OLD3");
        LoginDialogForServer = true;
        client->calls.clear();
    }
};

TEST_F(LoginDialogTest, RunModeAsksForCredentialsForEveryBinderyServer) {
    const LoginDialogStart start = LoginDialogInit();
    EXPECT_EQ(start.prompt,
              "If you are copying files to any 3.x servers, enter the login name and password to "
              "use on these servers. If you are only copying to 4.x servers, you can cancel "
              "this dialog.");
    EXPECT_EQ(start.userName, "OPERATOR");

    LoginName = "ADMIN";
    EXPECT_EQ(LoginDialogInit().userName, "ADMIN");
}

TEST_F(LoginDialogTest, ServerModeNamesTheServerAsItsConnectionReportsIt) {
    ForServer();
    EXPECT_EQ(LoginDialogInit().prompt, "Enter login name and password for attaching to OLD3");
}

TEST_F(LoginDialogTest, OkWithoutUserNameIsRefusedAndKeepsTheDialogOpen) {
    LoginName = "ADMIN";
    EXPECT_EQ(LoginDialogOk(kDialog, "", "SECRET"), LoginDialogOutcome::KeepOpen);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "A userid is required.");
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui.boxes[0].style, 0x10030u);
    EXPECT_EQ(ui.boxes[0].owner, kDialog);
    EXPECT_TRUE(LoginName.empty());

    // Also in per-server mode, and without trying to log in.
    ForServer();
    EXPECT_EQ(LoginDialogOk(kDialog, "", ""), LoginDialogOutcome::KeepOpen);
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);
}

TEST_F(LoginDialogTest, OkStoresUpperCaseCredentialsOfAtMost47Characters) {
    const std::string longName(60, 'u');
    EXPECT_EQ(LoginDialogOk(kDialog, longName, "Pass word"), LoginDialogOutcome::Close);
    EXPECT_EQ(LoginName, std::string(47, 'U'));
    EXPECT_EQ(LoginPassword, "PASS WORD");
    EXPECT_EQ(client->Count("NWLoginToFileServer"), 0);  // run mode only collects
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_EQ(LoginDialogOk(kDialog, "admin", std::string(50, 'p')), LoginDialogOutcome::Close);
    EXPECT_EQ(LoginPassword, std::string(47, 'P'));
}

TEST_F(LoginDialogTest, ServerModeLogsInItselfAndRetriesOnRefusal) {
    ForServer();
    EXPECT_EQ(LoginDialogOk(kDialog, "admin", "wrong"), LoginDialogOutcome::KeepOpen);
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"ERROR - Unable to login to server old3 as ADMIN.\r\n"
                                       "NWLoginToFileServer error: 0x89FF"});
    EXPECT_EQ(ui.boxes[0].style, kErrorBoxStyle);
    EXPECT_FALSE(LoggedIn(TargetServer.connection));

    EXPECT_EQ(LoginDialogOk(kDialog, "admin", "secret"), LoginDialogOutcome::Close);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(LoginDialogTest, ServerModeWarnsOfAnExpiredPasswordAndCloses) {
    ForServer();
    EXPECT_EQ(LoginDialogOk(kDialog, "guest", "old"), LoginDialogOutcome::Close);
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"WARNING - The password for GUEST on old3 has expired.\r\n"
                                       "Please change it as soon as possible."});
    EXPECT_TRUE(LoggedIn(TargetServer.connection));
}

TEST_F(LoginDialogTest, CancelForgetsTheUserNameButNotThePassword) {
    LoginName = "ADMIN";
    LoginPassword = "SECRET";
    LoginDialogCancel();
    EXPECT_TRUE(LoginName.empty());
    EXPECT_EQ(LoginPassword, "SECRET");
}

TEST_F(LoginDialogTest, ContextHelpCoversTheTwoEditFields) {
    EXPECT_EQ(LoginDialogHelpContext(218), 3070);
    EXPECT_EQ(LoginDialogHelpContext(219), 3080);
    EXPECT_EQ(LoginDialogHelpContext(220), 0);
    EXPECT_EQ(LoginDialogHelpContext(1), 0);
}

}  // namespace
