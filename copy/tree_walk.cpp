// Copying a source directory tree, depth first in the order the enumeration gives the entries.
#include "copy/tree_walk.h"

#include "copy/case_twins.h"
#include "copy/copy_run.h"
#include "copy/dir_creation.h"
#include "copy/file_copy.h"
#include "copy/path_utils.h"
#include "copy/progress_dialogs.h"
#include "copy/run_driver.h"
#include "platform/locale.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/string_table.h"

namespace {

// The form of the source directory that names its copy: the 8.3 form toward a volume without
// long names, the path itself otherwise. Empty (after the message) when the short form cannot
// be had.
std::string NameForm(const std::string& sourceDir) {
    if (!CopyRun.SourceHasLongNames || CopyRun.DestHasLongNames)
        return sourceDir;
    char shortPath[win::kPathBufferSize] = {};
    const std::uint32_t length =
        win::Files().GetShortPathName(sourceDir.c_str(), shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) {
        const std::string reason = SystemErrorText(win::Files().GetLastError());
        ErrorAskContinue(LoadResString(IDS_ERR_SHORT_NAME), sourceDir.c_str(), reason.c_str());
        return {};
    }
    return shortPath;
}

// Paths longer than the program handles are reported and skipped, never cut.
bool FitsPathLimit(const std::string& path) {
    if (WithinPathLimit(path))
        return true;
    ErrorAskContinue(LoadResString(IDS_ERR_PATH_TOO_LONG), path.c_str());
    return false;
}

void CopyEntry(const win::FindData& entry, const std::string& sourceDir,
               const std::string& destinationDir) {
    const bool directory = (entry.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::string entryPath = JoinPath(sourceDir, entry.fileName);
    if (!FitsPathLimit(entryPath))
        return;
    if (directory) {
        CopyDirectoryTree(entryPath, destinationDir);
        return;
    }
    const std::uint64_t copied = CopyOneFile(entryPath, destinationDir);
    UpdateProgressBars();
    if (copied != 0)
        AddToTotals(copied);
}

}  // namespace

int CopyDirectoryTree(const std::string& sourceDir, const std::string& destinationParent) {
    const std::string nameForm = NameForm(sourceDir);
    if (nameForm.empty())
        return 0;
    const std::string destinationDir = JoinPath(destinationParent, LastComponent(nameForm));
    if (!FitsPathLimit(destinationDir))
        return 0;

    // The source is listed before anything is made: a directory that cannot be read is
    // unknown, not empty, so its copy is neither created empty nor touched.
    win::FindData entry;
    const win::ScopedFind find(
        win::Files().FindFirstFile(JoinPath(sourceDir, "*.*").c_str(), &entry));
    const std::uint32_t listError = find.Valid() ? 0 : win::Files().GetLastError();
    if (listError != 0 && listError != win::ERROR_FILE_NOT_FOUND) {
        ErrorAskContinue(LoadResString(IDS_ERR_CANNOT_READ_DIR), sourceDir.c_str(), listError);
        return 0;
    }
    if (!CreateDestinationDirectory(sourceDir, destinationDir))
        return 0;
    if (!find.Valid())
        return 1;  // nothing to copy (an empty volume root lists no entries at all)
    CaseTwins twins;
    do {
        win::PumpMessages();
        if (CancelRequested)
            break;
        // ".", ".." and every name beginning with a dot are never copied, nor subdirectories
        // without CopySubDirs.
        const bool directory = (entry.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (entry.fileName.empty() || entry.fileName[0] == '.' ||
            (directory && !CopyOptions.CopySubDirs))
            continue;
        std::string earlier;
        if (!twins.First(entry.fileName, &earlier)) {
            ErrorAskContinue(LoadResString(IDS_ERR_CASE_TWIN),
                             JoinPath(sourceDir, entry.fileName).c_str(),
                             JoinPath(sourceDir, earlier).c_str());
            continue;
        }
        CopyEntry(entry, sourceDir, destinationDir);
    } while (win::Files().FindNextFile(find.Get(), &entry));
    return 1;
}
