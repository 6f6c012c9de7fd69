#pragma once
// Filling the main window's server list from the primary server's bindery.

#include <functional>
#include <string>

#include "netware/netware_client.h"

// Shows its message and returns false when the scan fails.
bool FillServerList();

// Scans the primary connection's bindery for file servers, handing each name to found in the
// order of the scan. Returns 0 when the scan went to its end, otherwise the failing call's
// code (the names found before it have been handed over). Shows nothing.
NWCCODE ScanFileServers(const std::function<void(const std::string&)>& found);
