#pragma once
// Deleting from a server's destination what the dropped source directories no longer hold.

#include <string>

// False when the whole run is to stop (CancelRequested).
bool SynchroniseServer(const std::string& serverName);
