// SIGTERM and SIGINT in the desktop program: a real signal to the test process cancels what
// runs or waits, and the program ends as its Exit command does.
#include "app/stop_signal_bridge.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <functional>

#include "app/main_window.h"
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

[[server]]
name = "BRANCH"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)";

class StopSignalTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        window_ = std::make_unique<MainWindow>(WindowPlacement{100, 120, 300, 500});
        ui_.SetMainWindow(window_.get(), window_->ServerList());
        window_->SetDropHandler([](const std::vector<std::string>& names) { RunCopy(names); });
        window_->ShowAtPlacement();
    }
    void TearDown() override {
        window_.reset();
        AppTest::TearDown();
    }

    // The network with a large file to copy, the server list filled and BRANCH selected.
    void StartNetwork(TestNetwork& net) {
        net.WriteFile("HQ/DATA/big.bin", std::string(32 << 20, 'x'));
        net.MakeDir("BRANCH/DATA/IN");
        net.Install();
        ASSERT_TRUE(StartNetWareClient());
        ASSERT_TRUE(FillServerList());
        window_->ServerList()->findItems("BRANCH", Qt::MatchExactly)[0]->setSelected(true);
        TargetPathHistory = {"\\DATA\\IN"};
        CopyOptions.BufferSize = 1;  // many chunks, each with its pump
    }

    // Calls step every few milliseconds until it returns true.
    static void Repeat(std::function<bool()> step) {
        QTimer::singleShot(2, [step] {
            if (!step())
                Repeat(step);
        });
    }

    static bool PressOkOnTheSheet() {
        QWidget* sheet = QApplication::activeModalWidget();
        auto* ok = sheet ? sheet->findChild<QPushButton*>("id_1") : nullptr;
        if (!ok)
            return false;
        ok->click();
        return true;
    }

    static bool TemporaryFileIn(const std::string& directory) {
        for (const auto& entry : std::filesystem::directory_iterator(directory))
            if (entry.path().filename().string().rfind("FCT", 0) == 0)
                return true;
        return false;
    }

    void WaitForExit(QSignalSpy& exited) {
        for (int i = 0; i < 500 && exited.count() == 0; ++i)
            QTest::qWait(10);
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(StopSignalTest, WhenIdleTheProgramEndsAsItsExitCommandDoes) {
    StopSignalBridge bridge;
    ASSERT_TRUE(bridge.Installed());
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    std::raise(SIGTERM);
    WaitForExit(exited);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_TRUE(bridge.Ending());
    EXPECT_EQ(StoredDword("AlreadyRun"), 1);
    EXPECT_EQ(StoredDword("Left"), 100) << "the placement is saved";
}

TEST_F(StopSignalTest, AnInterruptDuringACopyCancelsItAndEndsTheProgramAfterTheRun) {
    TestNetwork net(kNetwork);
    StartNetwork(net);
    StopSignalBridge bridge;
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    const std::string destination = net.LocalPath("BRANCH/DATA/IN");
    bool raised = false;
    Repeat([&] {
        PressOkOnTheSheet();
        if (!TemporaryFileIn(destination))
            return false;
        raised = true;
        std::raise(SIGINT);
        return true;
    });
    window_->HandleDrop({"\\\\HQ\\DATA\\big.bin"});
    WaitForExit(exited);

    EXPECT_TRUE(raised);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_FALSE(RunInProgress());
    EXPECT_FALSE(net.Exists("BRANCH/DATA/IN/big.bin")) << "the file was abandoned";
    EXPECT_FALSE(TemporaryFileIn(destination)) << "no temporary file is left";
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().text, "Updated or created 0 files totalling 0 bytes");
    EXPECT_EQ(StoredDword("AlreadyRun"), 1);
}

TEST_F(StopSignalTest, AWaitingDialogIsAnsweredWithTheAnswerThatStops) {
    TestNetwork net(kNetwork);
    StartNetwork(net);
    StopSignalBridge bridge;
    QSignalSpy exited(window_.get(), &MainWindow::exited);
    // SIGTERM while the options sheet waits for the user: the sheet is cancelled.
    Repeat([&] {
        if (!QApplication::activeModalWidget())
            return false;
        std::raise(SIGTERM);
        return true;
    });
    window_->HandleDrop({"\\\\HQ\\DATA\\big.bin"});
    WaitForExit(exited);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_FALSE(net.Exists("BRANCH/DATA/IN/big.bin"));
    EXPECT_TRUE(boxes_.empty()) << "a run cancelled at its options sheet shows no summary";

    // A Yes/No box (no Escape answer) gets No.
    QMessageBox box(QMessageBox::Critical, "Farcast", "ERROR - x",
                    QMessageBox::Yes | QMessageBox::No);
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    EXPECT_EQ(box.exec(), QMessageBox::No);
}

}  // namespace
