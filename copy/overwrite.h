#pragma once
// Whether one source file is copied over its destination.

#include <cstdint>
#include <string>

#include "netware/netware_client.h"

bool DecideOverwrite(const std::string& sourcePath, const std::string& destinationPath,
                     const EntryInfo& source, const EntryInfo& destination, bool destinationExists);

// A DOS packed modify date and time as seconds on one local-time scale (later timestamps give
// larger numbers, equal ones equal numbers); 0 when the date is not a valid calendar date. A
// time field beyond its range counts as it stands (hour 25 is one hour into the next day).
std::uint64_t TimestampSeconds(std::uint16_t dosDate, std::uint16_t dosTime);

// The timestamp as the overwrite prompt shows it: "March 7, 1997 2:05:08 pm". A date that is
// not valid shows as the string table's "(invalid date)" text; a time field beyond its range
// shows as it is stored.
std::string TimestampText(std::uint16_t dosDate, std::uint16_t dosTime);
