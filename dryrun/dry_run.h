#pragma once
// A dry run: the same run, the same engine, the same questions and answers, against the same
// network, changing nothing in it. Two layers over the network's NetWare client and file
// services pass every read on and keep every write in an overlay, so that later reads see
// what the run would have made (a planned directory can be entered and is empty; a planned
// copy reads as the source's size and time). The writes a reader of the plan cares about are
// printed, in the order the real run would make them:
//
//   [plan] T1 mkdir \\T1\DATA\DEST\PROJ
//   [plan] T1 copy \\SRC\DATA\PROJ\a.txt -> \\T1\DATA\DEST\PROJ\a.txt
//   [plan] T1 replace \\SRC\DATA\PROJ\b.txt -> \\T1\DATA\DEST\PROJ\b.txt
//   [plan] T1 skip \\SRC\DATA\PROJ\c.txt -> \\T1\DATA\DEST\PROJ\c.txt | newer on destination
//   [plan] T1 delete \\T1\DATA\DEST\PROJ\old.txt
//   [plan] T1 rmdir \\T1\DATA\DEST\PROJ\stale
//
// Skips are decisions no call shows; the engine tells them through its RunObserver.
//
// Nothing is written anywhere: not the network's files, directories, times or metadata, and
// not the log file either, so that a scheduler's log only ever tells of runs that happened.
// Connections are made and released as in the real run (they last only as long as the
// process). What a dry run cannot know: whether a write would have failed, and what a file
// it only planned would hold (it is never read back).

#include <ostream>

#include "copy/copy_run.h"
#include "dryrun/dry_run_client.h"
#include "dryrun/dry_run_files.h"
#include "dryrun/plan_state.h"
#include "dryrun/planned_view.h"

class DryRun : public RunObserver {
  public:
    // Over the network's own client and file services; the plan is printed to out.
    DryRun(NetWareClient& client, win::FileServices& files, std::ostream& out);
    ~DryRun() override;
    DryRun(const DryRun&) = delete;
    DryRun& operator=(const DryRun&) = delete;

    // Makes the engine use the dry run's layers and tell it its decisions (until destroyed).
    void Install();

    NetWareClient& Client() { return client_; }
    win::FileServices& Files() { return files_; }

    void FileSkipped(const std::string& source, const std::string& destination,
                     SkipReason reason) override;

  private:
    dryrun::PlanState state_;
    dryrun::PlannedView view_;
    dryrun::DryRunClient client_;
    dryrun::DryRunFiles files_;
    bool installed_ = false;
};

// The string table entry of a skip's reason ("newer on destination", ...).
unsigned SkipReasonText(SkipReason reason);
