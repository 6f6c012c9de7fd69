#include "dryrun/dry_run.h"

#include "resources/string_ids.h"
#include "util/string_table.h"

unsigned SkipReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::NotOnDestination:
            return IDS_BATCH_SKIP_NOT_ON_DESTINATION;
        case SkipReason::ExistsOnDestination:
            return IDS_BATCH_SKIP_EXISTS_ON_DESTINATION;
        case SkipReason::NewerOnDestination:
            return IDS_BATCH_SKIP_NEWER_ON_DESTINATION;
        case SkipReason::SameTimeOnDestination:
            return IDS_BATCH_SKIP_SAME_TIME;
        case SkipReason::AnsweredNo:
            return IDS_BATCH_SKIP_ANSWERED_NO;
        case SkipReason::Cancelled:
            return IDS_BATCH_SKIP_CANCELLED;
        case SkipReason::NoRoom:
            break;
    }
    return IDS_BATCH_SKIP_NO_ROOM;
}

DryRun::DryRun(NetWareClient& client, win::FileServices& files, std::ostream& out)
    : state_(out),
      view_(state_, files),
      client_(client, state_, view_),
      files_(files, state_, view_) {}

DryRun::~DryRun() {
    if (installed_) {
        SetRunObserver(nullptr);
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
    }
}

void DryRun::Install() {
    SetNetWare(&client_);
    win::SetFiles(&files_);
    SetRunObserver(this);
    installed_ = true;
}

void DryRun::FileSkipped(const std::string& source, const std::string& destination,
                         SkipReason reason) {
    const std::string key = dryrun::Overlay::Key(destination);
    state_.Plan(IDS_BATCH_PLAN_SKIP, key.empty() ? std::string() : dryrun::Overlay::ServerOf(key),
                source, destination, LoadResString(SkipReasonText(reason)));
}
