#pragma once
// farcast-run -v: one line per action the run has done, in the form of the dry run's plan
// lines with "[done]" in the place of "[plan]", so that a dry run and the real run that
// follows it can be compared line for line:
//
//   [done] T1 mkdir \\T1\DATA\DEST\PROJ
//   [done] T1 copy \\SRC\DATA\PROJ\a.txt -> \\T1\DATA\DEST\PROJ\a.txt
//   [done] T1 skip \\SRC\DATA\PROJ\c.txt -> \\T1\DATA\DEST\PROJ\c.txt | newer on destination
//
// Two thin layers over the network's client and file services pass every call on unchanged
// and print a line for each one that succeeded and changed what a plan line names; the
// engine tells its skips through its RunObserver. Nothing about the run changes.

#include <ostream>
#include <set>
#include <string>

#include "copy/copy_run.h"
#include "dryrun/forwarding_files.h"
#include "dryrun/naming_client.h"
#include "dryrun/plan_state.h"

namespace done_lines {

class DoneClient : public dryrun::NamingClient {
  public:
    using NamingClient::NamingClient;

    NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t nameSpace,
                          std::uint8_t dataStream, const char* path, NW_NS_OPENCREATE* request,
                          win::HANDLE* fileHandle) override;
    NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                              std::uint8_t accessMask) override;
    NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const char* path) override;
};

class DoneFiles : public dryrun::ForwardingFiles {
  public:
    DoneFiles(win::FileServices& inner, dryrun::PlanState& state)
        : ForwardingFiles(inner), state_(state) {}

    std::uint32_t GetTempFileName(const char* directory, const char* prefix, std::uint32_t unique,
                                  char* tempFile) override;
    bool MoveFileEx(const char* from, const char* to, std::uint32_t flags) override;
    bool DeleteFile(const char* path) override;

  private:
    dryrun::PlanState& state_;
    std::set<std::string> temporaries_;  // keys of the temporary files the run made
};

}  // namespace done_lines

class DoneLines : public RunObserver {
  public:
    // Over the network's own client and file services; the lines go to out.
    DoneLines(NetWareClient& client, win::FileServices& files, std::ostream& out);
    ~DoneLines() override;
    DoneLines(const DoneLines&) = delete;
    DoneLines& operator=(const DoneLines&) = delete;

    // Makes the engine use the layers and tell it its skips (until destroyed).
    void Install();

    void FileSkipped(const std::string& source, const std::string& destination,
                     SkipReason reason) override;

  private:
    dryrun::PlanState state_;
    done_lines::DoneClient client_;
    done_lines::DoneFiles files_;
    bool installed_ = false;
};
