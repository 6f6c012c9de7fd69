// The source check of a run and the pass each selected server gets: make the server usable,
// check its destination, warn about lost long names, refuse destinations that would copy the
// source onto or into itself, then copy the dropped files and directory trees.
#include "copy/per_server_pass.h"

#include <strings.h>

#include "copy/copy_run.h"
#include "copy/file_copy.h"
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
    char directory[win::MAX_PATH] = {};
    if (NetWare().NWParsePath(path.c_str(), server, &parsed->connection, volume, directory) !=
        nw::SUCCESSFUL)
        return false;
    parsed->server = server;
    parsed->volume = volume;
    parsed->directory = TrimOuterBackslashes(directory);
    return true;
}

bool SameText(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
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

// True when directory equals ancestor or lies below it (both without outer backslashes).
bool IsSameOrBelow(const std::string& directory, const std::string& ancestor) {
    if (ancestor.empty())
        return true;  // the volume root holds everything
    if (directory.size() < ancestor.size() ||
        strncasecmp(directory.c_str(), ancestor.c_str(), ancestor.size()) != 0)
        return false;
    return directory.size() == ancestor.size() || directory[ancestor.size()] == '\\';
}

// A destination inside a dropped directory would copy that tree into itself, without end.
bool DestinationInsideDroppedDirectory(const std::string& destination) {
    ParsedPath target;
    if (!ParsePath(destination, &target))
        return false;
    for (const std::string& dropped : CopyRun.DroppedDirectories) {
        ParsedPath source;
        if (!ParsePath(dropped, &source))
            continue;
        if (source.connection == target.connection && SameText(source.volume, target.volume) &&
            IsSameOrBelow(target.directory, source.directory)) {
            ErrorBox(LoadResString(IDS_ERR_DEST_INSIDE_SOURCE), destination.c_str(),
                     dropped.c_str());
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

void CopyDroppedItems() {
    // Files always go before directories, whatever the order of the drop.
    for (const std::string& file : CopyRun.DroppedFiles) {
        win::PumpMessages();
        if (CancelRequested)
            break;
        const std::uint64_t copied = CopyOneFile(file, CopyRun.DestinationRoot);
        UpdateProgressBars();
        if (copied != 0)
            AddToTotals(copied);
    }
    for (const std::string& directory : CopyRun.DroppedDirectories) {
        win::PumpMessages();
        if (CancelRequested)
            break;
        CopyDirectoryTree(directory, CopyRun.DestinationRoot);
    }
}

}  // namespace

bool CheckSourcePath(const std::string& path) {
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE dirHandle = 0;
    char netWarePath[win::MAX_PATH] = {};
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
    if (!AttachAndLogin(serverName)) {
        GiveServerUp();
        // A bindery server passed over in 4.x-only mode needs no question.
        if (AttachSkippedAsBindery)
            return true;
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
    if (SameSourceAndTarget(CopyRun.FirstDroppedItem, CopyRun.DestinationRoot) ||
        DestinationInsideDroppedDirectory(CopyRun.DestinationRoot)) {
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
    ParsedPath from;
    ParsedPath to;
    if (!ParsePath(source, &from) || !ParsePath(destination, &to))
        return false;
    // The directory that holds the source: its path without the last name.
    const auto lastSlash = from.directory.rfind('\\');
    const std::string holder =
        lastSlash == std::string::npos ? std::string() : from.directory.substr(0, lastSlash);
    if (from.connection == to.connection && SameText(from.volume, to.volume) &&
        SameText(holder, to.directory)) {
        ErrorBox(LoadResString(IDS_ERR_SAME_DIRECTORY), source.c_str(), destination.c_str());
        return true;
    }
    return false;
}
