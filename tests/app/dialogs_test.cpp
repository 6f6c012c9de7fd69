// The run's progress dialogs, the synchronisation dialog, the login dialog, dialog placement
// and the help viewer's pages.

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include "app/help_viewer.h"
#include "app/login_dialog.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/window_placement.h"
#include "app_fixture.h"
#include "netware/login_dialog.h"
#include "netware/target_server.h"

namespace {

class DialogTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        main_ = std::make_unique<MainWindow>(WindowPlacement{});
        ui_.SetMainWindow(main_.get(), main_->ServerList());
        main_->show();
    }
    void TearDown() override {
        main_.reset();
        AppTest::TearDown();
    }
    win::WindowId Open(win::DialogKind kind, win::WindowId owner = win::kMainWindow) {
        const win::WindowId id = ui_.CreateProgressDialog(kind, owner);
        if (kind != win::DialogKind::SyncDir)
            ProgressDialog = id;
        return id;
    }
    std::unique_ptr<MainWindow> main_;
};

enum class CancelWay { Button, Escape, Close };

class ProgressCancelTest
    : public DialogTest,
      public testing::WithParamInterface<std::tuple<win::DialogKind, CancelWay>> {};

TEST_P(ProgressCancelTest, CancelSetsTheFlagDestroysTheDialogAndEnablesTheMainWindow) {
    const auto [kind, way] = GetParam();
    const win::WindowId id = Open(kind);
    RunDialog* dialog = ui_.Dialog(id);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(main_->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(CancelRequested);

    switch (way) {
        case CancelWay::Button:
            QTest::mouseClick(qobject_cast<QPushButton*>(DialogControl(dialog, 2)), Qt::LeftButton);
            break;
        case CancelWay::Escape:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
        case CancelWay::Close:
            dialog->close();
            break;
    }
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(ProgressDialog, win::kNoWindow);
    EXPECT_FALSE(ui_.IsWindow(id));
    EXPECT_TRUE(main_->isEnabled());
    // Later writes of the run find no dialog and do nothing.
    ui_.SetDlgItemText(id, 201, "x");
    ui_.SetProgressPos(id, 204, 50);
    ui_.DestroyDialog(id);
}

INSTANTIATE_TEST_SUITE_P(
    AllWays, ProgressCancelTest,
    testing::Combine(testing::Values(win::DialogKind::ReadDir, win::DialogKind::CopyFiles),
                     testing::Values(CancelWay::Button, CancelWay::Escape, CancelWay::Close)));

TEST_F(DialogTest, DestroyedByTheRunTheDialogEnablesItsOwnerWithoutCancelling) {
    const win::WindowId id = Open(win::DialogKind::ReadDir);
    ui_.DestroyDialog(id);
    EXPECT_FALSE(CancelRequested);
    EXPECT_TRUE(main_->isEnabled());
    EXPECT_FALSE(ui_.IsWindow(id));
}

TEST_F(DialogTest, DialogsHaveTheirControlsAndCancelHasTheFocus) {
    const win::WindowId counting = Open(win::DialogKind::ReadDir);
    RunDialog* view = ui_.Dialog(counting);
    EXPECT_EQ(view->windowTitle(), "Counting Source Files and Directories...");
    for (int id : {225, 226, 221, 223, 2})
        EXPECT_NE(DialogControl(view, id), nullptr) << id;
    EXPECT_TRUE(qobject_cast<QLabel*>(DialogControl(view, 226))->alignment() & Qt::AlignRight);
    EXPECT_EQ(QApplication::focusWidget() == DialogControl(view, 2) ||
                  view->focusWidget() == DialogControl(view, 2),
              true);
    ui_.SetDlgItemText(counting, 225, R"(\\HQ\DATA\<b>&x)");
    EXPECT_EQ(view->Field(225), R"(\\HQ\DATA\<b>&x)");
    EXPECT_EQ(qobject_cast<QLabel*>(DialogControl(view, 225))->textFormat(), Qt::PlainText);
    ui_.DestroyDialog(counting);

    const win::WindowId copying = Open(win::DialogKind::CopyFiles);
    view = ui_.Dialog(copying);
    EXPECT_EQ(view->windowTitle(), "Copying...");
    for (int id : {201, 202, 223, 233, 203, 2})
        EXPECT_NE(DialogControl(view, id), nullptr) << id;
    for (int id : {204, 205, 224}) {
        auto* bar = qobject_cast<QProgressBar*>(DialogControl(view, id));
        ASSERT_NE(bar, nullptr) << id;
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
    }
    ui_.SetProgressPos(copying, 205, 37);
    EXPECT_EQ(view->Bar(205), 37);
    ui_.DestroyDialog(copying);
}

// A box asked during a run belongs to the run's dialog on top and gives it the focus back
// when it closes, whatever window the window manager had focused meanwhile.
class BoxFocusTest : public DialogTest {
  protected:
    // Answers OK like a user, after which the window manager focuses the main window.
    void AnswerThenFocusTheMainWindow() {
        ui_.SetBoxAnswerer([this](const QtWindowSystem::Box& box) {
            boxes_.push_back(box);
            main_->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(main_.get()));
            return win::IDOK;
        });
    }
    void AskAndExpectTheFocusBackIn(RunDialog* dialog) {
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        AnswerThenFocusTheMainWindow();
        ui_.MessageBox(win::kMainWindow, "ERROR - Unable to copy", "Farcast", 0x10010);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].over, dialog);
        EXPECT_TRUE(FocusComesTo(DialogControl(dialog, win::IDCANCEL)));
    }
};

TEST_F(BoxFocusTest, EscapeAfterABoxCancelsTheCopy) {
    const win::WindowId copy = Open(win::DialogKind::CopyFiles);
    AskAndExpectTheFocusBackIn(ui_.Dialog(copy));
    TypeAtFocus(Qt::Key_Escape);
    EXPECT_TRUE(CancelRequested);
    EXPECT_FALSE(ui_.IsWindow(copy));
}

TEST_F(BoxFocusTest, ABoxDuringSynchronisationBelongsToTheSyncDialog) {
    const win::WindowId copy = Open(win::DialogKind::CopyFiles);
    const win::WindowId sync = Open(win::DialogKind::SyncDir);
    AskAndExpectTheFocusBackIn(ui_.Dialog(sync));
    ui_.DestroyDialog(sync);
    ui_.DestroyDialog(copy);
}

TEST_F(BoxFocusTest, TheLoginDialogDuringARunGivesTheFocusBackToTheCopyDialog) {
    const win::WindowId copy = Open(win::DialogKind::CopyFiles);
    RunDialog* dialog = ui_.Dialog(copy);
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QWindow* loginOwner = nullptr;
    WhenModalOpens([&](QWidget* login) {
        loginOwner = login->windowHandle()->transientParent();
        main_->activateWindow();
        QTest::keyClick(login, Qt::Key_Escape);
    });
    EXPECT_EQ(ui_.ShowLoginDialog(win::kMainWindow), win::IDCANCEL);
    EXPECT_EQ(loginOwner, dialog->windowHandle());
    EXPECT_TRUE(FocusComesTo(DialogControl(dialog, win::IDCANCEL)));
    ui_.DestroyDialog(copy);
}

TEST_F(DialogTest, ServerNameSetsTheCopyCaptionWithinItsBuffer) {
    const win::WindowId id = Open(win::DialogKind::CopyFiles);
    const std::string name47(47, 'S');
    ui_.SendServerName(id, name47);
    EXPECT_EQ(ui_.Dialog(id)->windowTitle().toStdString(), "Copying Files To " + name47 + "...");
    EXPECT_EQ(ui_.Dialog(id)->Field(203).toStdString(), name47);

    // A longer name is cut to the 67 characters the caption holds, never overrunning it.
    const std::string name60(60, 'L');
    ui_.SendServerName(id, name60);
    const std::string caption = ui_.Dialog(id)->windowTitle().toStdString();
    EXPECT_EQ(caption.size(), 67u);
    EXPECT_EQ(caption, ("Copying Files To " + name60).substr(0, 67));
    EXPECT_EQ(ui_.Dialog(id)->Field(203).toStdString(), name60);
    ui_.DestroyDialog(id);
}

TEST_F(DialogTest, SyncDialogDisablesTheCopyDialogAndSitsAboveTheCentre) {
    const win::WindowId copy = Open(win::DialogKind::CopyFiles);
    // Owned by the main window, as the synchronisation opens it.
    const win::WindowId sync = Open(win::DialogKind::SyncDir, win::kMainWindow);
    RunDialog* syncView = ui_.Dialog(sync);
    EXPECT_EQ(syncView->windowTitle(), "Synchronizing...");
    EXPECT_FALSE(ui_.Dialog(copy)->isEnabled());
    EXPECT_FALSE(main_->isEnabled());
    EXPECT_TRUE(syncView->isEnabled());
    EXPECT_LT(syncView->frameGeometry().center().y(),
              ui_.Dialog(copy)->frameGeometry().center().y());
    for (int id : {216, 226, 221, 223, 2})
        EXPECT_NE(DialogControl(syncView, id), nullptr) << id;

    ui_.SendServerName(sync, "ACME_SALES");
    EXPECT_EQ(syncView->windowTitle(), "Synchronizing Directories On ACME_SALES...");

    QTest::keyClick(syncView, Qt::Key_Escape);
    EXPECT_TRUE(CancelRequested);
    EXPECT_FALSE(ui_.IsWindow(sync));
    EXPECT_TRUE(ui_.Dialog(copy)->isEnabled());
    EXPECT_FALSE(main_->isEnabled());  // the copy dialog is still open
    ui_.DestroyDialog(copy);
    EXPECT_TRUE(main_->isEnabled());
}

// The engine writes fields and bars for every file and every chunk; the controls show the
// latest values once the event loop runs, not every value they were given.
TEST_F(DialogTest, FieldsAndBarsShowTheirLatestValueOnceTheEventLoopRuns) {
    const win::WindowId id = Open(win::DialogKind::CopyFiles);
    RunDialog* view = ui_.Dialog(id);
    auto* from = qobject_cast<QLabel*>(DialogControl(view, 201));
    auto* bar = qobject_cast<QProgressBar*>(DialogControl(view, 204));
    ASSERT_NE(from, nullptr);
    ASSERT_NE(bar, nullptr);
    for (int i = 1; i <= 500; ++i) {
        ui_.SetDlgItemText(id, 201, "\\\\HQ\\DATA\\F" + std::to_string(i) + ".DAT");
        ui_.SetProgressPos(id, 204, i / 5);
    }
    // What was written is known at once; the controls have not been changed 500 times.
    EXPECT_EQ(view->Field(201), "\\\\HQ\\DATA\\F500.DAT");
    EXPECT_EQ(view->Bar(204), 100);
    EXPECT_EQ(from->text(), "");
    EXPECT_EQ(bar->value(), 0);

    EXPECT_TRUE(QTest::qWaitFor([&] { return from->text() == "\\\\HQ\\DATA\\F500.DAT"; }));
    EXPECT_EQ(bar->value(), 100);
    // A value out of range is shown at the nearest end, as the bar holds it.
    ui_.SetProgressPos(id, 204, 250);
    EXPECT_EQ(view->Bar(204), 100);
    ui_.SetProgressPos(id, 205, -3);
    EXPECT_EQ(view->Bar(205), 0);
    EXPECT_FALSE(view->SetField(999, "x"));
    EXPECT_FALSE(view->SetBar(201, 5));
    EXPECT_EQ(view->Bar(999), -1);
    ui_.DestroyDialog(id);
}

// A box over a run dialog, and the dialog's end, find the dialog showing the current state.
TEST_F(DialogTest, ABoxOrTheDialogsEndFindsTheLatestValuesShown) {
    const win::WindowId counting = Open(win::DialogKind::ReadDir);
    const win::WindowId sync = Open(win::DialogKind::SyncDir);
    ui_.SetDlgItemText(counting, 226, "1,234");
    ui_.SetDlgItemText(sync, 216, "\\\\HQ\\DATA\\OLD.TXT");
    QString shownCount, shownChecking;
    ui_.SetBoxAnswerer([&](const QtWindowSystem::Box&) {
        shownCount = qobject_cast<QLabel*>(DialogControl(ui_.Dialog(counting), 226))->text();
        shownChecking = qobject_cast<QLabel*>(DialogControl(ui_.Dialog(sync), 216))->text();
        return win::IDOK;
    });
    ui_.MessageBox(win::kMainWindow, "ERROR - x", "Farcast", win::MB_OK | win::MB_ICONSTOP);
    EXPECT_EQ(shownCount, "1,234");
    EXPECT_EQ(shownChecking, "\\\\HQ\\DATA\\OLD.TXT");
    ui_.DestroyDialog(sync);

    ui_.SetDlgItemText(counting, 223, "4,096");
    const QPointer<QLabel> bytes = qobject_cast<QLabel*>(DialogControl(ui_.Dialog(counting), 223));
    ui_.DestroyDialog(counting);
    ASSERT_FALSE(bytes.isNull());  // deleted once the event loop runs
    EXPECT_EQ(bytes->text(), "4,096");
}

TEST_F(DialogTest, MeasuresTextWithTheControlsFont) {
    const win::WindowId id = Open(win::DialogKind::CopyFiles);
    int text = 0, client = 0;
    ASSERT_TRUE(ui_.MeasureControlText(id, 201, "\\\\HQ\\DATA\\A.TXT", &text, &client));
    const QWidget* field = DialogControl(ui_.Dialog(id), 201);
    EXPECT_EQ(text, QFontMetrics(field->font()).horizontalAdvance("\\\\HQ\\DATA\\A.TXT"));
    EXPECT_EQ(client, field->contentsRect().width());
    int longer = 0;
    ui_.MeasureControlText(id, 201, "\\\\HQ\\DATA\\A LONGER NAME.TXT", &longer, &client);
    EXPECT_GT(longer, text);
    EXPECT_FALSE(ui_.MeasureControlText(id, 999, "x", &text, &client));
    ui_.DestroyDialog(id);
}

class MessageBoxTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        ui_.SetBoxAnswerer(nullptr);  // real boxes
    }
};

TEST_F(MessageBoxTest, StyleGivesIconButtonsAndAnswerCodes) {
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text, title;
    WhenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        text = box->text();
        title = box->windowTitle();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::No)->click();
    });
    const int answer =
        ui_.MessageBox(win::kMainWindow, "Do you want to delete X?\r\nReally?", "Farcast", 0x10023);
    EXPECT_EQ(answer, win::IDNO);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(text, "Do you want to delete X?\nReally?");
    EXPECT_EQ(title, "Farcast");
    EXPECT_EQ(buttons.size(), 3) << buttons.join(",").toStdString();

    WhenModalOpens([&](QWidget* modal) {
        icon = qobject_cast<QMessageBox*>(modal)->icon();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(ui_.MessageBox(win::kMainWindow, "Continue?", "Farcast", 0x23), win::IDCANCEL);

    WhenModalOpens([&](QWidget* modal) {
        icon = qobject_cast<QMessageBox*>(modal)->icon();
        QTest::keyClick(modal, Qt::Key_Return);
    });
    EXPECT_EQ(ui_.MessageBox(win::kMainWindow, "Stop", "Farcast", 0x10010), win::IDOK);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST_F(MessageBoxTest, AYesNoBoxIsClosedOnlyByAnAnswer) {
    bool stillOpen = false;
    WhenModalOpens([&](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        modal->close();  // the window's close button
        QApplication::processEvents();
        stillOpen = modal->isVisible();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(ui_.MessageBox(win::kMainWindow, "Delete it?", "Farcast", 0x10014), win::IDYES);
    EXPECT_TRUE(stillOpen);
}

TEST_F(MessageBoxTest, ABoxOwnedByTheDisabledMainWindowCanBeAnswered) {
    const win::WindowId dialog = Open(win::DialogKind::CopyFiles);
    ASSERT_FALSE(main_->isEnabled());
    bool enabled = false;
    WhenModalOpens([&](QWidget* modal) {
        enabled = modal->isEnabled();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(ui_.MessageBox(win::kMainWindow, "Go on?", "Farcast", 0x10024), win::IDYES);
    EXPECT_TRUE(enabled);
    ui_.DestroyDialog(dialog);
}

TEST_F(DialogTest, OptionsCommandOpensTheSheetModally) {
    QString title;
    WhenModalOpens([&](QWidget* modal) {
        title = modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    main_->Command(kCmdOptions);
    EXPECT_EQ(title, "Farcast Options");
    EXPECT_TRUE(CancelRequested);
}

TEST(DialogPlacement, CentresOnTheScreenWithSignedHalves) {
    const QRect screen(0, 0, 1280, 800);
    EXPECT_EQ(CentredOnScreenAt(screen, QSize(301, 101), 0, 800 / 4), QPoint(490, 550));
    EXPECT_EQ(CentredOnScreenAt(screen, QSize(300, 100), 0, -(801 / 4)), QPoint(490, 150));
    // A window larger than the screen gets a negative position, halves rounding toward zero.
    EXPECT_EQ(CentredOnScreenAt(QRect(0, 0, 100, 100), QSize(301, 301), 0, 0), QPoint(-100, -100));
    // A second screen right of the first: the same place on it.
    EXPECT_EQ(CentredOnScreenAt(QRect(1280, 0, 1280, 800), QSize(301, 101), 0, 200),
              QPoint(1770, 550));
}

TEST(DialogPlacement, CentresOnTheCursorInsideTheScreen) {
    const QRect screen(0, 0, 1000, 700);
    const QSize box(200, 100);
    EXPECT_EQ(CentredOnPointAt(screen, box, QPoint(500, 350)), QPoint(400, 300));
    EXPECT_EQ(CentredOnPointAt(screen, box, QPoint(10, 5)), QPoint(0, 0));
    EXPECT_EQ(CentredOnPointAt(screen, box, QPoint(995, 695)), QPoint(800, 600));
    // Wider than the screen: the right-edge clamp wins.
    EXPECT_EQ(CentredOnPointAt(QRect(0, 0, 150, 700), box, QPoint(75, 350)), QPoint(-50, 300));
    // On a screen below and right of the first, kept inside that one.
    const QRect second(1000, 700, 800, 600);
    EXPECT_EQ(CentredOnPointAt(second, box, QPoint(1010, 705)), QPoint(1000, 700));
    EXPECT_EQ(CentredOnPointAt(second, box, QPoint(1790, 1290)), QPoint(1600, 1200));
    EXPECT_EQ(CentredOnPointAt(second, box, QPoint(1400, 1000)), QPoint(1300, 950));
}

TEST(DialogPlacement, AWindowThatDoesNotFitIsBroughtOntoTheScreenHoldingMostOfIt) {
    const QRect left(0, 0, 1280, 1024), right(1280, 0, 800, 600);
    const QList<QRect> both{left, right};
    const struct {
        QRect frame;
        QRect fitted;
    } cases[] = {
        // On a screen: as it is, also touching its edges.
        {{50, 50, 155, 400}, {50, 50, 155, 400}},
        {{1280 + 645, 200, 155, 400}, {1280 + 645, 200, 155, 400}},
        // Taller than the screen (a placement stored at another scale): shrunk, top edge kept
        // on the screen.
        {{50, 50, 155, 1050}, {50, 0, 155, 1024}},
        // Partly below the bottom edge: moved up, size kept.
        {{50, 900, 155, 400}, {50, 624, 155, 400}},
        // Across both screens: onto the one holding most of it.
        {{1200, 100, 300, 300}, {1280, 100, 300, 300}},
        {{1100, 100, 300, 300}, {980, 100, 300, 300}},
        // Too tall for the smaller screen that holds most of it.
        {{1300, 100, 300, 700}, {1300, 0, 300, 600}},
        // Off every screen (a screen that is gone): onto the nearest.
        {{3000, 100, 155, 400}, {2080 - 155, 100, 155, 400}},
        {{-500, -500, 155, 400}, {0, 0, 155, 400}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOntoScreens(c.frame, both), c.fitted)
            << c.frame.x() << "," << c.frame.y() << " " << c.frame.width() << "x"
            << c.frame.height();
    EXPECT_EQ(FitOntoScreens(QRect(9000, 0, 10, 10), {}), QRect(9000, 0, 10, 10));
}

// Two screens side by side (tests/app/main.cpp sets them up): every dialog lands on the
// screen of its owner or of the cursor, measured from that screen's corner.
class TwoScreenTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        const auto screens = QGuiApplication::screens();
        if (screens.size() < 2)
            GTEST_SKIP() << "needs the test program's two offscreen screens";
        first_ = screens[0]->geometry();
        second_ = screens[1]->geometry();
        savedCursor_ = QCursor::pos();
    }
    void TearDown() override {
        QCursor::setPos(savedCursor_);
        DialogTest::TearDown();
    }
    QRect first_, second_;
    QPoint savedCursor_;
};

TEST_F(TwoScreenTest, ProgressDialogsCentreOnTheScreenOfTheMainWindow) {
    // The main window opens at its stored place on the second screen.
    main_ =
        std::make_unique<MainWindow>(WindowPlacement{second_.x() + 40, second_.y() + 40, 155, 400});
    ui_.SetMainWindow(main_.get(), main_->ServerList());
    main_->ShowAtPlacement();
    QApplication::processEvents();
    ASSERT_EQ(main_->screen()->geometry(), second_);
    QCursor::setPos(first_.center());  // the cursor elsewhere does not matter

    const win::WindowId copy = Open(win::DialogKind::CopyFiles);
    RunDialog* view = ui_.Dialog(copy);
    const QRect frame = view->frameGeometry();
    EXPECT_TRUE(second_.contains(frame)) << frame.x() << "," << frame.y();
    // A quarter of that screen's height below its centre.
    EXPECT_NEAR(frame.center().x(), second_.center().x(), 1);
    EXPECT_NEAR(frame.center().y(), second_.center().y() + second_.height() / 4, 1);
    ui_.DestroyDialog(copy);
}

TEST_F(TwoScreenTest, CentringOnTheCursorKeepsTheWindowOnTheCursorsScreen) {
    QWidget box;
    box.resize(200, 100);
    // Near the second screen's top-left corner: clamped to that corner, not to the first
    // screen's edges.
    QCursor::setPos(second_.topLeft() + QPoint(10, 10));
    CentreOnCursor(&box);
    EXPECT_EQ(box.pos(), second_.topLeft());
    QCursor::setPos(second_.bottomRight() - QPoint(5, 5));
    CentreOnCursor(&box);
    EXPECT_EQ(box.pos(), second_.bottomRight() - QPoint(199, 99));

    // Without an owner, CentreOnScreen uses the cursor's screen.
    QCursor::setPos(second_.center());
    CentreOnScreen(&box, 0, 0);
    EXPECT_EQ(box.pos(), second_.center() - QPoint(99, 49));
}

class LoginDialogTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        LoginName.clear();
        LoginPassword.clear();
        LoginDialogForServer = false;
        PrimaryLoginName = "SUPERVISOR";
    }
    void TearDown() override {
        LoginName.clear();
        LoginPassword.clear();
        DialogTest::TearDown();
    }
};

TEST_F(LoginDialogTest, StartsWithThePrimaryLoginNameAndTheRunPrompt) {
    LoginDialogView dialog(42);
    dialog.Start();
    EXPECT_EQ(dialog.windowTitle(), "Login");
    EXPECT_EQ(dialog.UserField()->text(), "SUPERVISOR");
    EXPECT_EQ(dialog.PasswordField()->text(), "");
    EXPECT_EQ(dialog.PasswordField()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.Prompt().startsWith("If you are copying files to any 3.x servers"));
}

TEST_F(LoginDialogTest, EmptyUserNameIsRefusedAndTheDialogStaysOpen) {
    LoginDialogView dialog(42);
    dialog.Start();
    dialog.show();
    dialog.UserField()->clear();
    QTest::mouseClick(qobject_cast<QPushButton*>(DialogControl(&dialog, 1)), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "A userid is required.");
    EXPECT_EQ(boxes_[0].owner, 42);
    EXPECT_EQ(boxes_[0].style, 0x10030u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(LoginDialogTest, TypedCredentialsAreUpperCasedAndKept) {
    LoginDialogView dialog(42);
    dialog.Start();
    dialog.show();
    dialog.UserField()->clear();
    QTest::keyClicks(dialog.UserField(), "jsmith");
    QTest::keyClicks(dialog.PasswordField(), "secret");
    EXPECT_EQ(dialog.UserField()->text(), "JSMITH");
    EXPECT_EQ(dialog.PasswordField()->text(), "SECRET");
    QTest::keyClicks(dialog.UserField(), QString(60, 'x'));
    EXPECT_EQ(dialog.UserField()->text().size(), 47);
    dialog.UserField()->setText("JSMITH");

    QTest::mouseClick(qobject_cast<QPushButton*>(DialogControl(&dialog, 1)), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(LoginName, "JSMITH");
    EXPECT_EQ(LoginPassword, "SECRET");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LoginDialogTest, CancelForgetsTheNameButKeepsThePassword) {
    LoginName = "JSMITH";
    LoginPassword = "SECRET";
    LoginDialogView dialog(42);
    dialog.Start();
    EXPECT_EQ(dialog.UserField()->text(), "JSMITH");
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(LoginName, "");
    EXPECT_EQ(LoginPassword, "SECRET");
}

TEST_F(LoginDialogTest, ARefusalGivesTheFocusBackToTheUserNameField) {
    bool overTheDialog = false;
    WhenModalOpens([&](QWidget* login) {
        auto* user = login->findChild<QLineEdit*>("id_218");
        ui_.SetBoxAnswerer([&](const QtWindowSystem::Box& box) {
            overTheDialog = box.over == login;
            main_->activateWindow();  // the window manager's choice once the box is gone
            QApplication::processEvents();
            return win::IDOK;
        });
        if (FocusComesTo(user)) {
            user->clear();
            TypeAtFocus(Qt::Key_Return);  // OK, refused: the name is empty
            // Typing goes on in the user name field.
            EXPECT_TRUE(FocusComesTo(user));
            TypeAtFocus("jsmith");
            EXPECT_EQ(user->text(), "JSMITH");
            TypeAtFocus(Qt::Key_Return);
        }
        if (login->isVisible())
            login->close();
    });
    EXPECT_EQ(ui_.ShowLoginDialog(win::kMainWindow), win::IDOK);
    EXPECT_TRUE(overTheDialog);
    EXPECT_EQ(LoginName, "JSMITH");
}

// F1 in the modal login dialog opens a help viewer that can be used beside it: it takes the
// mouse, so that it can be scrolled and closed.
TEST_F(LoginDialogTest, HelpFromTheDialogCanBeReadAndClosed) {
    bool opened = false, closed = false;
    WhenModalOpens([&](QWidget* login) {
        QTest::keyClick(login->findChild<QLineEdit*>("id_218"), Qt::Key_F1);
        HelpViewer* viewer = HelpViewerWindow();
        opened = viewer && QTest::qWaitForWindowExposed(viewer);
        QPushButton* close = nullptr;
        if (opened) {
            for (QPushButton* button : viewer->findChildren<QPushButton*>())
                if (button->text() == "&Close")
                    close = button;
        }
        if (close) {
            // Through the window, as the window system delivers a click: a modal dialog that
            // blocks the viewer swallows it.
            QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              close->mapTo(viewer, close->rect().center()));
            closed = !viewer->isVisible();
        }
        login->close();
    });
    ui_.ShowLoginDialog(win::kMainWindow);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(closed);
}

TEST_F(LoginDialogTest, FieldHelpOpensTheFieldsTopic) {
    LoginDialogView dialog(42);
    dialog.Start();
    dialog.show();
    QTest::keyClick(dialog.UserField(), Qt::Key_F1);
    EXPECT_EQ(OpenHelpTopic(), "ctx_3070");
    QEvent whatsThis(QEvent::WhatsThis);
    QApplication::sendEvent(dialog.PasswordField(), &whatsThis);
    EXPECT_EQ(OpenHelpTopic(), "ctx_3080");
}

class HelpPagesTest : public AppTest {};

TEST_F(HelpPagesTest, EveryTopicTheProgramAsksForExists) {
    const int contexts[] = {100,  990,  3070, 3080, 3090, 3100, 3110, 3120, 3130,
                            3140, 3150, 3160, 3170, 3180, 3190, 3200, 3210, 3220,
                            3230, 3240, 3260, 3270, 3280, 3470, 3500, 3520};
    for (int context : contexts)
        EXPECT_FALSE(HelpTopicFile("", QStringLiteral("ctx_%1").arg(context)).isEmpty()) << context;
    EXPECT_FALSE(HelpTopicFile("", "contents").isEmpty());
    EXPECT_FALSE(HelpTopicFile("", "using_help").isEmpty());
}

TEST_F(HelpPagesTest, EveryLinkOfEveryPageLeadsToAPage) {
    const QDir pages(":/help");
    const QStringList files = pages.entryList({"*.html"});
    ASSERT_GT(files.size(), 25);
    const QRegularExpression href(R"re(href="([^"#]+)")re");
    for (const QString& file : files) {
        QFile page(pages.filePath(file));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        for (auto it = href.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(pages.exists(target))
                << file.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST_F(HelpPagesTest, InstalledPagesComeBeforeTheCompiledOnes) {
    QDir base(QString::fromStdString(Dir("install/bin")));
    ASSERT_TRUE(base.mkpath("."));
    ASSERT_TRUE(base.mkpath("../share/farcast/help"));
    QFile shared(base.filePath("../share/farcast/help/ctx_100.html"));
    ASSERT_TRUE(shared.open(QIODevice::WriteOnly));
    shared.write("<p>installed</p>");
    shared.close();
    const QString dir = base.path();
    EXPECT_EQ(QDir::cleanPath(HelpTopicFile(dir, "ctx_100")),
              QDir::cleanPath(base.filePath("../share/farcast/help/ctx_100.html")));
    // A page missing from the installation still comes from the program itself.
    EXPECT_EQ(HelpTopicFile(dir, "ctx_990"), ":/help/ctx_990.html");

    ASSERT_TRUE(base.mkpath("help"));
    QFile local(base.filePath("help/ctx_100.html"));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.close();
    EXPECT_EQ(QDir::cleanPath(HelpTopicFile(dir, "ctx_100")),
              QDir::cleanPath(base.filePath("help/ctx_100.html")));
    EXPECT_TRUE(HelpTopicFile(dir, "no_such_topic").isEmpty());
}

TEST_F(HelpPagesTest, HelpEngineCommandsDriveTheViewer) {
    ui_.WinHelp(win::kMainWindow, "FARCAST.HLP", win::HELP_CONTEXT, 990);
    EXPECT_EQ(OpenHelpTopic(), "ctx_990");
    EXPECT_TRUE(HelpViewerWindow()->Browser()->toPlainText().contains("options sheet"));
    ui_.WinHelp(win::kMainWindow, "FARCAST.HLP", win::HELP_WM_HELP, 3140);
    EXPECT_EQ(OpenHelpTopic(), "ctx_3140");
    ui_.WinHelp(win::kMainWindow, "FARCAST.HLP", win::HELP_FINDER, 0);
    EXPECT_EQ(OpenHelpTopic(), "contents");
    ui_.WinHelp(win::kMainWindow, nullptr, win::HELP_HELPONHELP, 0);
    EXPECT_EQ(OpenHelpTopic(), "using_help");
    ui_.WinHelp(win::kMainWindow, "FARCAST.HLP", win::HELP_QUIT, 0);
    EXPECT_EQ(OpenHelpTopic(), "");
    EXPECT_EQ(HelpViewerWindow(), nullptr);
}

}  // namespace
