#pragma once
// Making a selected server usable: attach, Directory Services authentication or bindery login,
// and undoing the login the run made itself.

#include <string>

#include "netware/netware_client.h"

// Fills TargetServer's connection, isDirectoryServicesServer, wasLoggedIn and statusRead.
bool AttachAndLogin(const std::string& serverName);
// True when the last AttachAndLogin refused its server at the 4.x-only test (no message).
extern bool AttachSkippedAsBindery;

void ReleaseServer(NWCONN_HANDLE conn);
