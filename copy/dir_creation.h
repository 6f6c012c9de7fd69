#pragma once
// Destination directories and the NetWare metadata of copied entries.

#include <cstdint>
#include <string>

#include "netware/netware_client.h"

bool CreateDestinationDirectory(const std::string& sourceDir, const std::string& destinationDir);
NWCCODE SetDestinationDosInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const std::string& netWarePath, std::uint8_t nameSpace,
                              const EntryInfo& source);

// The inheritance revoke mask that takes from a destination every carried right (read, write,
// create, erase, access control, file scan, modify) that the source's mask lacks.
std::uint16_t RevokeMaskFor(std::uint16_t sourceInheritedRightsMask);
