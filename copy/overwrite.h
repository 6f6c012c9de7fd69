#pragma once
// Whether one source file is copied over its destination.

#include <cstdint>
#include <string>

#include "netware/netware_client.h"

bool DecideOverwrite(const std::string& sourcePath, const std::string& destinationPath,
                     const EntryInfo& source, const EntryInfo& destination, bool destinationExists);

// A DOS packed modify date and time as seconds on one local-time scale (later timestamps give
// larger numbers, equal ones equal numbers); 0 when the date or the time is not valid.
std::uint64_t TimestampSeconds(std::uint16_t dosDate, std::uint16_t dosTime);

// The timestamp as the overwrite prompt shows it: "March 7, 1997 2:05:08 pm". A date or time
// that is not valid shows as the string table's "(invalid date)" text.
std::string TimestampText(std::uint16_t dosDate, std::uint16_t dosTime);
