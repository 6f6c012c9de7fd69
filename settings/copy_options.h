#pragma once
// The one global option record, fields in the order of the settings store, named after their
// registry values. Flags hold 0 (off) or 1 (on) as the options sheet sets them, or the value
// stored in the registry, kept as it is; any non-zero value counts as on.

#include <cstdint>
#include <string>

struct CopyOptionsRecord {
    std::uint32_t CreateLogfile = 0;
    std::string LogFileName;  // at most 259 characters
    std::uint32_t VerboseLogging = 0;
    std::uint32_t UnattendedMode = 0;
    std::uint32_t Netware4xServers = 0;
    std::uint32_t LogoutTargetFileUser = 0;
    std::uint32_t NeverOverwrite = 0;
    std::uint32_t OverwriteOlder = 0;
    std::uint32_t PromptOnOverwrite = 0;
    std::string TargetPath;  // \VOLUME\path, set by the options sheet's Copying page
    std::uint32_t TrackDirectory = 0;
    std::uint32_t SyncDirs = 0;
    std::uint32_t CopySubDirs = 0;
    std::uint32_t OnlyCopyExistingFiles = 0;
    std::uint32_t PromptOnDeletion = 0;
    std::uint32_t CopyAttributes = 0;
    std::uint32_t CopyInheritedRightsMask = 0;
    std::uint32_t CopyTrustees = 0;
    std::uint32_t CopyCompressed = 0;
    std::uint32_t BufferSize = 16;  // kilobytes: 4, 8, 16, 32 or 64
};

extern CopyOptionsRecord CopyOptions;

// 0 until the program has once been closed normally.
extern std::uint32_t AlreadyRun;
