#pragma once
// The state of the current copy run: one process-wide instance reused by every run, and the
// flags about the source and the current destination that the copy stages share.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_services.h"
#include "platform/window_system.h"
#include "util/byte_count.h"

// Longest path the program handles (paths live in 260-byte buffers in the design).
constexpr std::size_t kMaxPath = 259;

// How far a selected server got in the run.
enum class ServerStatus {
    NotReached,  // the run ended before its turn
    Done,        // its pass (and synchronisation) ran to the end
    GivenUp,     // it could not be used, or the pass gave up on it
    PassedOver,  // the options exclude it (a bindery server under Netware4xServers): no failure
    Stopped,     // the run stopped during its pass or synchronisation
};

// What the run did on one selected server, kept beside the run totals so that farcast-run's
// result lines and the window's log can tell one server from another.
struct ServerResult {
    std::string name;
    ServerStatus status = ServerStatus::NotReached;
    ByteCount files{};  // files updated or created
    ByteCount bytes{};
    std::uint64_t errors = 0;  // error messages reported while the server was processed
    ByteCount deletedFiles{};
    ByteCount deletedDirectories{};
};

// A dropped name that the run left out, with the reason in words.
struct SkippedName {
    std::string path;
    std::string reason;
};

struct CopyRunState {
    std::vector<std::string> drop;  // the dropped names, until CollectSources reads them
    std::vector<int> SelectedServers;
    std::uint32_t SelectedServerCount = 0;
    std::string FirstDroppedItem;
    std::vector<std::string> DroppedPaths;
    std::vector<std::string> DroppedFiles;
    std::vector<std::string> DroppedDirectories;

    bool SourceLongNamesKnown = false;
    bool SourceHasLongNames = false;
    bool SourceVolumeCompresses = false;
    bool SourceIsDirectoryServices = false;
    bool DestHasLongNames = false;
    bool CompressedCopyPossible = false;
    bool DestIsDirectoryServices = false;
    bool SyncAllowed = false;

    std::string DestinationRoot;
    // Dropped items the current server's pass left out because an earlier one's copy lands on
    // the same name there (8.3 aliases can meet where long names do not); never synchronised.
    std::vector<std::string> LandingTwins;
    std::vector<char> CopyBuffer;  // BufferSize x 1024 bytes, allocated once per run

    win::HANDLE LogFile = win::INVALID_HANDLE_VALUE;  // open while the run's log is written

    ByteCount SourceDirectories{};
    ByteCount SourceFiles{};
    ByteCount SourceBytes{};
    ByteCount RunFilesUpdated{};
    ByteCount RunBytesUpdated{};
    ByteCount RunBytesProcessed{};
    ByteCount ServerBytesProcessed{};
    ByteCount RunFilesDeleted{};
    ByteCount RunDirectoriesDeleted{};
    ByteCount RunBytesDeleted{};
    ByteCount ServerFilesDeleted{};
    ByteCount ServerDirectoriesDeleted{};
    ByteCount ServerBytesDeleted{};

    // One record per selected server, in list order, from the start of the copying; kept
    // after the run until the next one starts.
    std::vector<ServerResult> ServerResults;
    // Names left out of the run, in the order they were met.
    std::vector<SkippedName> SkippedNames;
    // Error messages reported through the message facility during the run.
    std::uint64_t ErrorMessages = 0;
};

extern CopyRunState CopyRun;

// Ends the current run at its next check. Set by the progress dialogs' Cancel buttons, the
// options sheet's Cancel and the answer No; cleared where the run's stages say so.
extern bool CancelRequested;

// The modeless progress dialog of the moment (counting, then copying), or kNoWindow.
extern win::WindowId ProgressDialog;
// The synchronisation dialog while it is open, or kNoWindow.
extern win::WindowId SyncDialog;

// Counts the message if it reports an error: shown with the stop icon, or its text begins
// with "ERROR - ". Called by the message facility for every message it handles.
void CountReportedMessage(const char* text, unsigned style);

// The record of the server being processed; null outside a server's turn.
ServerResult* CurrentServerResult();
// The pass gave the server being processed up.
void MarkCurrentServerGivenUp();
// Marks the server being processed as passed over by the options (no failure).
void MarkCurrentServerPassedOver();

// Leaves a dropped name whose lookup failed out of the run, with the reason the lookup's
// error code gives ("does not exist" for a name that is not there).
void LeaveOutDroppedName(const std::string& path, std::uint32_t lookupError);

// Why a file the run considered is not copied, where no call to the network shows it.
enum class SkipReason {
    NotOnDestination,       // OnlyCopyExistingFiles, and the destination has no such file
    ExistsOnDestination,    // NeverOverwrite, and the destination has the file
    NewerOnDestination,     // OverwriteOlder, and the destination's copy is later
    SameTimeOnDestination,  // OverwriteOlder, and both carry the same time
    AnsweredNo,             // the "File Already Exists" prompt answered No
    Cancelled,              // the prompt answered Cancel: the run stops
    NoRoom,                 // the destination volume has no room for the file
};

// Told of the decisions the engine takes without a call to the network, as it takes them.
// The dry run installs one to print them among the actions it plans.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    virtual void FileSkipped(const std::string& source, const std::string& destination,
                             SkipReason reason) = 0;
};

// The observer of the engine's decisions, or null (the default).
void SetRunObserver(RunObserver* observer);
void ReportFileSkipped(const std::string& source, const std::string& destination,
                       SkipReason reason);
