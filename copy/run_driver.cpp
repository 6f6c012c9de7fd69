// The copy run: from the selection check through counting and the servers to the summary.
// Everything one run holds (lists, totals, dialogs, buffer, log) is released when it ends.
#include "copy/run_driver.h"

#include <algorithm>
#include <functional>
#include <new>
#include <string_view>

#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "copy/per_server_pass.h"
#include "copy/progress_dialogs.h"
#include "copy/source_scan.h"
#include "netware/attach_login.h"
#include "netware/login_dialog.h"
#include "netware/target_server.h"
#include "report/log_file.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "settings/option_values.h"
#include "settings/options_sheet.h"
#include "settings/settings_store.h"
#include "sync/synchronise.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr int kServerBar = 205;
constexpr int kOverallBar = 224;

bool g_runInProgress = false;
bool g_lastRunReachedSummary = false;
// Index into CopyRun.ServerResults of the server being processed, or -1.
int g_currentServer = -1;
RunObserver* g_observer = nullptr;
std::function<void()> g_serverTurns;

// The run driver's own boxes: stop icon, OK, brought to the foreground; never logged.
void ShowRunMessage(unsigned textId) {
    win::Ui().MessageBox(win::kMainWindow, LoadResString(textId),
                         LoadResString(IDS_CAPTION_FARCAST),
                         win::MB_SETFOREGROUND | win::MB_ICONSTOP | win::MB_OK);
}

void CloseProgressDialog() {
    if (ProgressDialog != win::kNoWindow && win::Ui().IsWindow(ProgressDialog))
        win::Ui().DestroyDialog(ProgressDialog);
    ProgressDialog = win::kNoWindow;
}

void ReleaseCopyBuffer() {
    std::vector<char>().swap(CopyRun.CopyBuffer);
}

// Every end before the copying: nothing of the run is kept, no summary.
void EndRunEarly(bool logOpened) {
    CopyRun.drop.clear();
    ReleaseRunLists();
    CloseProgressDialog();
    ReleaseCopyBuffer();
    if (logOpened)
        CloseLogFile();
}

// The drop's directory becomes the first destination offered: the same place on every server.
void TrackSourceDirectory() {
    const auto lastSlash = CopyRun.FirstDroppedItem.rfind('\\');
    if (lastSlash == std::string::npos)
        return;
    std::string directory = CopyRun.FirstDroppedItem.substr(0, lastSlash + 1);
    if (CanonicalNetWarePath(directory, false))
        AddPathToHistory(directory);
}

void LogSourceTotals() {
    const std::string newline = LoadResString(IDS_NEWLINE);
    const std::string text =
        LoadResString(IDS_SOURCE_DIRECTORIES) + FormatCount(CopyRun.SourceDirectories) + newline +
        LoadResString(IDS_SOURCE_FILES) + FormatCount(CopyRun.SourceFiles) + newline +
        LoadResString(IDS_SOURCE_BYTES) + FormatCount(CopyRun.SourceBytes);
    LogAndShow(win::kMainWindow, text.c_str(), LoadResString(IDS_CAPTION_FARCAST),
               win::MB_ICONINFORMATION, false);
}

void ResetRunTotals() {
    CopyRun.RunFilesUpdated = ByteCount{};
    CopyRun.RunBytesUpdated = ByteCount{};
    CopyRun.RunBytesProcessed = ByteCount{};
    CopyRun.RunFilesDeleted = ByteCount{};
    CopyRun.RunDirectoriesDeleted = ByteCount{};
    CopyRun.RunBytesDeleted = ByteCount{};
}

void ResetServerTotals() {
    CopyRun.ServerBytesProcessed = ByteCount{};
    CopyRun.ServerFilesDeleted = ByteCount{};
    CopyRun.ServerDirectoriesDeleted = ByteCount{};
    CopyRun.ServerBytesDeleted = ByteCount{};
}

// BufferSize kilobytes, counted in 64 bits: a buffer that one read cannot fill, or that the
// memory cannot hold, ends the run with the allocation message, never with another size.
bool AllocateCopyBuffer() {
    const std::uint64_t bytes = TransferBufferBytes(CopyOptions.BufferSize);
    bool allocated = bytes <= kMaxTransferBufferBytes;
    if (allocated) {
        try {
            CopyRun.CopyBuffer.assign(static_cast<std::size_t>(bytes), 0);
        } catch (const std::bad_alloc&) {
            allocated = false;
        }
    }
    if (!allocated)
        ShowRunMessage(IDS_ERR_MEMORY);
    return allocated;
}

// One record per selected server, all not reached until their turn comes.
void StartServerResults() {
    CopyRun.ServerResults.clear();
    for (const int index : CopyRun.SelectedServers) {
        ServerResult result;
        result.name = win::Ui().ServerListText(index);
        CopyRun.ServerResults.push_back(result);
    }
}

// The server's turn is over: what its pass and synchronisation did, and how it ended.
void FinishServerResult(ServerResult& result, bool wentOn, std::uint64_t errorsBefore) {
    result.errors = CopyRun.ErrorMessages - errorsBefore;
    result.deletedFiles = CopyRun.ServerFilesDeleted;
    result.deletedDirectories = CopyRun.ServerDirectoriesDeleted;
    if (result.status != ServerStatus::GivenUp && result.status != ServerStatus::PassedOver)
        result.status = wentOn ? ServerStatus::Done : ServerStatus::Stopped;
}

// Steps up to the start of the copying; false when the run ended early.
bool PrepareRun(const std::vector<std::string>& drop, bool* logOpened) {
    CopyRun.drop = drop;
    if (GetSelectedServers() == 0 || CopyRun.drop.empty())
        return false;
    CopyRun.FirstDroppedItem = CopyRun.drop.front();
    CopyRun.SourceLongNamesKnown = false;
    CanonicalNetWarePath(CopyRun.FirstDroppedItem, true);
    if (!CheckSourcePath(CopyRun.FirstDroppedItem))
        return false;
    if (CopyOptions.TrackDirectory)
        TrackSourceDirectory();

    const int sheet = OpenOptionsSheet(win::kMainWindow);
    if (sheet == -1) {
        ShowRunMessage(IDS_ERR_OPTIONS_DIALOG);
        return false;
    }
    if (CancelRequested || sheet == 0)
        return false;

    if (CopyOptions.CreateLogfile) {
        if (OpenLogFile(CopyOptions.LogFileName) == win::INVALID_HANDLE_VALUE)
            return false;
        *logOpened = true;
    }
    LoginDialogForServer = false;
    if (CopyOptions.UnattendedMode && !CopyOptions.Netware4xServers)
        win::Ui().ShowLoginDialog(win::kMainWindow);  // credentials for bindery servers

    if (!CollectSources())
        return false;

    ProgressDialog = win::Ui().CreateProgressDialog(win::DialogKind::CopyFiles, win::kMainWindow);
    ResetRunTotals();
    CancelRequested = false;
    SetDialogBar(ProgressDialog, kOverallBar, 0);
    if (!AllocateCopyBuffer())
        return false;
    StartServerResults();
    return true;
}

// Undoes the login this run made on the server, and only that one.
void ReleaseServerIfLoggedInByRun() {
    if (TargetServer.statusRead && !TargetServer.wasLoggedIn &&
        TargetServer.connection != PrimaryConnection)
        ReleaseServer(TargetServer.connection);
}

void CopyToServers() {
    if (g_serverTurns) {
        g_serverTurns();
        return;
    }
    for (std::uint32_t i = 0; i < CopyRun.SelectedServerCount && !CancelRequested; ++i) {
        if (!RunServerTurn(i))
            break;
    }
}

void FinishRun(bool logOpened) {
    CloseProgressDialog();
    ReleaseRunLists();
    ReleaseCopyBuffer();
    ShowRunSummary();
    if (logOpened)
        CloseLogFile();
}

}  // namespace

void RunCopy(const std::vector<std::string>& drop) {
    RunCopyLeavingOut(drop, {});
}

void RunCopyLeavingOut(const std::vector<std::string>& drop,
                       const std::vector<SkippedName>& leftOut) {
    if (g_runInProgress) {
        ShowRunMessage(IDS_ERR_RUN_STILL_ENDING);
        g_lastRunReachedSummary = false;
        return;
    }
    g_runInProgress = true;
    g_lastRunReachedSummary = false;
    CopyRun.ServerResults.clear();
    CopyRun.SkippedNames = leftOut;
    CopyRun.ErrorMessages = 0;
    win::SetDialogCancelHandler(&ProgressDialogCancelled);
    bool logOpened = false;
    if (PrepareRun(drop, &logOpened)) {
        CopyToServers();
        FinishRun(logOpened);
        g_lastRunReachedSummary = true;
    } else {
        EndRunEarly(logOpened);
    }
    g_runInProgress = false;
}

bool RunServerTurn(std::uint32_t index) {
    CopyRun.SyncAllowed = true;
    const std::string name = win::Ui().ServerListText(CopyRun.SelectedServers[index]);
    g_currentServer = static_cast<int>(index);
    const std::uint64_t errorsBefore = CopyRun.ErrorMessages;
    TargetServer = TargetServerRecord{};
    TargetServer.name = name;
    if (ProgressDialog != win::kNoWindow && win::Ui().IsWindow(ProgressDialog))
        win::Ui().SendServerName(ProgressDialog, name);
    ResetServerTotals();
    SetDialogBar(ProgressDialog, kServerBar, 0);
    win::PumpMessages();
    bool goOn = PerServerPass(name, index + 1, CopyRun.SelectedServerCount);
    if (goOn) {
        win::PumpMessages();
        if (CopyOptions.SyncDirs && CopyRun.SyncAllowed && !CopyRun.DroppedDirectories.empty())
            goOn = SynchroniseServer(name);
    }
    // A run that stops on this server leaves its connection as it is.
    if (goOn)
        ReleaseServerIfLoggedInByRun();
    FinishServerResult(CopyRun.ServerResults[index], goOn, errorsBefore);
    g_currentServer = -1;
    return goOn;
}

void SetServerTurns(std::function<void()> turns) {
    g_serverTurns = std::move(turns);
}

bool RunInProgress() {
    return g_runInProgress;
}

bool LastRunReachedSummary() {
    return g_lastRunReachedSummary;
}

bool LastRunWentWrong() {
    const auto& results = CopyRun.ServerResults;
    const bool serverMissed = std::any_of(results.begin(), results.end(), [](const auto& r) {
        return r.status != ServerStatus::Done && r.status != ServerStatus::PassedOver;
    });
    return CopyRun.ErrorMessages != 0 || serverMissed || !CopyRun.SkippedNames.empty() ||
           LogWriteFailed();
}

void CountReportedMessage(const char* text, unsigned style) {
    // Errors only: texts that begin "ERROR - ", and stop boxes that are not warnings (a warning
    // shown with the stop icon, such as an expired password, is no error).
    const std::string_view said(text);
    const bool warning = said.starts_with(LoadResString(IDS_WARNING_PREFIX));
    if (said.starts_with(LoadResString(IDS_BATCH_ERROR_PREFIX)) ||
        ((style & win::MB_ICONMASK) == win::MB_ICONSTOP && !warning))
        ++CopyRun.ErrorMessages;
}

ServerResult* CurrentServerResult() {
    if (g_currentServer < 0 || g_currentServer >= static_cast<int>(CopyRun.ServerResults.size()))
        return nullptr;
    return &CopyRun.ServerResults[static_cast<std::size_t>(g_currentServer)];
}

void MarkCurrentServerGivenUp() {
    if (ServerResult* result = CurrentServerResult())
        result->status = ServerStatus::GivenUp;
}

void MarkCurrentServerPassedOver() {
    if (ServerResult* result = CurrentServerResult())
        result->status = ServerStatus::PassedOver;
}

void LeaveOutDroppedName(const std::string& path, std::uint32_t lookupError) {
    const bool missing =
        lookupError == win::ERROR_FILE_NOT_FOUND || lookupError == win::ERROR_PATH_NOT_FOUND;
    const std::string reason = missing ? std::string(LoadResString(IDS_BATCH_SKIP_MISSING))
                                       : FormatText(LoadResString(IDS_BATCH_SKIP_UNREADABLE),
                                                    static_cast<unsigned>(lookupError));
    CopyRun.SkippedNames.push_back({path, reason});
}

void SetRunObserver(RunObserver* observer) {
    g_observer = observer;
}

void ReportFileSkipped(const std::string& source, const std::string& destination,
                       SkipReason reason) {
    if (g_observer)
        g_observer->FileSkipped(source, destination, reason);
}

std::uint32_t GetSelectedServers() {
    std::vector<int> selection = win::Ui().ServerListSelection();
    if (selection.empty()) {
        ShowRunMessage(IDS_ERR_NO_SERVER_SELECTED);
        return 0;
    }
    std::sort(selection.begin(), selection.end());
    CopyRun.SelectedServers = std::move(selection);
    CopyRun.SelectedServerCount = static_cast<std::uint32_t>(CopyRun.SelectedServers.size());
    return CopyRun.SelectedServerCount;
}

bool CollectSources() {
    CopyRun.SourceDirectories = ByteCount{};
    CopyRun.SourceFiles = ByteCount{};
    CopyRun.SourceBytes = ByteCount{};
    // Names are kept whole: one too long for the program is reported by the scan, never cut.
    CopyRun.DroppedPaths = std::move(CopyRun.drop);
    CopyRun.drop.clear();

    ProgressDialog = win::Ui().CreateProgressDialog(win::DialogKind::ReadDir, win::kMainWindow);
    CancelRequested = false;
    ScanSources();
    CopyRun.DroppedPaths.clear();
    CloseProgressDialog();

    if (CopyOptions.CreateLogfile)
        LogSourceTotals();
    return !CancelRequested;
}

void AddToTotals(std::uint64_t bytes) {
    CopyRun.RunBytesUpdated += ByteCount::From(bytes);
    ++CopyRun.RunFilesUpdated;
    if (ServerResult* result = CurrentServerResult()) {
        result->bytes += ByteCount::From(bytes);
        ++result->files;
    }
}

void ReleaseRunLists() {
    CopyRun.DroppedPaths.clear();
    CopyRun.DroppedFiles.clear();
    CopyRun.DroppedDirectories.clear();
    CopyRun.SelectedServers.clear();
}
