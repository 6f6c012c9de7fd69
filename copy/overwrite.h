#pragma once
// Whether one source file is copied over its destination.

#include <string>

#include "netware/netware_client.h"

bool DecideOverwrite(const std::string& sourcePath, const std::string& destinationPath,
                     const EntryInfo& source, const EntryInfo& destination,
                     bool destinationExists);
