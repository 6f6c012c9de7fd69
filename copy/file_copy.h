#pragma once
// Copying one file to the destination directory through a temporary file.

#include <cstdint>
#include <string>

// Returns the source's data stream size when the file was copied, 0 when it was skipped,
// failed, or the run was cancelled during the copy.
std::uint64_t CopyOneFile(const std::string& sourceFile, const std::string& destinationDir);

// "%s\%s%s": destination directory, a backslash, the source name's name and extension.
std::string MakeDestinationFileName(const std::string& sourceName,
                                    const std::string& destinationDir);
