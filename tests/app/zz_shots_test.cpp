#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include "app/login_dialog.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/qt_window_system.h"
#include "app/sync_dialog.h"
#include "netware/login_dialog.h"
#include "netware/target_server.h"
TEST(Shots, Take) {
    QtWindowSystem ui; win::SetUi(&ui);
    MainWindow main(WindowPlacement{});
    ui.SetMainWindow(&main, main.ServerList());
    main.show();
    auto id = ui.CreateProgressDialog(win::DialogKind::CopyFiles, win::kMainWindow);
    ui.SendServerName(id, "ACME_SALES");
    ui.SetDlgItemText(id, 201, "\\\\ACME_HQ\\DATA\\PROJ\\REPORTS\\QUARTERLY.XLS");
    ui.SetDlgItemText(id, 202, "\\\\ACME_SALES\\DATA\\PROJ\\REPORTS\\QUARTERLY.XLS");
    ui.SetDlgItemText(id, 223, "1,234,567");
    ui.SetDlgItemText(id, 233, "617,283");
    ui.SetProgressPos(id, 204, 50); ui.SetProgressPos(id, 205, 30); ui.SetProgressPos(id, 224, 15);
    auto rd = ui.CreateProgressDialog(win::DialogKind::ReadDir, win::kMainWindow);
    ui.SetDlgItemText(rd, 225, "\\\\ACME_HQ\\DATA\\PROJ\\REPORTS");
    ui.SetDlgItemText(rd, 226, "1,024"); ui.SetDlgItemText(rd, 221, "37"); ui.SetDlgItemText(rd, 223, "123,456,789");
    auto sd = ui.CreateProgressDialog(win::DialogKind::SyncDir, id);
    ui.SendServerName(sd, "ACME_SALES");
    ui.SetDlgItemText(sd, 216, "\\\\ACME_SALES\\DATA\\PROJ\\OLD.TXT");
    ui.SetDlgItemText(sd, 226, "3"); ui.SetDlgItemText(sd, 221, "1"); ui.SetDlgItemText(sd, 223, "4,096");
    PrimaryLoginName = "ADMIN";
    LoginDialogView login(77); login.Start(); login.show();
    QTest::qWait(300);
    ui.Widget(id)->grab().save("/tmp/app/copy.png");
    ui.Widget(rd)->grab().save("/tmp/app/count.png");
    ui.Widget(sd)->grab().save("/tmp/app/sync.png");
    login.grab().save("/tmp/app/login.png");
    win::SetUi(nullptr);
}
