// The source check of a run and the pass each selected server gets: make the server usable,
// check its destination, warn about lost long names, refuse destinations that would copy the
// source onto or into itself, then copy the dropped files and directory trees.
#include "copy/per_server_pass.h"

#include "copy/case_twins.h"
#include "copy/copy_run.h"
#include "copy/file_copy.h"
#include "copy/path_utils.h"
#include "copy/places.h"
#include "copy/progress_dialogs.h"
#include "copy/run_driver.h"
#include "copy/tree_walk.h"
#include "netware/attach_login.h"
#include "netware/client_startup.h"
#include "netware/netware_client.h"
#include "netware/target_server.h"
#include "netware/volume_checks.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// The parts NWParsePath gives for a path, the directory path without its outer backslashes.
struct ParsedPath {
    NWCONN_HANDLE connection = 0;
    std::string server;
    std::string volume;
    std::string directory;
};

std::string TrimOuterBackslashes(std::string path) {
    if (!path.empty() && path.front() == '\\')
        path.erase(0, 1);
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

bool ParsePath(const std::string& path, ParsedPath* parsed) {
    char server[nw::kNameSize] = {};
    char volume[nw::kNameSize] = {};
    char directory[win::kPathBufferSize] = {};
    if (NetWare().NWParsePath(path.c_str(), server, &parsed->connection, volume, directory) !=
        nw::SUCCESSFUL)
        return false;
    parsed->server = server;
    parsed->volume = volume;
    parsed->directory = TrimOuterBackslashes(directory);
    return true;
}

std::string VolumeRootPath(const std::string& server, const std::string& volume) {
    return FormatText(LoadResString(IDS_FMT_SERVER_VOLUME), server.c_str(), volume.c_str()) +
           LoadResString(IDS_BACKSLASH);
}

// The server gets nothing: its share of the work counts as done for the overall bar, and it
// is not synchronised.
void GiveServerUp() {
    CopyRun.RunBytesProcessed += CopyRun.SourceBytes;
    CopyRun.SyncAllowed = false;
    MarkCurrentServerGivenUp();
    UpdateProgressBars();
}

// The place where the copy of a dropped item lands on this server: the destination directory
// and the item's own name, as the destination holds it when it is there already.
Place CopyPlace(const Place& root, const std::string& item) {
    const std::string name = LastComponent(item);
    win::FindData data;
    const win::ScopedFind find(
        win::Files().FindFirstFile(JoinPath(CopyRun.DestinationRoot, name).c_str(), &data));
    return root.Child(find.Valid() ? data.fileName : name);
}

// The run's sources are never written to: the server is refused when the destination lies
// inside a dropped directory (a tree copied into itself), or when the copy of any dropped item
// would land on the item itself, on another dropped item or on a directory holding one (a
// synchronisation there would delete it).
bool CopyWouldMeetSources(const std::string& destination) {
    // The sources are looked at afresh for every server: what the places are is what the
    // volumes hold now.
    DroppedPlaces.Set(CopyRun.DroppedFiles, CopyRun.DroppedDirectories);
    Place root;
    if (!ResolvePlace(destination, &root))
        return false;
    const std::string holding = DroppedPlaces.Holding(root);
    if (!holding.empty()) {
        ErrorBox(LoadResString(IDS_ERR_DEST_INSIDE_SOURCE), destination.c_str(), holding.c_str());
        return true;
    }
    for (const auto& [item, place] : DroppedPlaces.Items()) {
        if (place.server != root.server || place.volume != root.volume)
            continue;  // another volume never holds this one's entries
        const Place target = CopyPlace(root, item);
        if (target.Key() == place.Key())
            return SameSourceAndTarget(item, destination);
        std::string met = DroppedPlaces.Holding(target);
        if (met.empty())
            met = DroppedPlaces.Inside(target);
        if (!met.empty()) {
            ErrorBox(LoadResString(IDS_ERR_COPY_MEETS_SOURCE), item.c_str(), destination.c_str(),
                     met.c_str());
            return true;
        }
    }
    return false;
}

// The long-name warning; false when the run stops, *giveUp when this server is passed over.
bool WarnAboutLongNames(const std::string& serverName, const std::string& volume, bool* giveUp) {
    const std::string text =
        CopyOptions.UnattendedMode
            ? FormatText(LoadResString(IDS_WARN_NO_LONG_NAMES), serverName.c_str(), volume.c_str())
            : FormatText(LoadResString(IDS_WARN_NO_LONG_NAMES_ASK), serverName.c_str(),
                         volume.c_str(), serverName.c_str());
    const int answer =
        LogAndShow(win::kMainWindow, text.c_str(), LoadResString(IDS_CAPTION_FARCAST),
                   win::MB_ICONQUESTION | win::MB_YESNOCANCEL, true);
    if (answer == win::IDCANCEL)
        return false;
    *giveUp = answer == win::IDNO;
    return true;
}

// A dropped item whose copy would land on the name an earlier item's copy takes on this server:
// said and left out, here and by the synchronisation that follows.
bool LandsOnEarlierCopy(const std::string& item, LandingNames* landings) {
    const std::string name = LandingName(item);
    std::string earlier;
    if (name.empty() || landings->Take(name, item, &earlier))
        return false;
    ErrorAskContinue(LoadResString(IDS_ERR_SAME_LANDING), item.c_str(), earlier.c_str());
    CopyRun.LandingTwins.push_back(item);
    return true;
}

void CopyDroppedItems() {
    LandingNames landings;
    // Files always go before directories, whatever the order of the drop.
    for (const std::string& file : CopyRun.DroppedFiles) {
        win::PumpMessages();
        if (CancelRequested)
            break;
        if (LandsOnEarlierCopy(file, &landings))
            continue;
        const std::uint64_t copied = CopyOneFile(file, CopyRun.DestinationRoot);
        UpdateProgressBars();
        if (copied != 0)
            AddToTotals(copied);
    }
    for (const std::string& directory : CopyRun.DroppedDirectories) {
        win::PumpMessages();
        if (CancelRequested)
            break;
        if (LandsOnEarlierCopy(directory, &landings))
            continue;
        CopyDirectoryTree(directory, CopyRun.DestinationRoot);
    }
}

}  // namespace

bool CheckSourcePath(const std::string& path) {
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE dirHandle = 0;
    char netWarePath[win::kPathBufferSize] = {};
    if (NetWare().NWParseNetWarePath(path.c_str(), &conn, &dirHandle, netWarePath) !=
        nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_SOURCE_NOT_NETWARE), path.c_str());
        return false;
    }
    ParsedPath source;
    ParsePath(path, &source);
    CopyRun.SourceIsDirectoryServices = IsDirectoryServicesConnection(source.connection);
    CopyRun.SourceHasLongNames = SupportsLongNames(VolumeRootPath(source.server, source.volume));
    CopyRun.SourceVolumeCompresses =
        VolumeSupportsCompression(source.connection, source.server, source.volume);
    CopyRun.SourceLongNamesKnown = true;
    return true;
}

bool PerServerPass(const std::string& serverName, std::uint32_t serverIndex,
                   std::uint32_t serverCount) {
    CopyRun.LandingTwins.clear();
    if (!AttachAndLogin(serverName)) {
        GiveServerUp();
        // A bindery server passed over in 4.x-only mode needs no question, and it has not
        // failed: the user's own option excluded it.
        if (AttachSkippedAsBindery) {
            MarkCurrentServerPassedOver();
            return true;
        }
        return AskContinueWithNextServer(serverIndex, serverCount);
    }
    const NWCONN_HANDLE conn = TargetServer.connection;
    std::string volume;
    if (!CheckDestinationVolume(conn, serverName, CopyOptions.TargetPath, &volume)) {
        GiveServerUp();
        return AskContinueWithNextServer(serverIndex, serverCount);
    }
    NWDIR_HANDLE dirHandle = 0;
    std::string relativePath;
    if (!CheckDestinationPath(conn, &dirHandle, serverName, CopyOptions.TargetPath,
                              &relativePath)) {
        GiveServerUp();
        return AskContinueWithNextServer(serverIndex, serverCount);
    }

    CopyRun.DestHasLongNames = SupportsLongNames(VolumeRootPath(serverName, volume));
    CopyRun.CompressedCopyPossible = CopyOptions.CopyCompressed && CopyRun.SourceVolumeCompresses &&
                                     VolumeSupportsCompression(conn, serverName, volume);

    if (CopyRun.SourceHasLongNames && !CopyRun.DestHasLongNames) {
        bool giveUp = false;
        if (!WarnAboutLongNames(serverName, volume, &giveUp))
            return false;
        if (giveUp) {
            GiveServerUp();
            return true;
        }
    }

    CopyRun.DestinationRoot = FormatText(LoadResString(IDS_FMT_SERVER_PATH), serverName.c_str(),
                                         CopyOptions.TargetPath.c_str());
    if (CopyWouldMeetSources(CopyRun.DestinationRoot)) {
        GiveServerUp();
        return true;
    }

    CopyDroppedItems();
    return !CancelRequested;
}

bool AskContinueWithNextServer(std::uint32_t serverIndex, std::uint32_t serverCount) {
    if (CopyOptions.UnattendedMode)
        return true;
    if (serverIndex < serverCount) {
        const int answer =
            win::Ui().MessageBox(win::kMainWindow, LoadResString(IDS_ASK_NEXT_SERVER),
                                 LoadResString(IDS_CAPTION_FARCAST),
                                 win::MB_SETFOREGROUND | win::MB_ICONQUESTION | win::MB_YESNO);
        CancelRequested = answer == win::IDNO;
    }
    return !CancelRequested;
}

bool SameSourceAndTarget(const std::string& source, const std::string& destination) {
    // Compared as the entries the paths name, not as text: an alias, another letter case or a
    // trailing backslash reaches the same place.
    Place from;
    Place to;
    if (!ResolvePlace(source, &from) || !ResolvePlace(destination, &to) || from.parts.empty())
        return false;
    from.parts.pop_back();  // the directory that holds the source
    if (from.Key() != to.Key())
        return false;
    ErrorBox(LoadResString(IDS_ERR_SAME_DIRECTORY), source.c_str(), destination.c_str());
    return true;
}
