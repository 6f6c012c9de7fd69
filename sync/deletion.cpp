// Deleting destination entries that the source no longer holds, with the questions, reports
// and counts that go with each deletion.
#include "sync/deletion.h"

#include <algorithm>
#include <cctype>

#include "copy/case_twins.h"
#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "copy/places.h"
#include "copy/progress_dialogs.h"
#include "netware/netware_client.h"
#include "report/log_file.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

bool Prompting() {
    return CopyOptions.PromptOnDeletion && !CopyOptions.UnattendedMode;
}

// A destination entry that is a dropped item, lies inside one or holds one. Synchronisation
// never reaches such a place when the pass has refused overlapping destinations; this keeps
// it so whatever the way there.
bool IsOrHoldsSource(const std::string& path) {
    Place place;
    return ResolvePlace(path, &place) && DroppedPlaces.Overlaps(place);
}

}  // namespace

bool NothingListed() {
    const std::uint32_t error = win::Files().GetLastError();
    return error == win::ERROR_FILE_NOT_FOUND || error == win::ERROR_PATH_NOT_FOUND;
}

bool DestinationListingFailed(const std::string& directory) {
    if (NothingListed())
        return true;
    ErrorAskContinue(LoadResString(IDS_ERR_CANNOT_READ_DEST_DIR), directory.c_str(),
                     win::Files().GetLastError());
    return !CancelRequested;
}

bool PassedOver(const std::string& name) {
    return name.empty() || name[0] == '.' || name.find_first_of("\\/") != std::string::npos;
}

int AskDelete(const std::string& path) {
    const std::string text = FormatText(LoadResString(IDS_ASK_DELETE), path.c_str());
    const int answer =
        win::Ui().MessageBox(win::kMainWindow, text, LoadResString(IDS_CAPTION_FARCAST),
                             win::MB_SETFOREGROUND | win::MB_ICONQUESTION | win::MB_YESNOCANCEL);
    if (answer == win::IDCANCEL)
        CancelRequested = true;
    return answer;
}

bool ReportDeleteFailure(const std::string& path) {
    const unsigned format = CopyOptions.UnattendedMode ? IDS_ERR_DELETE : IDS_ASK_DELETE_FAILED;
    const std::string text = FormatText(LoadResString(format), path.c_str());
    const int answer =
        LogAndShow(win::kMainWindow, text.c_str(), LoadResString(IDS_CAPTION_FARCAST),
                   win::MB_ICONQUESTION | win::MB_YESNOCANCEL, true);
    // The question reports a failure: it counts as an error however it is answered, as the
    // unattended text (which begins "ERROR - ") does.
    if (!CopyOptions.UnattendedMode)
        ++CopyRun.ErrorMessages;
    if (CopyOptions.UnattendedMode || answer == win::IDYES || answer == win::IDOK)
        return true;
    if (answer == win::IDCANCEL)
        CancelRequested = true;
    return false;
}

void CountDeletedFile(const std::string& path, std::uint64_t size) {
    const ByteCount bytes = ByteCount::From(size);
    CopyRun.RunBytesDeleted += bytes;
    ++CopyRun.RunFilesDeleted;
    CopyRun.ServerBytesDeleted += bytes;
    ++CopyRun.ServerFilesDeleted;
    SetDialogCount(SyncDialog, kSyncFilesDeletedField, CopyRun.ServerFilesDeleted);
    SetDialogCount(SyncDialog, kSyncBytesDeletedField, CopyRun.ServerBytesDeleted);
    if (CopyOptions.VerboseLogging)
        WriteVerboseRecord(IDS_LOG_DELETED_FILE, path);
}

void CountDeletedDirectory(const std::string& path) {
    ++CopyRun.ServerDirectoriesDeleted;
    ++CopyRun.RunDirectoriesDeleted;
    SetDialogCount(SyncDialog, kSyncDirsDeletedField, CopyRun.ServerDirectoriesDeleted);
    if (CopyOptions.VerboseLogging)
        WriteVerboseRecord(IDS_LOG_DELETED_DIR, path);
}

namespace {

// A temporary file (the form GetTempFileName gives: a prefix of three characters, up to four
// hexadecimal digits, ".TMP") that another program holds: another run writing it, a copy
// under way. It is no leftover of the source's: passed over, silently.
bool AnotherProgramsTemporary(const std::string& path, std::uint32_t error) {
    if (error != win::ERROR_SHARING_VIOLATION)
        return false;
    const std::string name = LastComponent(path);
    if (name.size() < 9 || name.size() > 12 ||
        !SameNameIgnoringCase(name.substr(name.size() - 4), ".TMP"))
        return false;
    return std::all_of(name.begin() + 3, name.end() - 4,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

bool DeleteDestinationFile(const std::string& path, std::uint64_t size) {
    if (IsOrHoldsSource(path))
        return true;  // a source of the run is never deleted
    if (Prompting()) {
        const int answer = AskDelete(path);
        if (answer == win::IDCANCEL)
            return false;
        if (answer != win::IDYES)
            return true;  // kept
    }
    // Normal attributes first: a read-only file cannot be deleted. A file that then cannot be
    // deleted gets its attributes back: it is kept as it was, read-only protection included.
    const std::uint32_t attributes = win::Files().GetFileAttributes(path.c_str());
    std::uint32_t error = 0;
    if (win::Files().SetFileAttributes(path.c_str(), win::FILE_ATTRIBUTE_NORMAL)) {
        if (win::Files().DeleteFile(path.c_str())) {
            CountDeletedFile(path, size);
            return true;
        }
        error = win::Files().GetLastError();
        if (attributes != win::INVALID_FILE_ATTRIBUTES)
            win::Files().SetFileAttributes(path.c_str(), attributes);
    } else {
        error = win::Files().GetLastError();
    }
    if (AnotherProgramsTemporary(path, error))
        return true;
    return ReportDeleteFailure(path);
}

bool DeleteDestinationTree(const std::string& directory) {
    if (IsOrHoldsSource(directory))
        return true;  // a source of the run, or a directory holding one, is never deleted
    {
        win::FindData entry;
        const win::ScopedFind find(
            win::Files().FindFirstFile(JoinPath(directory, "*.*").c_str(), &entry));
        if (!find.Valid() && !NothingListed()) {
            // Unknown contents: the directory is kept whole, and that is said.
            return DestinationListingFailed(directory);
        }
        if (find.Valid()) {
            do {
                win::PumpMessages();
                if (CancelRequested)
                    return false;
                if (PassedOver(entry.fileName))
                    continue;
                const std::string entryPath = JoinPath(directory, entry.fileName);
                if (entry.attributes & win::FILE_ATTRIBUTE_DIRECTORY) {
                    if (!DeleteDestinationTree(entryPath))
                        return false;
                    continue;
                }
                SetDialogField(SyncDialog, kSyncCheckingField,
                               FitPathToControl(SyncDialog, kSyncCheckingField, entryPath));
                if (!DeleteDestinationFile(entryPath, entry.size))
                    return false;
            } while (win::Files().FindNextFile(find.Get(), &entry));
        }
    }  // the enumeration ends before the directory itself goes

    if (Prompting()) {
        const int answer = AskDelete(directory);
        if (answer == win::IDCANCEL)
            return false;
        if (answer != win::IDYES)
            return true;
    }
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE dirHandle = 0;
    char relativePath[win::kPathBufferSize] = {};
    if (NetWare().NWParseNetWarePath(directory.c_str(), &conn, &dirHandle, relativePath) == 0 &&
        NetWare().NWDeleteDirectory(conn, dirHandle, relativePath) == 0) {
        CountDeletedDirectory(directory);
        return true;
    }
    return ReportDeleteFailure(directory);
}
