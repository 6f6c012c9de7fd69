// Synchronisation of one server: every dropped directory's destination copy loses what the
// source directory no longer holds. Deleting never reaches outside the destination copy of the
// dropped directory being synchronised, and never touches the source.
#include "sync/synchronise.h"

#include <algorithm>
#include <cctype>

#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "copy/progress_dialogs.h"
#include "settings/copy_options.h"
#include "sync/deletion.h"

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// True when one path is the other or lies inside it (names compare in any case).
bool Overlap(const std::string& a, const std::string& b) {
    const std::string ua = Upper(a);
    const std::string ub = Upper(b);
    const auto inside = [](const std::string& inner, const std::string& outer) {
        return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
               inner[outer.size()] == '\\';
    };
    return ua == ub || inside(ua, ub) || inside(ub, ua);
}

// The name of the source directory's copy: toward a volume without long names the copy used
// the directory's 8.3 alias. Empty when that alias cannot be had (the copy could not have made
// the directory either).
std::string CopyName(const std::string& sourceDir) {
    if (!CopyRun.SourceHasLongNames || CopyRun.DestHasLongNames)
        return LastComponent(sourceDir);
    char shortPath[win::MAX_PATH] = {};
    const std::uint32_t length =
        win::Files().GetShortPathName(sourceDir.c_str(), shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath)
        return {};
    return LastComponent(shortPath);
}

bool SyncEntry(const win::FindData& entry, const std::string& sourceDir,
               const std::string& destinationDir) {
    const std::string entryPath = JoinPath(destinationDir, entry.fileName);
    if (entry.attributes & win::FILE_ATTRIBUTE_DIRECTORY) {
        if (!CopyOptions.CopySubDirs)
            return true;
        if (SourceLacks(entryPath, sourceDir))
            return DeleteDestinationTree(entryPath);
        return SyncDirectory(JoinPath(sourceDir, entry.fileName), destinationDir);
    }
    SetDialogField(SyncDialog, kSyncCheckingField,
                   FitPathToControl(SyncDialog, kSyncCheckingField, entryPath));
    if (!SourceLacks(entryPath, sourceDir))
        return true;
    return DeleteDestinationFile(entryPath, entry.size);
}

}  // namespace

bool SourceLacks(const std::string& entryPath, const std::string& sourceDir) {
    win::FindData found;
    const win::ScopedFind find(
        win::Files().FindFirstFile(JoinPath(sourceDir, LastComponent(entryPath)).c_str(), &found));
    if (find.Valid())
        return false;
    return win::Files().GetLastError() == win::ERROR_FILE_NOT_FOUND;
}

bool SyncDirectory(const std::string& sourceDir, const std::string& destinationParent) {
    const std::string name = CopyName(sourceDir);
    if (name.empty())
        return true;
    const std::string destinationDir = JoinPath(destinationParent, name);
    if (destinationDir.size() > kMaxPath || Overlap(destinationDir, sourceDir))
        return true;  // never made by the copy, or the source itself: nothing to delete

    win::FindData entry;
    const win::ScopedFind find(
        win::Files().FindFirstFile(JoinPath(destinationDir, "*.*").c_str(), &entry));
    if (!find.Valid())
        return true;  // the destination directory does not exist: nothing to do
    do {
        win::PumpMessages();
        if (CancelRequested)
            return false;
        if (!PassedOver(entry.fileName) && !SyncEntry(entry, sourceDir, destinationDir))
            return false;
    } while (win::Files().FindNextFile(find.Get(), &entry));
    return true;
}

bool SynchroniseServer(const std::string& serverName) {
    // Owned by the main window; the window system disables the copy dialog beneath it.
    SyncDialog = win::Ui().CreateProgressDialog(win::DialogKind::SyncDir, win::kMainWindow);
    if (SyncDialog != win::kNoWindow)
        win::Ui().SendServerName(SyncDialog, serverName);

    for (const std::string& directory : CopyRun.DroppedDirectories) {
        if (!SyncDirectory(directory, CopyRun.DestinationRoot))
            break;
    }

    if (SyncDialog != win::kNoWindow && win::Ui().IsWindow(SyncDialog))
        win::Ui().DestroyDialog(SyncDialog);
    SyncDialog = win::kNoWindow;
    return !CancelRequested;
}
