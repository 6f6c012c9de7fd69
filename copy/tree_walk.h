#pragma once
// Copying one source directory tree into a destination parent directory.

#include <string>

// 1 when the walk ran (also cancelled or empty), 0 when the destination directory could not
// be made or the short form of the source could not be had.
int CopyDirectoryTree(const std::string& sourceDir, const std::string& destinationParent);
