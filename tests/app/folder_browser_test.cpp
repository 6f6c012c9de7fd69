// The Copying page's folder browser: the network's servers, their volumes and directories as
// the NetWare client and the file services give them, what cannot be chosen, what cannot be
// listed, and the path the page receives.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

#include "app/folder_browser.h"
#include "app/options_sheet_view.h"
#include "app_fixture.h"
#include "netware/client_startup.h"
#include "tests/support/test_network.h"

namespace {

const std::string kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"

[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "SYS"
  [[server.volume]]
  name = "DATA"

[[server]]
name = "BRANCH"
connection = "attached"
  [[server.volume]]
  name = "DATA"

[[server]]
name = "REMOTE"
  [[server.volume]]
  name = "DATA"

[[server]]
name = "UNLISTED"
listed = false
  [[server.volume]]
  name = "DATA"
)";

const char* const kNotLoggedIn = "Not logged in to this server: its volumes cannot be shown.";

class FolderBrowserTest : public AppTest {
  protected:
    // The network with a few trees, the client started as at start-up.
    void Start(const std::string& extraToml = "") {
        net_ = std::make_unique<TestNetwork>(kNetwork + extraToml);
        net_->MakeDir("HQ/DATA/Projects/LongDirectoryName");
        net_->MakeDir("HQ/DATA/apps");
        net_->WriteFile("HQ/DATA/readme.txt", "not a directory");
        net_->MakeDir("HQ/SYS/PUBLIC");
        net_->Install();
        ASSERT_TRUE(StartNetWareClient());
    }

    static QStringList Texts(const NetworkFolderBrowser& browser, QTreeWidgetItem* parent) {
        QStringList texts;
        const int count = parent ? parent->childCount() : browser.Tree()->topLevelItemCount();
        for (int i = 0; i < count; ++i)
            texts << (parent ? parent->child(i) : browser.Tree()->topLevelItem(i))->text(0);
        return texts;
    }

    // Opens the item of each text in turn from the top level and returns the last one.
    static QTreeWidgetItem* OpenPath(NetworkFolderBrowser& browser, const QStringList& texts) {
        QTreeWidgetItem* item = nullptr;
        for (const QString& text : texts) {
            item = browser.Child(item, text);
            if (!item)
                return nullptr;
            item->setExpanded(true);
        }
        return item;
    }

    static void Choose(NetworkFolderBrowser& browser, QTreeWidgetItem* item) {
        browser.Tree()->setCurrentItem(item);
    }

    std::unique_ptr<TestNetwork> net_;
};

TEST_F(FolderBrowserTest, TheNetworksServersAreTheTopAndCannotBeChosen) {
    Start();
    NetworkFolderBrowser browser(nullptr, "Select a target volume\\dir for all servers");
    ASSERT_TRUE(browser.Populate());
    EXPECT_EQ(browser.windowTitle(), "Select a target volume\\dir for all servers");
    // The primary server's bindery, sorted as the server list is.
    EXPECT_EQ(Texts(browser, nullptr), (QStringList{"BRANCH", "HQ", "REMOTE"}));
    Choose(browser, browser.Child(nullptr, "HQ"));
    EXPECT_TRUE(browser.SelectedPath().isEmpty());
    EXPECT_FALSE(browser.OkButton()->isEnabled());
    EXPECT_EQ(browser.StatusLine()->text(), "Choose a volume or a directory.");
    browser.accept();
    EXPECT_EQ(browser.result(), QDialog::Rejected) << "a server is no destination";
}

TEST_F(FolderBrowserTest, VolumesInTheirOrderAndDirectoriesAsTheVolumeHoldsThem) {
    Start();
    NetworkFolderBrowser browser(nullptr, "title");
    ASSERT_TRUE(browser.Populate());
    QTreeWidgetItem* hq = OpenPath(browser, {"HQ"});
    EXPECT_EQ(Texts(browser, hq), (QStringList{"SYS", "DATA"}));
    QTreeWidgetItem* data = OpenPath(browser, {"HQ", "DATA"});
    // Directories only, sorted ignoring case, with the case the volume keeps.
    EXPECT_EQ(Texts(browser, data), (QStringList{"apps", "Projects"}));

    Choose(browser, data);
    EXPECT_EQ(browser.SelectedPath(), "\\\\HQ\\DATA");
    QTreeWidgetItem* deep = OpenPath(browser, {"HQ", "DATA", "Projects", "LongDirectoryName"});
    ASSERT_NE(deep, nullptr);
    Choose(browser, deep);
    EXPECT_EQ(browser.SelectedPath(), "\\\\HQ\\DATA\\Projects\\LongDirectoryName");
    EXPECT_TRUE(browser.OkButton()->isEnabled());
    EXPECT_EQ(browser.StatusLine()->text(), "\\\\HQ\\DATA\\Projects\\LongDirectoryName");
    // An empty directory shows that it holds nothing more.
    EXPECT_EQ(deep->childCount(), 0);
    EXPECT_EQ(deep->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
}

TEST_F(FolderBrowserTest, AServerWithoutALoginShowsItsVolumesAsUnavailable) {
    Start();
    NetworkFolderBrowser browser(nullptr, "title");
    ASSERT_TRUE(browser.Populate());
    for (const QString server : {"BRANCH", "REMOTE"}) {
        SCOPED_TRACE(server.toStdString());
        QTreeWidgetItem* item = OpenPath(browser, {server});
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(Texts(browser, item), QStringList{kNotLoggedIn});
        // The note is no place: it cannot be chosen.
        QTreeWidgetItem* note = item->child(0);
        EXPECT_FALSE(note->flags() & Qt::ItemIsSelectable);
        Choose(browser, note);
        EXPECT_TRUE(browser.SelectedPath().isEmpty());
        EXPECT_FALSE(browser.OkButton()->isEnabled());
    }
    // Browsing made no connection: REMOTE is still not attached.
    NWCONN_HANDLE conn = 0;
    EXPECT_NE(NetWare().NWGetConnectionHandle("REMOTE", 0, &conn, nullptr), 0u);
}

TEST_F(FolderBrowserTest, WhatCannotBeListedSaysWhyInsteadOfLookingEmpty) {
    Start(R"(
[[fault]]
call = "FindFirstFile"
path = '\\HQ\DATA\PROJECTS\*'
code = 5

[[fault]]
call = "NWGetVolumeInfoWithNumber"
server = "HQ"
code = 0x89FF
times = 1
)");
    NetworkFolderBrowser browser(nullptr, "title");
    ASSERT_TRUE(browser.Populate());
    QTreeWidgetItem* hq = OpenPath(browser, {"HQ"});
    EXPECT_EQ(
        Texts(browser, hq),
        QStringList{"The volumes cannot be listed (NWGetVolumeInfoWithNumber error: 0x89FF)."});

    // A second browser lists them, and the unreadable directory says so.
    NetworkFolderBrowser again(nullptr, "title");
    ASSERT_TRUE(again.Populate());
    QTreeWidgetItem* projects = OpenPath(again, {"HQ", "DATA", "Projects"});
    ASSERT_NE(projects, nullptr);
    EXPECT_EQ(Texts(again, projects),
              QStringList{"This directory cannot be read: Access is denied."});
    // The directory itself can still be chosen.
    Choose(again, projects);
    EXPECT_EQ(again.SelectedPath(), "\\\\HQ\\DATA\\Projects");
}

TEST_F(FolderBrowserTest, WhatIsNoNetWareEntryIsNotShown) {
    Start();
    // A link inside the volume's tree, to a directory elsewhere on the disk.
    std::filesystem::create_symlink(Dir("config"), net_->LocalPath("HQ/DATA/elsewhere"));
    NetworkFolderBrowser browser(nullptr, "title");
    ASSERT_TRUE(browser.Populate());
    EXPECT_EQ(Texts(browser, OpenPath(browser, {"HQ", "DATA"})), (QStringList{"apps", "Projects"}));
}

TEST_F(FolderBrowserTest, ANetworkThatCannotBeListedShowsItsMessage) {
    Start(R"(
[[fault]]
call = "NWScanObject"
code = 0x89FB
)");
    EXPECT_TRUE(BrowseNetworkFolder(nullptr, "title").isEmpty());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Cannot find Network Neighbourhood");
    EXPECT_EQ(boxes_[0].caption, "Farcast");
    EXPECT_EQ(boxes_[0].owner, win::kMainWindow);
    EXPECT_EQ(boxes_[0].style, 0x10010u);
}

// The page's "&Select..." with the browser itself, driven as a user would.
TEST_F(FolderBrowserTest, ThePickedPlaceBecomesTheVolumePathAtTheTopOfTheHistory) {
    Start();
    TargetPathHistory = {"\\SYS\\PUBLIC"};
    OptionsSheetView sheet(nullptr);
    bool sawBrowser = false;
    QTimer::singleShot(0, [&] {
        auto* browser = qobject_cast<NetworkFolderBrowser*>(QApplication::activeModalWidget());
        sawBrowser = browser != nullptr;
        if (!browser)
            return;
        Choose(*browser, OpenPath(*browser, {"HQ", "DATA", "Projects", "LongDirectoryName"}));
        QTest::mouseClick(browser->OkButton(), Qt::LeftButton);
    });
    qobject_cast<QPushButton*>(sheet.Control(200))->click();
    EXPECT_TRUE(sawBrowser);
    auto* combo = qobject_cast<QComboBox*>(sheet.Control(216));
    ASSERT_EQ(combo->count(), 2);
    // The volume path CanonicalNetWarePath gives; its letter case is that function's own.
    EXPECT_EQ(combo->itemText(0).toUpper(), "\\DATA\\PROJECTS\\LONGDIRECTORYNAME");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_TRUE(boxes_.empty());

    // Cancelled: nothing changes.
    QTimer::singleShot(0, [] {
        if (QWidget* browser = QApplication::activeModalWidget())
            QTest::keyClick(browser, Qt::Key_Escape);
    });
    qobject_cast<QPushButton*>(sheet.Control(200))->click();
    EXPECT_EQ(combo->count(), 2);
}

}  // namespace
