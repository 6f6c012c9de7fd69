#include "tools/done_lines.h"

#include "dryrun/dry_run.h"
#include "dryrun/overlay.h"
#include "resources/string_ids.h"
#include "util/string_table.h"

namespace done_lines {

using dryrun::Overlay;

NWCCODE DoneClient::NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                  std::uint8_t nameSpace, std::uint8_t dataStream, const char* path,
                                  NW_NS_OPENCREATE* request, win::HANDLE* fileHandle) {
    const NWCCODE code =
        inner_.NWOpenNSEntry(conn, dirHandle, nameSpace, dataStream, path, request, fileHandle);
    const bool writes =
        request && ((request->openCreateMode & (nw::OC_MODE_CREATE | nw::OC_MODE_REPLACE)) != 0 ||
                    (request->accessRights & nw::AR_WRITE) != 0);
    // The source the engine opened last is the one the next copy copies.
    if (code == nw::SUCCESSFUL && !writes) {
        const std::string key = state_.KeyOf(inner_, conn, dirHandle, path);
        state_.currentSource = state_.Shown(conn, path ? path : "", key.empty() ? path : key);
    }
    return code;
}

NWCCODE DoneClient::NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                      std::uint8_t accessMask) {
    const std::string key = state_.KeyOf(inner_, conn, dirHandle, path);
    const NWCCODE code = inner_.NWCreateDirectory(conn, dirHandle, path, accessMask);
    if (code == nw::SUCCESSFUL && !key.empty())
        state_.Plan(IDS_TERM_DONE_MKDIR, Overlay::ServerOf(key), state_.Shown(conn, path, key));
    return code;
}

NWCCODE DoneClient::NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                      const char* path) {
    const std::string key = state_.KeyOf(inner_, conn, dirHandle, path);
    const NWCCODE code = inner_.NWDeleteDirectory(conn, dirHandle, path);
    if (code == nw::SUCCESSFUL && !key.empty())
        state_.Plan(IDS_TERM_DONE_RMDIR, Overlay::ServerOf(key), state_.Shown(conn, path, key));
    return code;
}

std::uint32_t DoneFiles::GetTempFileName(const char* directory, const char* prefix,
                                         std::uint32_t unique, char* tempFile) {
    const std::uint32_t got = inner_.GetTempFileName(directory, prefix, unique, tempFile);
    if (got != 0 && tempFile)
        temporaries_.insert(Overlay::Key(tempFile));
    return got;
}

// The engine moves only its own temporary files: the copy takes the destination's place, and
// whether that is a copy or a replacement depends on what the destination held.
bool DoneFiles::MoveFileEx(const char* from, const char* to, std::uint32_t flags) {
    const std::string toKey = Overlay::Key(to ? to : "");
    const bool replaces = inner_.GetFileAttributes(to) != win::INVALID_FILE_ATTRIBUTES;
    if (!inner_.MoveFileEx(from, to, flags))
        return false;
    temporaries_.erase(Overlay::Key(from ? from : ""));
    if (!toKey.empty())
        state_.Plan(replaces ? IDS_TERM_DONE_REPLACE : IDS_TERM_DONE_COPY, Overlay::ServerOf(toKey),
                    state_.currentSource, to);
    return true;
}

bool DoneFiles::DeleteFile(const char* path) {
    const std::string key = Overlay::Key(path ? path : "");
    if (!inner_.DeleteFile(path))
        return false;
    // A temporary file the run gives up is no action of its own.
    if (temporaries_.erase(key) == 0 && !key.empty())
        state_.Plan(IDS_TERM_DONE_DELETE, Overlay::ServerOf(key), path);
    return true;
}

}  // namespace done_lines

DoneLines::DoneLines(NetWareClient& client, win::FileServices& files, std::ostream& out)
    : state_(out), client_(client, state_), files_(files, state_) {}

DoneLines::~DoneLines() {
    if (installed_) {
        SetRunObserver(nullptr);
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
    }
}

void DoneLines::Install() {
    SetNetWare(&client_);
    win::SetFiles(&files_);
    SetRunObserver(this);
    installed_ = true;
}

void DoneLines::FileSkipped(const std::string& source, const std::string& destination,
                            SkipReason reason) {
    const std::string key = dryrun::Overlay::Key(destination);
    state_.Plan(IDS_TERM_DONE_SKIP, key.empty() ? std::string() : dryrun::Overlay::ServerOf(key),
                source, destination, LoadResString(SkipReasonText(reason)));
}
