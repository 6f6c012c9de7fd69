#pragma once
// The source check of a run and the pass each selected server gets.

#include <cstdint>
#include <string>

bool CheckSourcePath(const std::string& path);
bool PerServerPass(const std::string& serverName, std::uint32_t serverIndex,
                   std::uint32_t serverCount);
bool AskContinueWithNextServer(std::uint32_t serverIndex, std::uint32_t serverCount);
bool SameSourceAndTarget(const std::string& source, const std::string& destination);
