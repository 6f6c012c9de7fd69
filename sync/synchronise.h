#pragma once
// Deleting from a server's destination what the dropped source directories no longer hold.

#include <string>

// False when the whole run is to stop (CancelRequested).
bool SynchroniseServer(const std::string& serverName);

// Synchronises the copy of sourceDir inside destinationParent; false to stop.
bool SyncDirectory(const std::string& sourceDir, const std::string& destinationParent);
// True only when the source directory holds no entry of the entry path's last name (the lookup
// reports ERROR_FILE_NOT_FOUND); every other outcome counts as present.
bool SourceLacks(const std::string& entryPath, const std::string& sourceDir);
