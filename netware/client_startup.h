#pragma once
// Starting the NetWare client and checking the primary connection.

#include "netware/netware_client.h"

// Sets PrimaryConnection and PrimaryLoginName; shows its message and returns false on failure.
bool StartNetWareClient();
// True when the connection's status carries the Directory Services flag; shows nothing.
bool IsDirectoryServicesConnection(NWCONN_HANDLE conn);
