// Start-up: the settings key, the network (the demo network on a first start), the NetWare
// client and the server list with their failures, and the first-start help.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

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

// A placement stored for a larger screen (or another scale) opens on the screen; what the user
// set stays stored until the window is moved.
TEST_F(StartupTest, APlacementThatDoesNotFitOpensOnTheScreenAndStaysStored) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const WindowPlacement tall{screen.x() + 50, screen.y() + 50, 155, screen.height() + 250};
    SaveWindowPlacement(tall, false);
    win::ResetRegistry();
    ASSERT_TRUE(Start()) << LastBox();
    EXPECT_EQ(session_->window->frameGeometry(),
              QRect(screen.x() + 50, screen.y(), 155, screen.height()));
    Stop();
    EXPECT_EQ(StoredDword("Top"), tall.top);
    EXPECT_EQ(StoredDword("Height"), tall.height);

    ASSERT_TRUE(Start()) << LastBox();
    session_->window->move(screen.x() + 60, screen.y() + 10);
    Stop();
    EXPECT_EQ(StoredDword("Left"), screen.x() + 60);
    EXPECT_EQ(StoredDword("Top"), screen.y() + 10);
    EXPECT_EQ(StoredDword("Height"), screen.height());
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
    // The main window was already there, as for any failure of the client's start-up.
    EXPECT_EQ(boxes_[0].owner, win::kMainWindow);
    ASSERT_NE(session_->window, nullptr);
    EXPECT_TRUE(session_->window->isVisible());
    EXPECT_TRUE(Listed().empty());
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
    EXPECT_EQ(boxes_[0].owner, win::kMainWindow);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root + "/network.toml")));
}

// The settings files, written by hand.
void WriteFile(const std::string& path, const std::string& text) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

std::string ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The one file of dir whose name starts with prefix, or "".
QString OnlyFileStartingWith(const QString& dir, const QString& prefix) {
    const QStringList names = QDir(dir).entryList({prefix + "*"}, QDir::Files);
    return names.size() == 1 ? dir + "/" + names[0] : QString();
}

TEST_F(StartupTest, ADamagedSettingsFileIsSaidOnceInTheWindow) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"x\"=nonsense\n";
    const std::string user = Dir("config") + "/farcast/user.reg";
    WriteFile(user, damaged);
    win::ResetRegistry();

    ASSERT_TRUE(Start()) << LastBox();
    ASSERT_EQ(boxes_.size(), 1u);
    const QString kept = OnlyFileStartingWith(QString::fromStdString(Dir("config") + "/farcast"),
                                              "user.reg.damaged-");
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_EQ(boxes_[0].text, "WARNING - The settings file " + user +
                                  " cannot be read (line 4). It has been kept as " +
                                  kept.toStdString() +
                                  ", and Farcast starts with the default settings.");
    EXPECT_EQ(boxes_[0].owner, win::kMainWindow);
    EXPECT_EQ(boxes_[0].caption, "Farcast");
    EXPECT_EQ(boxes_[0].style, win::MB_OK | win::MB_ICONEXCLAMATION | win::MB_SETFOREGROUND);
    // Nothing of it is lost, and start-up went on to the end.
    EXPECT_EQ(ReadFile(kept), damaged);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"BRANCH", "HQ"}));

    // Said once: the next start finds a sound file.
    Stop();
    boxes_.clear();
    win::ResetRegistry();
    ASSERT_TRUE(Start()) << LastBox();
    EXPECT_TRUE(boxes_.empty()) << LastBox();
}

TEST_F(StartupTest, BothSettingsFilesDamagedMakeOneBox) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    const std::string dir = Dir("config") + "/farcast";
    WriteFile(dir + "/user.reg",
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Ostrand\\Farcast]\n"
              "\"CopySubDirs\"=dword:00000001\n[broken\n");
    WriteFile(dir + "/machine.reg", "not a hive\n");
    win::ResetRegistry();

    ASSERT_TRUE(Start()) << LastBox();
    ASSERT_EQ(boxes_.size(), 1u);
    const std::string keptUser =
        OnlyFileStartingWith(QString::fromStdString(dir), "user.reg.damaged-").toStdString();
    const std::string keptMachine =
        OnlyFileStartingWith(QString::fromStdString(dir), "machine.reg.damaged-").toStdString();
    EXPECT_EQ(boxes_[0].text, "WARNING - The settings file " + dir +
                                  "/user.reg cannot be read (line 5). It has "
                                  "been kept as " +
                                  keptUser +
                                  ", and Farcast starts with the default settings."
                                  "\r\n\r\n"
                                  "WARNING - The settings file " +
                                  dir +
                                  "/machine.reg cannot be read (line 1). It "
                                  "has been kept as " +
                                  keptMachine +
                                  ", and Farcast starts with the default "
                                  "settings.");
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

TEST_F(StartupTest, ADamagedSettingsFileIsSaidInUnattendedModeToo) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    const std::string dir = Dir("config") + "/farcast";
    WriteFile(dir + "/user.reg",
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Ostrand\\Farcast]\n"
              "\"UnattendedMode\"=dword:00000001\n\"CreateLogfile\"=dword:00000001\n");
    WriteFile(dir + "/machine.reg", "garbage\n");
    win::ResetRegistry();

    ASSERT_TRUE(Start()) << LastBox();
    EXPECT_EQ(CopyOptions.UnattendedMode, 1u);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text.rfind("WARNING - The settings file " + dir +
                                       "/machine.reg cannot be "
                                       "read (line 1). It has been kept as " +
                                       dir + "/machine.reg.damaged-",
                                   0),
              0u)
        << boxes_[0].text;
}

TEST_F(StartupTest, ASettingsFileThatCannotBeOpenedIsSaid) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    const std::string dir = Dir("config") + "/farcast";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + "/machine.reg")));  // a directory
    win::ResetRegistry();

    ASSERT_TRUE(Start()) << LastBox();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "WARNING - The settings file " + dir +
                                  "/machine.reg cannot be opened. Farcast will not save its "
                                  "settings.");
    EXPECT_EQ(boxes_[0].owner, win::kMainWindow);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(dir + "/machine.reg")).isDir());
}

// Keeps the files of a directory from being renamed while it lives: without root by taking
// away the write permission, as root by the file system's immutable flag. Unavailable() when
// neither works here.
class DirectoryFrozen {
  public:
    explicit DirectoryFrozen(const std::string& dir) : dir_(dir) {
        if (geteuid() != 0) {
            frozen_ = chmod(dir.c_str(), 0555) == 0;
            return;
        }
        immutable_ = std::system(("chattr +i '" + dir + "' 2>/dev/null").c_str()) == 0;
        frozen_ = immutable_;
    }
    ~DirectoryFrozen() {
        if (immutable_)
            std::system(("chattr -i '" + dir_ + "'").c_str());
        else if (frozen_)
            chmod(dir_.c_str(), 0755);
    }
    bool Unavailable() const { return !frozen_; }

  private:
    std::string dir_;
    bool frozen_ = false;
    bool immutable_ = false;
};

TEST_F(StartupTest, ADamagedSettingsFileThatCannotBeMovedAsideIsSaidAndKept) {
    TestNetwork net(kServers);
    setenv("FARCAST_NETWORK", net.Root().c_str(), 1);
    const std::string dir = Dir("config") + "/farcast";
    WriteFile(dir + "/user.reg",
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Ostrand\\Farcast]\n"
              "\"AlreadyRun\"=dword:00000001\n");
    const std::string damaged = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\n";
    WriteFile(dir + "/machine.reg", damaged);
    win::ResetRegistry();
    {
        DirectoryFrozen frozen(dir);
        if (frozen.Unavailable())
            GTEST_SKIP() << "the settings directory cannot be kept from changing here";
        ASSERT_TRUE(Start()) << LastBox();
        Stop();
    }
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "WARNING - The settings file " + dir +
                                  "/machine.reg cannot be read (line 3) and cannot be moved "
                                  "aside. Farcast starts with the default settings and saves "
                                  "none until the file is repaired or removed.");
    EXPECT_EQ(boxes_[0].owner, win::kMainWindow);
    EXPECT_EQ(ReadFile(QString::fromStdString(dir + "/machine.reg")), damaged);
}

}  // namespace
