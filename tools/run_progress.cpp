#include "tools/run_progress.h"

#include <strings.h>

#include <algorithm>

#include "copy/copy_run.h"

namespace {

// Controls of the copy dialog: the file being copied (written once per file) and the server.
constexpr int kFromField = 201;
constexpr int kServerField = 203;

std::uint64_t Value(const ByteCount& count) {
    return count.IsError() ? 0 : count.ToU64();
}

// The position of the server in the run's list, or the number of servers when not found.
std::uint64_t ServerIndex(const std::string& name) {
    const auto& results = CopyRun.ServerResults;
    const auto it = std::find_if(results.begin(), results.end(), [&](const ServerResult& r) {
        return strcasecmp(r.name.c_str(), name.c_str()) == 0;
    });
    return static_cast<std::uint64_t>(it - results.begin());
}

}  // namespace

ProgressSnapshot RunProgress::Take() {
    ProgressSnapshot s;
    const win::RecordedDialog* counting = ui_.LastDialog(win::DialogKind::ReadDir);
    const win::RecordedDialog* copying = ui_.LastDialog(win::DialogKind::CopyFiles);
    if (counting && counting->open) {
        s.counting = true;
        s.filesDone = Value(CopyRun.SourceFiles);
        s.bytesDone = Value(CopyRun.SourceBytes);
        return s;
    }
    const std::uint64_t servers = CopyRun.SelectedServerCount;
    const std::uint64_t sourceFiles = Value(CopyRun.SourceFiles);
    s.filesTotal = sourceFiles * servers;
    s.bytesTotal = Value(CopyRun.SourceBytes) * servers;
    s.bytesDone = std::min(Value(CopyRun.RunBytesProcessed), s.bytesTotal);
    if (!copying)
        return s;
    const auto writes = copying->fieldWrites.find(kFromField);
    const std::uint64_t filesShown = writes == copying->fieldWrites.end() ? 0 : writes->second;
    const std::string server = copying->Field(kServerField);
    if (server != server_) {
        server_ = server;
        serverBase_ = filesShown;
    }
    if (!server.empty())
        s.servers.push_back(server);
    // The servers before this one count whole: a server given up gets nothing, yet its share
    // of the work is over.
    const std::uint64_t before = std::min(ServerIndex(server), servers) * sourceFiles;
    s.filesDone = std::min(before + std::min(filesShown - serverBase_, sourceFiles), s.filesTotal);
    return s;
}
