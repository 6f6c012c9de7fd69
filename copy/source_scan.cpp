// Sorting the dropped names into files and directories and counting what the copy will touch,
// live in the counting dialog.
#include "copy/source_scan.h"

#include <algorithm>

#include "copy/copy_run.h"
#include "copy/path_utils.h"
#include "copy/progress_dialogs.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
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

// A path the program cannot hold is reported and left out; it is never cut to fit.
bool FitsPathLimit(const std::string& path) {
    if (path.size() <= kMaxPath)
        return true;
    ErrorBox(LoadResString(IDS_ERR_PATH_TOO_LONG), path.c_str());
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
    if (!find.Valid())
        return LeaveOutDroppedName(path, win::Files().GetLastError());  // said in the results
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
        std::string path = entry;
        CanonicalNetWarePath(path, true);  // on failure the path is used as it leaves it
        if (!FitsPathLimit(path))
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
        return true;  // a directory that cannot be listed counts as empty
    do {
        if (!IsDirectory(data)) {
            if (FitsPathLimit(JoinPath(path, data.fileName)))
                CountFile(data.size);
        } else if (!data.fileName.empty() && data.fileName[0] != '.' && CopyOptions.CopySubDirs) {
            const std::string child = JoinPath(path, data.fileName);
            if (FitsPathLimit(child)) {
                ++CopyRun.SourceDirectories;
                SetDialogCount(ProgressDialog, kDirectoriesField, CopyRun.SourceDirectories);
                CountDirectory(child);
            }
        }
    } while (!CancelRequested && win::Files().FindNextFile(find.Get(), &data));
    return true;
}
