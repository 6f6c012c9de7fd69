// Start-up: the settings key, the network (the demo network on a first start), the NetWare
// client and the server list with their failures, and the first-start help.

#include <QDir>
#include <QFile>
#include <QListWidget>

#include "app/startup.h"
#include "app_fixture.h"
#include "tests/support/test_network.h"

namespace {

const std::string kServers = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"

[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
[[server]]
name = "BRANCH"
  [[server.volume]]
  name = "DATA"
)";

class StartupTest : public AppTest {
  protected:
    void TearDown() override {
        session_.reset();
        AppTest::TearDown();
    }

    // Starts the program over the network of the test; the session uses the fixture's
    // window system, so that boxes are recorded.
    bool Start() {
        session_ = std::make_unique<FarcastSession>();
        session_->ui = std::make_unique<QtWindowSystem>();
        session_->ui->SetBoxAnswerer([this](const QtWindowSystem::Box& box) {
            boxes_.push_back(box);
            return win::IDOK;
        });
        return StartFarcast(session_.get());
    }

    void Stop() {
        if (session_ && session_->window)
            session_->window->close();
        session_.reset();
    }

    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        QListWidget* list = session_->window->ServerList();
        for (int i = 0; i < list->count(); ++i)
            names.push_back(list->item(i)->text().toStdString());
        return names;
    }

    std::string LastBox() const { return boxes_.empty() ? "" : boxes_.back().text; }

    std::unique_ptr<FarcastSession> session_;
};

TEST_F(StartupTest, FirstStartShowsTheFirstRunHelpUntilTheProgramHasOnceEnded) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    ASSERT_TRUE(Start()) << LastBox();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Listed(), (std::vector<std::string>{"BRANCH", "HQ"}));
    EXPECT_EQ(session_->window->windowTitle(), "Farcast");
    EXPECT_TRUE(session_->window->isVisible());
    EXPECT_EQ(OpenHelpTopic(), "ctx_100");
    Stop();
    EXPECT_EQ(StoredDword("AlreadyRun"), 1);
    EXPECT_EQ(OpenHelpTopic(), "");

    win::ResetRegistry();
    ASSERT_TRUE(Start()) << LastBox();
    EXPECT_EQ(OpenHelpTopic(), "");
}

TEST_F(StartupTest, OpensTheMainWindowAtTheStoredPlacement) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    SaveWindowPlacement(WindowPlacement{70, 80, 260, 420}, false);
    win::ResetRegistry();
    ASSERT_TRUE(Start()) << LastBox();
    const QRect frame = session_->window->frameGeometry();
    EXPECT_EQ(frame, QRect(70, 80, 260, 420));
}

TEST_F(StartupTest, NoPrimaryConnectionEndsStartUpWithTheClientsMessage) {
    TestNetwork net(kServers + R"(
[[fault]]
call = "NWGetPrimaryConnectionID"
code = 0x8847
)");
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    EXPECT_FALSE(Start());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text,
              "Unable to get primary connection handle.\r\nNWGetPrimaryConnectionID error: 0x8847");
    EXPECT_EQ(boxes_[0].caption, "Farcast");
    EXPECT_EQ(boxes_[0].style, 0x10010u);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(OpenHelpTopic(), "");
}

TEST_F(StartupTest, AFailedServerScanEndsStartUp) {
    TestNetwork net(kServers + R"(
[[fault]]
call = "NWScanObject"
code = 0x89FB
)");
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    EXPECT_FALSE(Start());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text,
              "Unable to locate all servers in bindery.\r\nNWScanObject error: 0x89FB");
    EXPECT_EQ(OpenHelpTopic(), "");
}

TEST_F(StartupTest, AnUnusableNetworkEndsStartUpWithItsMessage) {
    const QString root = QString::fromStdString(Dir("broken"));
    ASSERT_TRUE(QDir().mkpath(root));
    QFile toml(root + "/network.toml");
    ASSERT_TRUE(toml.open(QIODevice::WriteOnly));
    toml.write("[workstation\nprimary_server = \n");
    toml.close();
    setenv("FARCAST_NETWORK", root.toUtf8().constData(), 1);
    EXPECT_FALSE(Start());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(
        boxes_[0].text.rfind(
            "ERROR - The NetWare network in " + root.toStdString() + " cannot be used.\r\n", 0),
        0u)
        << boxes_[0].text;
    EXPECT_GT(boxes_[0].text.size(), 60u);  // the network's own message follows
    EXPECT_EQ(session_->window, nullptr);
}

TEST_F(StartupTest, WithoutANetworkTheDemoNetworkIsCreatedAndAnnouncedOnce) {
    ASSERT_TRUE(Start()) << LastBox();
    const std::string root = Dir("data") + "/farcast/network";
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].text.find(root), std::string::npos) << boxes_[0].text;
    EXPECT_EQ(boxes_[0].style, win::MB_OK | win::MB_ICONINFORMATION | win::MB_SETFOREGROUND);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(root + "/network.toml")));
    EXPECT_FALSE(Listed().empty());
    Stop();

    boxes_.clear();
    win::ResetRegistry();
    ASSERT_TRUE(Start()) << LastBox();
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(StartupTest, AMissingNetworkNamedByTheEnvironmentIsNotReplacedByTheDemo) {
    const std::string root = Dir("elsewhere");
    setenv("FARCAST_NETWORK", root.c_str(), 1);
    EXPECT_FALSE(Start());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text.rfind("ERROR - The NetWare network in " + root, 0), 0u)
        << boxes_[0].text;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root + "/network.toml")));
}

TEST_F(StartupTest, ASettingsKeyThatCannotBeOpenedEndsStartUp) {
    // The settings folder's place is taken by a file.
    QFile blocker(QString::fromStdString(Dir("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    win::ResetRegistry();
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    EXPECT_FALSE(Start());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(
        boxes_[0].text.rfind("Error opening registry key.\r\nRegCreateKeyEx return code 0x", 0), 0u)
        << boxes_[0].text;
    EXPECT_EQ(boxes_[0].owner, win::kNoWindow);
    EXPECT_EQ(boxes_[0].style, 0x10010u);
    EXPECT_EQ(session_->window, nullptr);
}

}  // namespace
