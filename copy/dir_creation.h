#pragma once
// Destination directories and the NetWare metadata of copied entries.

#include <string>

#include "netware/netware_client.h"

bool CreateDestinationDirectory(const std::string& sourceDir, const std::string& destinationDir);
NWCCODE SetDestinationDosInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const std::string& netWarePath, std::uint8_t nameSpace,
                              const EntryInfo& source);
