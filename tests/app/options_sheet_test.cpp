// The Qt options sheet over the sheet's rules: tabs, lazily built pages, the rules as the
// widgets show them, OK and Cancel, the history combo box, the file dialogs and help.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>

#include "app/main_window.h"
#include "app/options_sheet_view.h"
#include "app_fixture.h"
#include "copy/copy_run.h"
#include "scripted/scripted_window_system.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"
#include "tests/support/test_network.h"

namespace {

class OptionsSheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedOptions_ = CopyOptions;
        savedHistory_ = TargetPathHistory;
        CopyOptions = CopyOptionsRecord{};
        TargetPathHistory = {"\\DATA\\APPS"};
        win::SetUi(&ui_);
    }
    void TearDown() override {
        win::SetUi(nullptr);
        CopyOptions = savedOptions_;
        TargetPathHistory = savedHistory_;
    }

    static QAbstractButton* Button(OptionsSheetView& sheet, int id) {
        return qobject_cast<QAbstractButton*>(sheet.Control(id));
    }
    static void Open(OptionsSheetView& sheet, int page) { sheet.Tabs()->setCurrentIndex(page); }

    win::ScriptedWindowSystem ui_;
    CopyOptionsRecord savedOptions_;
    std::list<std::string> savedHistory_;
};

TEST_F(OptionsSheetTest, FivePagesInOrderCopyingFirstNoApply) {
    OptionsSheetView sheet(nullptr);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Farcast Options"));
    ASSERT_EQ(sheet.Tabs()->count(), 5);
    const char* names[] = {"Copying", "Errors", "Overwrites", "Attributes", "Advanced"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sheet.Tabs()->tabText(i), QString::fromLatin1(names[i]));
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
    // OK, Cancel, Help and no Apply: the sheet's own buttons are the only ones outside pages.
    QStringList buttons;
    for (QPushButton* b : sheet.findChildren<QPushButton*>())
        if (!sheet.Tabs()->isAncestorOf(b))
            buttons << b->text();
    EXPECT_EQ(buttons, (QStringList{"OK", "Cancel", "Help"}));
    EXPECT_TRUE(sheet.OkButton()->isDefault());
}

TEST_F(OptionsSheetTest, ControlsAtTheirDialogUnitPositionsWithTheirCaptions) {
    OptionsSheetView sheet(nullptr);
    for (int page = 1; page < 5; ++page)
        Open(sheet, page);
    const DialogUnits u;
    EXPECT_EQ(sheet.Control(242)->geometry(), u.Rect(12, 16, 216, 12));
    EXPECT_EQ(sheet.Control(200)->geometry(), u.Rect(178, 43, 50, 14));
    EXPECT_EQ(sheet.Control(64)->geometry(), u.Rect(20, 92, 64, 12));
    EXPECT_EQ(sheet.Control(241)->geometry(), u.Rect(104, 20, 123, 88));
    EXPECT_EQ(sheet.Control(216)->pos(), QPoint(u.X(12), u.Y(44)));
    EXPECT_EQ(sheet.Control(216)->width(), u.X(160));
    EXPECT_EQ(sheet.Tabs()->widget(0)->size(), QSize(u.X(240), u.Y(148)));

    EXPECT_EQ(Button(sheet, 200)->text(), QStringLiteral("&Select..."));
    EXPECT_EQ(Button(sheet, 16)->text(), QStringLiteral("&16 kilobytes"));
    // Every identifier of the five pages is there.
    for (int id : {242, 216, 200, 212, 334, 232, 211, 217, 206, 222, 199, 234, 207, 335,
                   208, 209, 210, 213, 215, 231, 237, 235, 4,   8,   16,  32,  64,  241})
        EXPECT_NE(sheet.Control(id), nullptr) << id;
    // The hidden check box stays hidden; the Advanced text is the two joined entries.
    EXPECT_TRUE(sheet.Control(335)->isHidden());
    const QString advanced = qobject_cast<QLabel*>(sheet.Control(241))->text();
    EXPECT_TRUE(advanced.startsWith(QStringLiteral("Using a small buffer size")));
    EXPECT_TRUE(advanced.contains(QStringLiteral("links.\n\nUsing a large buffer size")));
}

TEST_F(OptionsSheetTest, PagesAreInitialisedAndAppliedOnlyWhenShown) {
    CopyOptions.CreateLogfile = 0;
    CopyOptions.VerboseLogging = 1;
    CopyOptions.BufferSize = 12;
    {
        OptionsSheetView sheet(nullptr);
        EXPECT_TRUE(sheet.Model().PageCreated(kCopyingPage));
        EXPECT_FALSE(sheet.Model().PageCreated(kErrorsPage));
        EXPECT_EQ(sheet.Control(206), nullptr);
        EXPECT_EQ(sheet.Control(4), nullptr);
        sheet.Ok();
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
        EXPECT_EQ(CopyOptions.VerboseLogging, 1u);
        EXPECT_EQ(CopyOptions.BufferSize, 12u);
    }
    {
        OptionsSheetView sheet(nullptr);
        Open(sheet, kErrorsPage);
        ASSERT_NE(sheet.Control(234), nullptr);
        EXPECT_FALSE(sheet.Control(234)->isEnabled());
        Open(sheet, kAdvancedPage);
        for (int id : {4, 8, 16, 32, 64})
            EXPECT_FALSE(Button(sheet, id)->isChecked()) << id;
        sheet.Ok();
        EXPECT_EQ(CopyOptions.VerboseLogging, 0u);
        EXPECT_EQ(CopyOptions.BufferSize, 4u);
    }
}

TEST_F(OptionsSheetTest, SynchronisationRuleShowsInTheCheckBoxes) {
    CopyOptions.SyncDirs = 1;
    CopyOptions.OnlyCopyExistingFiles = 1;
    CopyOptions.PromptOnDeletion = 1;
    OptionsSheetView sheet(nullptr);
    EXPECT_TRUE(Button(sheet, 211)->isChecked());
    EXPECT_FALSE(Button(sheet, 334)->isChecked());
    EXPECT_FALSE(Button(sheet, 334)->isEnabled());
    EXPECT_TRUE(Button(sheet, 217)->isEnabled());

    Button(sheet, 211)->click();
    EXPECT_FALSE(Button(sheet, 211)->isChecked());
    EXPECT_TRUE(Button(sheet, 334)->isEnabled());
    EXPECT_FALSE(Button(sheet, 217)->isEnabled());
    EXPECT_TRUE(Button(sheet, 217)->isChecked());  // keeps its mark while disabled

    Button(sheet, 334)->click();
    EXPECT_TRUE(Button(sheet, 334)->isChecked());
    sheet.Ok();
    EXPECT_EQ(CopyOptions.SyncDirs, 0u);
    EXPECT_EQ(CopyOptions.OnlyCopyExistingFiles, 1u);
}

TEST_F(OptionsSheetTest, LogFileRuleShowsInTheErrorsPage) {
    CopyOptions.CreateLogfile = 0;
    OptionsSheetView sheet(nullptr);
    Open(sheet, kErrorsPage);
    for (int id : {222, 199, 234, 207})
        EXPECT_FALSE(sheet.Control(id)->isEnabled()) << id;
    Button(sheet, 206)->click();
    for (int id : {222, 199, 234, 207})
        EXPECT_TRUE(sheet.Control(id)->isEnabled()) << id;
    Button(sheet, 234)->click();
    Button(sheet, 207)->click();
    EXPECT_TRUE(Button(sheet, 234)->isChecked());
    Button(sheet, 206)->click();
    EXPECT_FALSE(Button(sheet, 234)->isChecked());
    EXPECT_FALSE(Button(sheet, 207)->isChecked());
}

TEST_F(OptionsSheetTest, EmptyLogFileNameKeepsTheErrorsPage) {
    CopyOptions.CreateLogfile = 1;
    CopyOptions.LogFileName = "";
    OptionsSheetView sheet(nullptr);
    sheet.show();
    Open(sheet, kErrorsPage);
    Open(sheet, kOverwritesPage);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), kErrorsPage);
    EXPECT_EQ(ui_.CountBoxes("A log file name is required"), 1);
    EXPECT_FALSE(sheet.Model().PageCreated(kOverwritesPage));

    // A typed name is taken on leaving the tab, and Cancel does not undo that.
    auto* edit = qobject_cast<QLineEdit*>(sheet.Control(222));
    QTest::keyClicks(edit, QStringLiteral("run.log"));
    Open(sheet, kOverwritesPage);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), kOverwritesPage);
    CancelRequested = false;
    sheet.CancelButton()->click();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(CopyOptions.LogFileName, "run.log");
    EXPECT_TRUE(CancelRequested);
}

TEST_F(OptionsSheetTest, NeverOverwriteClearsAndDisablesTheOthers) {
    CopyOptions.OverwriteOlder = 1;
    CopyOptions.PromptOnOverwrite = 1;
    OptionsSheetView sheet(nullptr);
    Open(sheet, kOverwritesPage);
    EXPECT_TRUE(Button(sheet, 209)->isChecked());
    EXPECT_TRUE(Button(sheet, 210)->isChecked());  // both may be on together
    Button(sheet, 208)->click();
    for (int id : {209, 210}) {
        EXPECT_FALSE(Button(sheet, id)->isChecked()) << id;
        EXPECT_FALSE(Button(sheet, id)->isEnabled()) << id;
    }
    Button(sheet, 208)->click();
    EXPECT_TRUE(Button(sheet, 209)->isEnabled());
}

TEST_F(OptionsSheetTest, RadioButtonsCheckOneBufferSize) {
    CopyOptions.BufferSize = 16;
    OptionsSheetView sheet(nullptr);
    Open(sheet, kAdvancedPage);
    EXPECT_TRUE(Button(sheet, 16)->isChecked());
    Button(sheet, 64)->click();
    Button(sheet, 64)->click();  // clicking the checked one keeps it checked
    for (int id : {4, 8, 16, 32})
        EXPECT_FALSE(Button(sheet, id)->isChecked()) << id;
    EXPECT_TRUE(Button(sheet, 64)->isChecked());
    sheet.Ok();
    EXPECT_EQ(CopyOptions.BufferSize, 64u);
}

TEST_F(OptionsSheetTest, EmptyDestinationRefusesOkAndShowsTheCopyingPage) {
    TargetPathHistory.clear();
    OptionsSheetView sheet(nullptr);
    sheet.show();
    auto* combo = qobject_cast<QComboBox*>(sheet.Control(216));
    EXPECT_EQ(combo->count(), 0);
    Open(sheet, kAttributesPage);
    sheet.OkButton()->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), kCopyingPage);
    EXPECT_EQ(ui_.CountBoxes("You must specify a destination path for file copies."), 1);
    EXPECT_EQ(ui_.beeps.size(), 1u);
    sheet.reject();
}

// The sheet in the program's window system, its boxes answered like a user who then finds the
// main window focused (as a window manager may leave it when the box closes).
class SheetBoxTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        main_ = std::make_unique<MainWindow>(WindowPlacement{});
        ui_.SetMainWindow(main_.get(), main_->ServerList());
        main_->show();
        CopyOptions = CopyOptionsRecord{};
        TargetPathHistory = {"\\DATA\\APPS"};
        sheet_ = std::make_unique<OptionsSheetView>(main_.get());
        ui_.SetBoxAnswerer([this](const QtWindowSystem::Box& box) {
            boxes_.push_back(box);
            pageUnderTheBox_ = sheet_->Tabs()->currentIndex();
            main_->activateWindow();  // the window manager's choice once the box is gone
            return win::IDOK;
        });
        sheet_->show();  // modal to the main window
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet_.get()));
    }
    void TearDown() override {
        sheet_.reset();
        main_.reset();
        AppTest::TearDown();
    }
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<OptionsSheetView> sheet_;
    int pageUnderTheBox_ = -1;
};

TEST_F(SheetBoxTest, AfterTheLogNameBoxTypingReachesTheLogFileName) {
    sheet_->Tabs()->setCurrentIndex(kErrorsPage);
    qobject_cast<QAbstractButton*>(sheet_->Control(206))->click();
    sheet_->Tabs()->setCurrentIndex(kOverwritesPage);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "A log file name is required if you want to log messages.");
    EXPECT_EQ(boxes_[0].over, sheet_.get());
    EXPECT_TRUE(FocusComesTo(sheet_->Control(222)));
    TypeAtFocus("run.log");
    EXPECT_EQ(qobject_cast<QLineEdit*>(sheet_->Control(222))->text(), "run.log");
}

// A page that refuses (a missing log file name or destination) is the page shown while its box
// is up, and stays shown.
TEST_F(SheetBoxTest, TheRefusingPageIsShownUnderItsBox) {
    const struct {
        const char* text;
        int from;
        bool ok;  // OK pressed, else another tab clicked
        int refusing;
    } cases[] = {
        {"A log file name is required if you want to log messages.", kErrorsPage, false,
         kErrorsPage},
        {"A log file name is required if you want to log messages.", kErrorsPage, true,
         kErrorsPage},
        {"You must specify a destination path for file copies.", kAdvancedPage, true, kCopyingPage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        boxes_.clear();
        pageUnderTheBox_ = -1;
        TargetPathHistory.clear();
        CopyOptions.CreateLogfile = 1;
        CopyOptions.LogFileName = c.refusing == kErrorsPage ? "" : "run.log";
        sheet_ = std::make_unique<OptionsSheetView>(main_.get());
        sheet_->show();
        sheet_->Tabs()->setCurrentIndex(c.from);
        if (c.ok)
            sheet_->OkButton()->click();
        else
            sheet_->Tabs()->setCurrentIndex(kAttributesPage);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.text);
        EXPECT_EQ(pageUnderTheBox_, c.refusing);
        EXPECT_EQ(sheet_->Tabs()->currentIndex(), c.refusing);
        EXPECT_TRUE(sheet_->isVisible());
    }
}

TEST_F(OptionsSheetTest, CancelSetsCancelRequestedAndKeepsTheOptions) {
    CopyOptions.CopySubDirs = 0;
    CancelRequested = false;
    OptionsSheetView sheet(nullptr);
    sheet.show();
    Button(sheet, 212)->click();
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(CopyOptions.CopySubDirs, 0u);
}

TEST_F(OptionsSheetTest, HistoryComboFollowsTheSelection) {
    TargetPathHistory = {"\\DATA\\A", "\\DATA\\B", "\\DATA\\C"};
    OptionsSheetView sheet(nullptr);
    auto* combo = qobject_cast<QComboBox*>(sheet.Control(216));
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentIndex(), 0);
    emit combo->activated(2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("\\DATA\\C"));
    EXPECT_EQ(combo->currentIndex(), 0);
    sheet.Ok();
    EXPECT_EQ(CopyOptions.TargetPath, "\\DATA\\C");
}

TEST_F(OptionsSheetTest, DropDownOpensWiderToTheRight) {
    EXPECT_EQ(WidenedDropDownWidth(170), 230);
    EXPECT_EQ(WidenedDropDownWidth(16), 21);  // 16 * 6 / 17 rounds down to 5
    TargetPathHistory = {"\\DATA\\A", "\\DATA\\B"};
    OptionsSheetView sheet(nullptr);
    sheet.show();
    auto* combo = qobject_cast<PathComboBox*>(sheet.Control(216));
    ASSERT_NE(combo, nullptr);
    combo->showPopup();
    QWidget* popup = combo->Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->width(), WidenedDropDownWidth(combo->width()));
    EXPECT_EQ(popup->x(), combo->mapToGlobal(QPoint(0, 0)).x());
    combo->hidePopup();
}

TEST_F(OptionsSheetTest, FolderPickerIsTitledAndItsPickIsRewritten) {
    TestNetwork net(R"(
        [workstation]
        primary_server = "HQ"
        login_name = "ADMIN"
        [[server]]
        name = "HQ"
        connection = "logged_in"
          [[server.volume]]
          name = "DATA"
    )");
    net.MakeDir("HQ/DATA/proj");
    net.Install();

    OptionsSheetView sheet(nullptr);
    QString title;
    QString answer = QStringLiteral("\\\\HQ\\DATA\\PROJ");
    sheet.SetFolderPicker([&](QWidget*, const QString& t) {
        title = t;
        return answer;
    });
    Button(sheet, 200)->click();
    EXPECT_EQ(title, QStringLiteral("Select a target volume\\dir for all servers"));
    auto* combo = qobject_cast<QComboBox*>(sheet.Control(216));
    ASSERT_EQ(combo->count(), 2);
    // The volume path CanonicalNetWarePath gives; its letter case is that function's own.
    EXPECT_EQ(combo->itemText(0).toUpper(), QStringLiteral("\\DATA\\PROJ"));
    EXPECT_EQ(combo->currentIndex(), 0);

    // A volume itself is its root.
    answer = QStringLiteral("\\\\HQ\\DATA");
    Button(sheet, 200)->click();
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("\\DATA"));

    // A place the workstation cannot reach is refused with its message; the history stays.
    answer = QStringLiteral("\\\\NOWHERE\\DATA\\X");
    Button(sheet, 200)->click();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "ERROR - Cannot verify target path \\\\NOWHERE\\DATA\\X. It is either not a "
              "NetWare file system path or you do not have a connection to that file server.");
    EXPECT_EQ(combo->count(), 3);
    // A cancelled browser changes nothing.
    answer.clear();
    Button(sheet, 200)->click();
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(ui_.boxes.size(), 1u);
}

TEST_F(OptionsSheetTest, LogFileDialogFillsTheFieldWithItsFilterAndTitle) {
    CopyOptions.CreateLogfile = 1;
    CopyOptions.LogFileName = "old.log";
    OptionsSheetView sheet(nullptr);
    Open(sheet, kErrorsPage);
    QString title, initial, filter;
    sheet.SetSaveFilePicker([&](QWidget*, const QString& t, const QString& i, const QString& f) {
        title = t;
        initial = i;
        filter = f;
        return QStringLiteral("/var/tmp/new.log");
    });
    Button(sheet, 199)->click();
    EXPECT_EQ(title, QStringLiteral("Select Log File"));
    EXPECT_EQ(initial, QStringLiteral("*.log"));
    EXPECT_EQ(filter, QStringLiteral("Log Files (*.log);;Text Files (*.txt);;All Files (*)"));
    EXPECT_EQ(qobject_cast<QLineEdit*>(sheet.Control(222))->text(),
              QStringLiteral("/var/tmp/new.log"));
    // The field reaches the option only on OK (or on leaving the page).
    EXPECT_EQ(CopyOptions.LogFileName, "old.log");
    sheet.Ok();
    EXPECT_EQ(CopyOptions.LogFileName, "/var/tmp/new.log");

    EXPECT_EQ(OptionsSheetView::QtFilter(QStringLiteral("Logs|*.log;*.txt||")),
              QStringLiteral("Logs (*.log *.txt)"));
    EXPECT_EQ(OptionsSheetView::QtFilter(QString()), QString());
}

TEST_F(OptionsSheetTest, HelpButtonAndContextHelp) {
    OptionsSheetView sheet(nullptr);
    sheet.show();
    sheet.HelpButton()->click();
    ASSERT_EQ(ui_.helpCalls.size(), 1u);
    EXPECT_EQ(ui_.helpCalls[0].helpFile, "FARCAST.HLP");
    EXPECT_EQ(ui_.helpCalls[0].command, win::HELP_CONTEXT);
    EXPECT_EQ(ui_.helpCalls[0].data, 990u);

    // F1 on the focused control gives that control's topic.
    QWidget* subdirs = sheet.Control(212);
    QApplication::setActiveWindow(&sheet);
    subdirs->setFocus();
    QTest::keyClick(subdirs, Qt::Key_F1);
    ASSERT_EQ(ui_.helpCalls.size(), 2u);
    EXPECT_EQ(ui_.helpCalls[1].command, win::HELP_WM_HELP);
    EXPECT_EQ(ui_.helpCalls[1].data, 3170u);

    // What's This on a control.
    QHelpEvent whatsThis(QEvent::WhatsThis, QPoint(1, 1), subdirs->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(sheet.Control(200), &whatsThis);
    ASSERT_EQ(ui_.helpCalls.size(), 3u);
    EXPECT_EQ(ui_.helpCalls[2].command, win::HELP_WM_HELP);
    EXPECT_EQ(ui_.helpCalls[2].data, 3150u);

    // A control the map does not name gives no help, not the sheet's topic.
    sheet.OkButton()->setFocus();
    QTest::keyClick(sheet.OkButton(), Qt::Key_F1);
    EXPECT_EQ(ui_.helpCalls.size(), 3u);
}

TEST_F(OptionsSheetTest, BufferSizeRadiosAreOneGroupForTheKeyboard) {
    CopyOptions.BufferSize = 16;
    OptionsSheetView sheet(nullptr);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    Open(sheet, kAdvancedPage);
    // One tab stop: the checked button.
    for (int id : {4, 8, 32, 64})
        EXPECT_FALSE(sheet.Control(id)->focusPolicy() & Qt::TabFocus) << id;
    EXPECT_TRUE(sheet.Control(16)->focusPolicy() & Qt::TabFocus);

    // The arrows move the focus and the check mark, round the group.
    sheet.Control(16)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Control(32));
    EXPECT_TRUE(Button(sheet, 32)->isChecked());
    EXPECT_FALSE(Button(sheet, 16)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Control(4));
    EXPECT_TRUE(Button(sheet, 4)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), sheet.Control(64));
    EXPECT_TRUE(sheet.Control(64)->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(sheet.Control(4)->focusPolicy() & Qt::TabFocus);
    for (int id : {4, 8, 16, 32})
        EXPECT_FALSE(Button(sheet, id)->isChecked()) << id;
    sheet.Ok();
    EXPECT_EQ(CopyOptions.BufferSize, 64u);
}

TEST_F(OptionsSheetTest, WithNoSizeCheckedTheFirstRadioIsTheTabStop) {
    CopyOptions.BufferSize = 12;  // hand-edited: no button matches
    OptionsSheetView sheet(nullptr);
    Open(sheet, kAdvancedPage);
    EXPECT_TRUE(sheet.Control(4)->focusPolicy() & Qt::TabFocus);
    for (int id : {8, 16, 32, 64})
        EXPECT_FALSE(sheet.Control(id)->focusPolicy() & Qt::TabFocus) << id;
}

}  // namespace
