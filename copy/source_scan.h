#pragma once
// Sorting the drop into files and directories and counting the source.

#include <string>

void ScanSources();
bool CountDirectory(const std::string& path);
