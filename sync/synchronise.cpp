// Synchronisation of one server: every dropped directory's destination copy loses what the
// source directory no longer holds. Deleting never reaches outside the destination copy of the
// dropped directory being synchronised, and never touches the source.
#include "sync/synchronise.h"

#include <algorithm>

#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "copy/places.h"
#include "copy/progress_dialogs.h"
#include "settings/copy_options.h"
#include "sync/deletion.h"

namespace {

// True when the source directory can be listed; one that cannot is unknown, and what its copy
// holds is kept (the copy has reported it).
bool SourceReadable(const std::string& sourceDir) {
    win::FindData entry;
    const win::ScopedFind find(
        win::Files().FindFirstFile(JoinPath(sourceDir, "*.*").c_str(), &entry));
    return find.Valid() || win::Files().GetLastError() == win::ERROR_FILE_NOT_FOUND;
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
    const std::string name = LandingName(sourceDir);
    if (name.empty())
        return true;
    const std::string destinationDir = JoinPath(destinationParent, name);
    // A copy the walk could not have made has nothing of ours in it; a destination that is,
    // holds or lies inside a source of the run is never synchronised.
    Place destination;
    if (!WithinPathLimit(destinationDir) || !ResolvePlace(destinationDir, &destination) ||
        DroppedPlaces.Overlaps(destination) || !SourceReadable(sourceDir))
        return true;

    win::FindData entry;
    const win::ScopedFind find(
        win::Files().FindFirstFile(JoinPath(destinationDir, "*.*").c_str(), &entry));
    if (!find.Valid())
        return DestinationListingFailed(destinationDir);
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
    DroppedPlaces.Set(CopyRun.DroppedFiles, CopyRun.DroppedDirectories);
    // Owned by the main window; the window system disables the copy dialog beneath it.
    SyncDialog = win::Ui().CreateProgressDialog(win::DialogKind::SyncDir, win::kMainWindow);
    if (SyncDialog != win::kNoWindow)
        win::Ui().SendServerName(SyncDialog, serverName);

    for (const std::string& directory : CopyRun.DroppedDirectories) {
        // A twin's destination is the copy of another dropped directory: left alone.
        if (std::find(CopyRun.LandingTwins.begin(), CopyRun.LandingTwins.end(), directory) !=
            CopyRun.LandingTwins.end())
            continue;
        if (!SyncDirectory(directory, CopyRun.DestinationRoot))
            break;
    }

    if (SyncDialog != win::kNoWindow && win::Ui().IsWindow(SyncDialog))
        win::Ui().DestroyDialog(SyncDialog);
    SyncDialog = win::kNoWindow;
    return !CancelRequested;
}
