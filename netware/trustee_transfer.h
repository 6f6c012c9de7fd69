#pragma once
// Carrying trustee assignments from a source entry to its copy.

#include <string>

#include "netware/netware_client.h"

bool TransferTrustees(NWCONN_HANDLE sourceConn, NWCONN_HANDLE destinationConn,
                      const std::string& sourcePath, const std::string& destinationPath);
