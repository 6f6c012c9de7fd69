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
};

extern CopyRunState CopyRun;

// Ends the current run at its next check. Set by the progress dialogs' Cancel buttons, the
// options sheet's Cancel and the answer No; cleared where the run's stages say so.
extern bool CancelRequested;

// The modeless progress dialog of the moment (counting, then copying), or kNoWindow.
extern win::WindowId ProgressDialog;
// The synchronisation dialog while it is open, or kNoWindow.
extern win::WindowId SyncDialog;
