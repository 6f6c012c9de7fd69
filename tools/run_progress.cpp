#include "tools/run_progress.h"

#include <strings.h>

#include <algorithm>

#include "copy/copy_run.h"

namespace {

// Controls of the copy dialog: the file being copied (written once per file), the server, the
// size of the file being copied and the bytes of it copied so far ("1,234 bytes", or " "
// between files).
constexpr int kFromField = 201;
constexpr int kServerField = 203;
constexpr int kFileSizeField = 223;
constexpr int kCopiedField = 233;

// The number a field shows, whatever thousands separator the locale gives it (the unit word
// has no digits); 0 when it shows none.
std::uint64_t FieldNumber(const std::string& text) {
    std::uint64_t value = 0;
    for (const char c : text)
        if (c >= '0' && c <= '9')
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return value;
}

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

std::optional<RunProgress::CopyView> RunProgress::ViewCopy() const {
    const win::RecordedDialog* copying = ui_.LastDialog(win::DialogKind::CopyFiles);
    if (!copying)
        return std::nullopt;
    CopyView view;
    // The engine counts a file's bytes as processed when it decides to copy it: what of the
    // file being copied has not arrived yet is not done.
    const std::uint64_t size = FieldNumber(copying->Field(kFileSizeField));
    const std::uint64_t copied = FieldNumber(copying->Field(kCopiedField));
    if (copying->open && copied < size)
        view.notArrived = size - copied;
    view.server = copying->Field(kServerField);
    const auto writes = copying->fieldWrites.find(kFromField);
    const auto before = copying->fieldWritesAtTitle.find(kFromField);
    view.filesShown = (writes == copying->fieldWrites.end() ? 0 : writes->second) -
                      (before == copying->fieldWritesAtTitle.end() ? 0 : before->second);
    return view;
}

ProgressSnapshot RunProgress::Take() {
    ProgressSnapshot s;
    const win::RecordedDialog* counting = ui_.LastDialog(win::DialogKind::ReadDir);
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
    const std::optional<CopyView> copy = ViewCopy();
    if (!copy)
        return s;
    s.bytesDone -= std::min(s.bytesDone, copy->notArrived);
    if (!copy->server.empty())
        s.servers.push_back(copy->server);
    // The servers before this one count whole: a server given up gets nothing, yet its share
    // of the work is over.
    const std::uint64_t earlier = std::min(ServerIndex(copy->server), servers) * sourceFiles;
    s.filesDone = std::min(earlier + std::min(copy->filesShown, sourceFiles), s.filesTotal);
    return s;
}

ProgressSnapshot RunProgress::TakePass(std::uint64_t processedBefore) {
    ProgressSnapshot s;
    s.filesTotal = Value(CopyRun.SourceFiles);
    s.bytesTotal = Value(CopyRun.SourceBytes);
    const std::uint64_t processed = Value(CopyRun.RunBytesProcessed);
    s.bytesDone = std::min(processed - std::min(processed, processedBefore), s.bytesTotal);
    const std::optional<CopyView> copy = ViewCopy();
    if (!copy)
        return s;
    s.bytesDone -= std::min(s.bytesDone, copy->notArrived);
    if (!copy->server.empty())
        s.servers.push_back(copy->server);
    s.filesDone = std::min(copy->filesShown, s.filesTotal);
    return s;
}
