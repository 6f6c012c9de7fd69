#include "tools/run_results.h"

#include <string>

#include "copy/copy_run.h"
#include "copy/run_driver.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

unsigned StatusName(ServerStatus status) {
    switch (status) {
        case ServerStatus::Done:
            return IDS_BATCH_STATUS_DONE;
        case ServerStatus::GivenUp:
            return IDS_BATCH_STATUS_GIVEN_UP;
        case ServerStatus::PassedOver:
            return IDS_BATCH_STATUS_PASSED_OVER;
        case ServerStatus::Stopped:
            return IDS_BATCH_STATUS_STOPPED;
        case ServerStatus::NotReached:
            break;
    }
    return IDS_BATCH_STATUS_NOT_REACHED;
}

// Plain decimal for scripts: no thousands separators; a broken count stays "#ERROR#".
std::string Number(const ByteCount& count) {
    return count.IsError() ? FormatCount(count) : std::to_string(count.ToU64());
}

}  // namespace

void PrintServerLines(std::ostream& out) {
    for (const ServerResult& r : CopyRun.ServerResults) {
        out << FormatText(LoadResString(IDS_BATCH_SERVER_LINE), r.name.c_str(),
                          LoadResString(StatusName(r.status)), Number(r.files).c_str(),
                          Number(r.bytes).c_str(), std::to_string(r.errors).c_str(),
                          Number(r.deletedFiles).c_str(), Number(r.deletedDirectories).c_str())
            << '\n';
    }
}

void PrintSkippedLines(std::ostream& out) {
    for (const SkippedName& s : CopyRun.SkippedNames)
        out << FormatText(LoadResString(IDS_BATCH_SKIPPED_LINE), s.path.c_str(), s.reason.c_str())
            << '\n';
}

int RunExitStatus(bool stoppedBySignal) {
    if (stoppedBySignal)
        return kExitSignal;
    if (!LastRunReachedSummary())
        return kExitEndedEarly;
    return LastRunWentWrong() ? kExitWentWrong : kExitDone;
}
