// The main window: the server list, menus and accelerators, the right-click menu, drops, and
// what exit writes to the settings.

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app_fixture.h"
#include "copy/run_driver.h"
#include "netware/client_startup.h"
#include "netware/server_list.h"
#include "tests/support/test_network.h"

namespace {

const char* kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"

[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)";

// The same with a second server, BRANCH, as the target of copies.
const std::string kWithBranch = std::string(kNetwork) + R"(
[[server]]
name = "BRANCH"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)";

class MainWindowTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        window_ = std::make_unique<MainWindow>(WindowPlacement{100, 120, 300, 500});
        ui_.SetMainWindow(window_.get(), window_->ServerList());
        window_->InstallAccelerators();
    }
    void TearDown() override {
        window_.reset();
        AppTest::TearDown();
    }

    void ShowActive() {
        window_->ShowAtPlacement();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    void Drop(const QStringList& localPaths) {
        QList<QUrl> urls;
        for (const QString& path : localPaths)
            urls << QUrl::fromLocalFile(path);
        QMimeData mime;
        mime.setUrls(urls);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Delivered straight to the window: outside a real drag Qt passes drops only to the
        // drag's current target.
        static_cast<QObject*>(window_.get())->event(&drop);
        EXPECT_TRUE(drop.isAccepted());
        // The run starts once the drop event has been answered.
        QApplication::processEvents();
    }

    // Presses OK on the options sheet once it has opened; *shown tells that it did.
    static void ConfirmTheOptionsSheetWhenItOpens(bool* shown) {
        QTimer::singleShot(0, [shown] {
            QWidget* sheet = QApplication::activeModalWidget();
            auto* ok = sheet ? sheet->findChild<QPushButton*>("id_1") : nullptr;
            if (!ok) {
                ConfirmTheOptionsSheetWhenItOpens(shown);
                return;
            }
            *shown = true;
            ok->click();
        });
    }

    // Starts the server list on the network and selects BRANCH, with \DATA\IN the
    // destination and subdirectories copied.
    void SelectBranchAsTheTarget() {
        ASSERT_TRUE(StartNetWareClient());
        ASSERT_TRUE(FillServerList());
        ShowActive();
        const auto branch = window_->ServerList()->findItems("BRANCH", Qt::MatchExactly);
        ASSERT_EQ(branch.size(), 1);
        branch[0]->setSelected(true);
        TargetPathHistory = {"\\DATA\\IN"};
        CopyOptions.CopySubDirs = 1;
    }

    void WaitForTheRunsEnd() {
        for (int i = 0; i < 1000 && (RunInProgress() || boxes_.empty()); ++i)
            QTest::qWait(10);
    }

    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (int i = 0; i < window_->ServerList()->count(); ++i)
            texts.push_back(ui_.ServerListText(i));
        return texts;
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, ServerListSortsIgnoringCaseAndReportsSelectionInListOrder) {
    for (const char* name : {"sales", "ACME_HQ", "Zeta", "acme_branch", "MARKETING"})
        ui_.ServerListAdd(name);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"acme_branch", "ACME_HQ", "MARKETING", "sales", "Zeta"}));

    QListWidget* list = window_->ServerList();
    EXPECT_EQ(list->objectName(), "id_150");
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window_->centralWidget(), list);

    list->item(4)->setSelected(true);
    list->item(1)->setSelected(true);
    list->item(3)->setSelected(true);
    EXPECT_EQ(ui_.ServerListSelection(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(ui_.ServerListText(99), "");

    ui_.ServerListReset();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(ui_.ServerListSelection().empty());
}

TEST_F(MainWindowTest, MenusCarryTheCommands) {
    auto commands = [](QMenu* menu) {
        std::vector<std::pair<QString, int>> items;
        for (QAction* action : menu->actions())
            items.emplace_back(action->isSeparator() ? QString("-") : action->text(),
                               action->isSeparator() ? 0 : action->data().toInt());
        return items;
    };
    const QList<QAction*> bar = window_->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->text(), "&File");
    EXPECT_EQ(bar[1]->text(), "&Help");
    using Items = std::vector<std::pair<QString, int>>;
    EXPECT_EQ(commands(bar[0]->menu()),
              (Items{{"&Options...\tCtrl+O", 1001}, {"-", 0}, {"E&xit\tCtrl+X", 1000}}));
    EXPECT_EQ(commands(bar[1]->menu()),
              (Items{{"&Topics\tF1", 24341}, {"&Using help", 24345}, {"-", 0}, {"&About", 24346}}));
    EXPECT_EQ(commands(window_->PopupMenu()), (Items{{"&Options...", 1001},
                                                     {"-", 0},
                                                     {"&Help", 24341},
                                                     {"&About", 24346},
                                                     {"-", 0},
                                                     {"E&xit", 1000}}));
}

TEST_F(MainWindowTest, HelpCommandsOpenTheirTopics) {
    window_->Command(kCmdHelpTopics);
    EXPECT_EQ(OpenHelpTopic(), "contents");
    // "Using help" is the viewer's own instructions, not a topic of the program.
    window_->Command(kCmdUsingHelp);
    EXPECT_EQ(OpenHelpTopic(), "using_help");
}

TEST_F(MainWindowTest, AcceleratorsReachTheMainWindowFromTheList) {
    ShowActive();
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    QTest::keyClick(window_->ServerList(), Qt::Key_F1);
    EXPECT_EQ(OpenHelpTopic(), "contents");
    QTest::keyClick(window_->ServerList(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, AProgressDialogTakesTheKeysItself) {
    ShowActive();
    const win::WindowId dialog =
        ui_.CreateProgressDialog(win::DialogKind::CopyFiles, win::kMainWindow);
    QWidget* view = ui_.Widget(dialog);
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    QTest::keyClick(view, Qt::Key_F1);
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(OpenHelpTopic(), "");
    EXPECT_EQ(exited.count(), 0);
    ui_.DestroyDialog(dialog);
}

TEST_F(MainWindowTest, RightClickMenuOnlyForMouseClicksInsideTheClientArea) {
    ShowActive();
    QWidget* viewport = window_->ServerList()->viewport();
    const QPoint inside(5, 5);

    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, inside, viewport->mapToGlobal(inside));
    QApplication::sendEvent(viewport, &keyboard);
    EXPECT_FALSE(window_->PopupMenu()->isVisible());

    QMenuBar* bar = window_->menuBar();
    const QPoint onBar(2, 2);
    QContextMenuEvent outside(QContextMenuEvent::Mouse, onBar, bar->mapToGlobal(onBar));
    QApplication::sendEvent(bar, &outside);
    EXPECT_FALSE(window_->PopupMenu()->isVisible());

    QContextMenuEvent mouse(QContextMenuEvent::Mouse, inside, viewport->mapToGlobal(inside));
    QApplication::sendEvent(viewport, &mouse);
    EXPECT_TRUE(window_->PopupMenu()->isVisible());
    window_->PopupMenu()->hide();
}

TEST_F(MainWindowTest, TheScrollBarIsDisabledUntilThereIsSomethingToScroll) {
    ShowActive();
    QScrollBar* bar = window_->ServerList()->verticalScrollBar();
    ui_.ServerListAdd("HQ");
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isEnabled());
    for (int i = 0; i < 200; ++i)
        ui_.ServerListAdd("S" + std::to_string(i));
    QApplication::processEvents();
    EXPECT_TRUE(bar->isEnabled());
    ui_.ServerListReset();
    QApplication::processEvents();
    EXPECT_FALSE(bar->isEnabled());
}

TEST_F(MainWindowTest, RightClickOnTheScrollBarOpensTheRightClickMenu) {
    ShowActive();
    for (int i = 0; i < 200; ++i)
        ui_.ServerListAdd("S" + std::to_string(i));
    QApplication::processEvents();
    QScrollBar* bar = window_->ServerList()->verticalScrollBar();
    // A menu of the scroll bar's own would wait for its answer: it is noted and closed.
    QPointer<QWidget> otherMenu;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup && popup != window_->PopupMenu()) {
            otherMenu = popup;
            popup->close();
        }
    });
    const QPoint onBar(bar->width() / 2, bar->height() / 2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, onBar, bar->mapToGlobal(onBar));
    QApplication::sendEvent(bar, &click);
    QApplication::processEvents();
    EXPECT_TRUE(otherMenu.isNull());
    EXPECT_TRUE(window_->PopupMenu()->isVisible());
    window_->PopupMenu()->hide();
}

TEST_F(MainWindowTest, DroppedPathsUnderTheNetworkRootBecomeNetWarePaths) {
    TestNetwork net(kNetwork);
    net.WriteFile("HQ/DATA/proj/a.txt", "a");
    net.MakeDir("HQ/DATA/proj/tree");
    net.Install();
    std::vector<std::vector<std::string>> runs;
    window_->SetDropHandler([&](const std::vector<std::string>& names) { runs.push_back(names); });

    const QString outside = QString::fromStdString(Dir("local.txt"));
    Drop({QString::fromStdString(net.LocalPath("HQ/DATA/proj/a.txt")),
          QString::fromStdString(net.LocalPath("HQ/DATA/proj/tree")) + "/", outside});

    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].size(), 3u);
    EXPECT_EQ(QString::fromStdString(runs[0][0]).toUpper(), R"(\\HQ\DATA\PROJ\A.TXT)");
    EXPECT_EQ(QString::fromStdString(runs[0][1]).toUpper(), R"(\\HQ\DATA\PROJ\TREE)");
    // A path off the network is handed on unchanged, for the run to refuse.
    EXPECT_EQ(runs[0][2], outside.toStdString());
}

TEST_F(MainWindowTest, ADropReachesTheCopyRun) {
    TestNetwork net(kNetwork);
    net.WriteFile("HQ/DATA/a.txt", "a");
    net.Install();
    ui_.ServerListAdd("HQ");  // nothing selected
    Drop({QString::fromStdString(net.LocalPath("HQ/DATA/a.txt"))});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text,
              "You must select one or more servers in the Farcast\r\nwindow before dragging "
              "files onto the window.");
    EXPECT_FALSE(RunInProgress());
}

TEST_F(MainWindowTest, ADropCopiesThroughTheOptionsSheetAndTheProgressDialogs) {
    TestNetwork net(kWithBranch);
    net.WriteFile("HQ/DATA/proj/a.txt", "alpha");
    net.WriteFile("HQ/DATA/proj/sub/b.txt", "beta");
    net.MakeDir("BRANCH/DATA/IN");
    net.Install();
    SelectBranchAsTheTarget();

    // The user confirms the options sheet as it opens.
    bool sheetShown = false;
    ConfirmTheOptionsSheetWhenItOpens(&sheetShown);
    Drop({QString::fromStdString(net.LocalPath("HQ/DATA/proj"))});
    WaitForTheRunsEnd();

    EXPECT_TRUE(sheetShown);
    // The dropped directory keeps its own name on the destination.
    EXPECT_EQ(net.ReadFile("BRANCH/DATA/IN/proj/a.txt"), "alpha");
    EXPECT_EQ(net.ReadFile("BRANCH/DATA/IN/proj/sub/b.txt"), "beta");
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().text, "Updated or created 2 files totalling 9 bytes");
    EXPECT_TRUE(window_->isEnabled()) << "the progress dialogs have given the window back";
}

// Presses Escape in the copy dialog a few rounds of event handling after it has appeared, so
// that the run is copying by then: each round passes a posted event on to the next one, and
// the last round posts the key, which then waits for the run's next pump that handles events.
class EscapeInTheCopyDialog : public QObject {
  public:
    int rounds = 3;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<class ProgressDialog*>(watched);
        if (event->type() == QEvent::Show && dialog &&
            dialog->Kind() == win::DialogKind::CopyFiles) {
            dialog_ = dialog;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        }
        return QObject::eventFilter(watched, event);
    }
    void customEvent(QEvent*) override {
        if (--rounds > 0) {
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        } else if (dialog_) {
            QCoreApplication::postEvent(dialog_,
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
            QCoreApplication::postEvent(dialog_,
                                        new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, {}));
        }
    }

  private:
    QPointer<QWidget> dialog_;
};

TEST_F(MainWindowTest, EscapeStopsARunThatPumpsWithoutPauseAndNothingIsHalfCopied) {
    TestNetwork net(kWithBranch);
    const int files = 1000;
    const std::string content = "x";
    for (int i = 0; i < files; ++i)
        net.WriteFile("HQ/DATA/many/f" + std::to_string(i) + ".txt", content);
    net.MakeDir("BRANCH/DATA/IN");
    net.Install();
    SelectBranchAsTheTarget();

    bool sheetShown = false;
    ConfirmTheOptionsSheetWhenItOpens(&sheetShown);
    EscapeInTheCopyDialog escape;
    qApp->installEventFilter(&escape);
    Drop({QString::fromStdString(net.LocalPath("HQ/DATA/many"))});
    WaitForTheRunsEnd();
    qApp->removeEventFilter(&escape);

    ASSERT_TRUE(sheetShown);
    ASSERT_FALSE(RunInProgress());
    EXPECT_TRUE(CancelRequested);
    EXPECT_TRUE(window_->isEnabled());
    // The run stopped long before its end; what it delivered is whole, and no temporary file
    // is left.
    int copied = 0;
    if (net.Exists("BRANCH/DATA/IN/many")) {
        for (const auto& entry :
             std::filesystem::directory_iterator(net.LocalPath("BRANCH/DATA/IN/many"))) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.rfind("FCT", 0), std::string::npos) << name;
            EXPECT_EQ(net.ReadFile("BRANCH/DATA/IN/many/" + name), content) << name;
            ++copied;
        }
    }
    EXPECT_LT(copied, files / 2);
    ASSERT_FALSE(boxes_.empty());
    // One byte a file: fewer than 1,000 of each need no thousands separator.
    EXPECT_EQ(boxes_.back().text, "Updated or created " + std::to_string(copied) +
                                      " files totalling " + std::to_string(copied) + " bytes");
}

TEST_F(MainWindowTest, ADropDuringARunIsRefusedAndStartsNothing) {
    TestNetwork net(kNetwork);
    net.WriteFile("HQ/DATA/a.txt", "a");
    net.Install();
    const QString file = QString::fromStdString(net.LocalPath("HQ/DATA/a.txt"));
    int runs = 0;
    window_->SetDropHandler([&](const std::vector<std::string>&) {
        ++runs;
        if (runs == 1)
            Drop({file});  // arrives while the first run pumps messages
    });
    Drop({file});
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text,
              "A copy run is still finishing. Drop the files again when it has ended.");
    EXPECT_EQ(boxes_[0].style, win::MB_OK | win::MB_ICONEXCLAMATION | win::MB_SETFOREGROUND);

    // Once the run has returned, drops start runs again.
    Drop({file});
    EXPECT_EQ(runs, 2);
}

TEST_F(MainWindowTest, ExitWritesOptionsAndTheWindowPlacement) {
    ShowActive();
    CopyOptions.BufferSize = 0;
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    window_->Command(kCmdHelpTopics);
    window_->Command(kCmdExit);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_EQ(StoredDword("Left"), 100);
    EXPECT_EQ(StoredDword("Top"), 120);
    EXPECT_EQ(StoredDword("Width"), 300);
    EXPECT_EQ(StoredDword("Height"), 500);
    EXPECT_EQ(StoredDword("AlreadyRun"), 1);
    EXPECT_EQ(StoredDword("BufferSize"), 16);
    // The help viewer closes with the program.
    EXPECT_EQ(OpenHelpTopic(), "");
}

TEST_F(MainWindowTest, AMinimisedWindowKeepsTheStoredPlacement) {
    SaveWindowPlacement(WindowPlacement{10, 20, 200, 300}, false);
    ShowActive();
    window_->showMinimized();
    window_->close();
    EXPECT_EQ(StoredDword("AlreadyRun"), 1);
    EXPECT_EQ(StoredDword("Left"), 10);
    EXPECT_EQ(StoredDword("Top"), 20);
    EXPECT_EQ(StoredDword("Width"), 200);
    EXPECT_EQ(StoredDword("Height"), 300);
}

TEST_F(MainWindowTest, CloseDuringARunEndsTheProgramWhenTheRunReturns) {
    ShowActive();
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    window_->SetDropHandler([&](const std::vector<std::string>&) {
        window_->close();  // e.g. the window manager's close button during the run
        EXPECT_EQ(exited.count(), 0);
        EXPECT_TRUE(window_->isVisible());
        EXPECT_EQ(StoredDword("AlreadyRun"), -1);
    });
    window_->HandleDrop({"\\\\HQ\\DATA\\A.TXT"});
    EXPECT_EQ(exited.count(), 1);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(StoredDword("AlreadyRun"), 1);
}

}  // namespace
