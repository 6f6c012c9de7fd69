// Sorting the dropped names into files and directories and counting what the copy will touch,
// live in the counting dialog.
#include "copy/source_scan.h"

#include <algorithm>

#include "copy/case_twins.h"
#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "copy/progress_dialogs.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr int kPathField = 225;
constexpr int kFilesField = 226;
constexpr int kDirectoriesField = 221;
constexpr int kBytesField = 223;

void ShowPath(const std::string& path) {
    SetDialogField(ProgressDialog, kPathField, FitPathToControl(ProgressDialog, kPathField, path));
}

void CountFile(std::uint64_t size) {
    ++CopyRun.SourceFiles;
    SetDialogCount(ProgressDialog, kFilesField, CopyRun.SourceFiles);
    // The whole size: files of 4 GiB and more are copied whole, so they count whole.
    CopyRun.SourceBytes += ByteCount::From(size);
    SetDialogCount(ProgressDialog, kBytesField, CopyRun.SourceBytes);
}

void CountDroppedDirectory(const std::string& path) {
    CopyRun.DroppedDirectories.push_back(path);
    ++CopyRun.SourceDirectories;
    SetDialogCount(ProgressDialog, kDirectoriesField, CopyRun.SourceDirectories);
    CountDirectory(path);
}

bool IsDirectory(const win::FindData& data) {
    return (data.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A dropped name the program cannot hold is reported and left out; it is never cut to fit.
// Names inside dropped directories are not reported here: the copy reports them, once for
// each server, and the count leaves them out as the copy will.
bool DroppedNameFits(const std::string& path) {
    if (WithinPathLimit(path))
        return true;
    ErrorBox(LoadResString(IDS_ERR_PATH_TOO_LONG), path.c_str());
    CopyRun.SkippedNames.push_back({path, LoadResString(IDS_SKIP_PATH_TOO_LONG)});
    return false;
}

// Dropped items whose names are the same in any case would land on one copy on every server:
// one would replace the other's files, and with synchronisation each would delete what the
// other delivered. The first is taken; every later one is reported and left out.
bool TwinOfEarlierDrop(const std::string& path) {
    const std::string name = LastComponent(path);
    for (const std::vector<std::string>* list :
         {&CopyRun.DroppedFiles, &CopyRun.DroppedDirectories}) {
        for (const std::string& earlier : *list) {
            const std::string other = LastComponent(earlier);
            if (earlier == path || !SameNameIgnoringCase(other, name))
                continue;  // the same item dropped again is copied again, onto its own copy
            const bool caseOnly = other != name;
            const unsigned said = caseOnly ? unsigned{IDS_ERR_CASE_TWIN} : IDS_ERR_SAME_LANDING;
            const unsigned reason = caseOnly ? unsigned{IDS_SKIP_CASE_TWIN} : IDS_SKIP_SAME_LANDING;
            ErrorBox(LoadResString(said), path.c_str(), earlier.c_str());
            CopyRun.SkippedNames.push_back(
                {path, FormatText(LoadResString(reason), earlier.c_str())});
            return true;
        }
    }
    return false;
}

bool IsVolumeRoot(const std::string& path) {
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' &&
           std::count(path.begin(), path.end(), '\\') == 3;
}

// A dropped name that is neither a drive root nor a volume root: looked up itself.
void ClassifyDroppedEntry(const std::string& path) {
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(path.c_str(), &data));
    if (!find.Valid()) {
        const std::uint32_t error = win::Files().GetLastError();
        // Gone since the drop: left out without a box, and said in the results. Anything else
        // is not "gone" but unknown, and is said at once.
        if (error != win::ERROR_FILE_NOT_FOUND && error != win::ERROR_PATH_NOT_FOUND)
            ErrorBox(LoadResString(IDS_ERR_CANNOT_READ_DROPPED), path.c_str(), error);
        return LeaveOutDroppedName(path, error);
    }
    if (TwinOfEarlierDrop(path))
        return;
    if (!IsDirectory(data)) {
        CopyRun.DroppedFiles.push_back(path);
        CountFile(data.size);
    } else if (data.fileName.empty() || data.fileName[0] != '.') {
        CountDroppedDirectory(path);
    }
}

}  // namespace

void ScanSources() {
    for (const std::string& entry : CopyRun.DroppedPaths) {
        win::PumpMessages();
        if (CancelRequested)
            return;
        // The canonical form is what would be copied: one beyond the limit is refused, never
        // delivered under the shorter form it was dropped by. A path that names no entry is
        // used as given.
        std::string path = entry;
        std::string canonical;
        if (CanonicalNetWarePathAnyLength(entry, true, &canonical))
            path = canonical;
        if (!DroppedNameFits(path))
            continue;
        ShowPath(path);
        if (path.size() == 3) {
            // A drive root such as X:\ is kept as its drive designator.
            CountDroppedDirectory(path.substr(0, 2));
        } else if (IsVolumeRoot(path)) {
            CountDroppedDirectory(path);
        } else {
            ClassifyDroppedEntry(path);
        }
    }
}

bool CountDirectory(const std::string& path) {
    win::PumpMessages();
    if (CancelRequested)
        return true;
    ShowPath(path);
    const std::string pattern = JoinPath(path, LoadResString(IDS_PATTERN_ALL));
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(pattern.c_str(), &data));
    if (!find.Valid())
        return true;  // nothing to count; a directory that cannot be read is reported by the copy
    CaseTwins twins;
    do {
        // What the copy leaves out is not counted: subdirectories without CopySubDirs, names
        // beginning with a dot (for directories), names beyond the path limit, later twins.
        const bool directory = IsDirectory(data);
        if ((directory &&
             (data.fileName.empty() || data.fileName[0] == '.' || !CopyOptions.CopySubDirs)) ||
            !WithinPathLimit(JoinPath(path, data.fileName)) || !twins.First(data.fileName))
            continue;
        if (!directory) {
            CountFile(data.size);
        } else {
            ++CopyRun.SourceDirectories;
            SetDialogCount(ProgressDialog, kDirectoriesField, CopyRun.SourceDirectories);
            CountDirectory(JoinPath(path, data.fileName));
        }
    } while (!CancelRequested && win::Files().FindNextFile(find.Get(), &data));
    return true;
}
