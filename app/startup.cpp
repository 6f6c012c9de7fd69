#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>

#include "app/app_icon.h"
#include "app/banner.h"
#include "app/help_viewer.h"
#include "copy/progress_dialogs.h"
#include "netware/client_startup.h"
#include "netware/server_list.h"
#include "platform/registry.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"
#include "util/format_text.h"
#include "util/shell_word.h"
#include "util/string_table.h"

namespace {

constexpr unsigned kStopBox = win::MB_OK | win::MB_ICONSTOP | win::MB_SETFOREGROUND;
constexpr unsigned kInfoBox = win::MB_OK | win::MB_ICONINFORMATION | win::MB_SETFOREGROUND;
constexpr unsigned kWarningBox = win::MB_OK | win::MB_ICONEXCLAMATION | win::MB_SETFOREGROUND;
constexpr int kFirstStartHelp = 100;

void StartupBox(win::WindowId owner, const std::string& text, unsigned style) {
    win::Ui().MessageBox(owner, text, LoadResString(IDS_CAPTION_FARCAST), style);
}

bool NetworkExistsAt(const std::string& root) {
    return QFileInfo(QDir(QString::fromStdString(root)).filePath(QStringLiteral("network.toml")))
        .exists();
}

bool NetworkChosenByEnvironment() {
    const char* chosen = std::getenv("FARCAST_NETWORK");
    return chosen && *chosen;
}

std::string SettingsProblemText(const win::RegistryProblem& problem) {
    if (problem.line == 0)
        return FormatText(LoadResString(IDS_SETTINGS_FILE_UNREADABLE), problem.path.c_str());
    if (problem.keptAs.empty())
        return FormatText(LoadResString(IDS_SETTINGS_FILE_DAMAGED_KEPT), problem.path.c_str(),
                          problem.line);
    return FormatText(LoadResString(IDS_SETTINGS_FILE_DAMAGED), problem.path.c_str(), problem.line,
                      problem.keptAs.c_str());
}

}  // namespace

void ShowSettingsProblems(win::WindowId owner) {
    const std::vector<win::RegistryProblem> problems = win::TakeRegistryProblems();
    if (problems.empty())
        return;
    std::string text;
    for (const win::RegistryProblem& problem : problems) {
        if (!text.empty())
            text += "\r\n\r\n";
        text += SettingsProblemText(problem);
    }
    StartupBox(owner, text, kWarningBox);
}

FarcastSession::~FarcastSession() {
    CloseHelpViewer();
    window.reset();
    if (ui) {
        win::SetDialogCancelHandler(nullptr);
        win::SetUi(nullptr);
    }
    ui.reset();
    if (network) {
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
    }
    network.reset();
}

std::unique_ptr<sim::SimNetwork> OpenStartupNetwork(win::WindowId owner) {
    const std::string root = sim::SimNetwork::DefaultRoot();
    if (!NetworkChosenByEnvironment() && !NetworkExistsAt(root)) {
        std::string error;
        QDir().mkpath(QFileInfo(QString::fromStdString(root)).absolutePath());
        if (!sim::CreateDemoNetwork(root, &error)) {
            StartupBox(owner,
                       FormatText(LoadResString(IDS_ERR_DEMO_NETWORK), root.c_str(), error.c_str()),
                       kStopBox);
            return nullptr;
        }
        StartupBox(owner, FormatText(LoadResString(IDS_DEMO_NETWORK_CREATED), root.c_str()),
                   kInfoBox);
    }
    // A place named by FARCAST_NETWORK that holds no network: what to do about it.
    if (!NetworkExistsAt(root)) {
        StartupBox(
            owner,
            FormatText(LoadResString(IDS_TERM_NO_NETWORK), root.c_str(), ShellWord(root).c_str()),
            kStopBox);
        return nullptr;
    }
    std::string error;
    std::unique_ptr<sim::SimNetwork> network = sim::SimNetwork::Open(root, &error);
    if (!network)
        StartupBox(owner,
                   FormatText(LoadResString(IDS_ERR_NETWORK_UNUSABLE), root.c_str(), error.c_str()),
                   kStopBox);
    return network;
}

bool StartFarcast(FarcastSession* session) {
    if (!session->ui)
        session->ui = std::make_unique<QtWindowSystem>();
    win::SetUi(session->ui.get());
    win::SetDialogCancelHandler(&ProgressDialogCancelled);

    WindowPlacement placement;
    std::uint32_t code = 0;
    if (!OpenSettingsKeyAtStartup(&placement, &code)) {
        // A damaged settings file is why, when it could not be moved aside.
        ShowSettingsProblems(win::kNoWindow);
        StartupBox(win::kNoWindow, FormatText(LoadResString(IDS_ERR_REGISTRY_KEY), code), kStopBox);
        return false;
    }

    session->window = std::make_unique<MainWindow>(placement);
    session->ui->SetMainWindow(session->window.get(), session->window->ServerList());
    LoadOptions();
    session->window->ShowAtPlacement();
    // Both settings files have been read: a damaged one is said once, in the window.
    ShowSettingsProblems(win::kMainWindow);

    ShowStartupBanner(session->window.get());

    // The network is the NetWare client's world: it is opened where the client starts, with
    // the main window already shown, and its failures end the program as the client's do.
    session->network = OpenStartupNetwork(win::kMainWindow);
    if (!session->network)
        return false;
    session->network->Install();
    if (!StartNetWareClient())
        return false;
    if (!FillServerList())
        return false;
    session->window->InstallAccelerators();
    if (AlreadyRun == 0)
        win::Ui().WinHelp(win::kMainWindow, LoadResString(IDS_HELP_FILE), win::HELP_CONTEXT,
                          kFirstStartHelp);
    return true;
}

int RunFarcast() {
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(AppIcon());
    FarcastSession session;
    if (!StartFarcast(&session))
        return 0;
    QObject::connect(session.window.get(), &MainWindow::exited, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QApplication::exec();
    return 0;
}
