#pragma once
// The dry run's file services: reads go to the network (or the local disk) and are answered as
// the plan would have left them; writes change nothing. A temporary copy file taking a
// destination's place is a planned "copy" or "replace", a file deleted a planned "delete".
// Files outside the network opened for writing (the log file) are never written either.

#include "dryrun/forwarding_files.h"
#include "dryrun/plan_state.h"
#include "dryrun/planned_view.h"

namespace dryrun {

class DryRunFiles : public ForwardingFiles {
  public:
    DryRunFiles(win::FileServices& inner, PlanState& state, PlannedView& view)
        : ForwardingFiles(inner), state_(state), view_(view) {}

    win::HANDLE FindFirstFile(const char* pattern, win::FindData* data) override;
    bool FindNextFile(win::HANDLE find, win::FindData* data) override;
    bool FindClose(win::HANDLE find) override;

    std::uint32_t GetFileAttributes(const char* path) override;
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override;
    std::uint32_t GetTempFileName(const char* directory, const char* prefix, std::uint32_t unique,
                                  char* tempFile) override;
    bool MoveFile(const char* from, const char* to) override;
    bool MoveFileEx(const char* from, const char* to, std::uint32_t flags) override;
    bool DeleteFile(const char* path) override;
    bool CreateDirectory(const char* path) override;
    bool RemoveDirectory(const char* path) override;

    win::HANDLE CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t creation, std::uint32_t flags) override;
    bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* read) override;
    bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* written) override;
    bool SetFilePointer(win::HANDLE file, std::int64_t distance, std::uint32_t method,
                        std::uint64_t* newPosition) override;
    bool SetEndOfFile(win::HANDLE file) override;
    bool CloseHandle(win::HANDLE handle) override;

  private:
    bool Fail(std::uint32_t error);
    bool Succeed();
    // The error for an entry that is not there.
    static std::uint32_t Missing(const Lookup& found);
    win::HANDLE ServeFind(std::vector<win::FindData> items, win::FindData* data);
    // Whether a file outside the network could be opened for writing as asked.
    std::uint32_t LocalWriteRefusal(const std::string& path, std::uint32_t creation);
    std::uint64_t StoredSize(const std::string& key, const char* path);

    PlanState& state_;
    PlannedView& view_;
    std::uint32_t tempCounter_ = 0;
};

}  // namespace dryrun
