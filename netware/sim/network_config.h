#pragma once
// The description of a simulated network, as network.toml gives it.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

// The largest volume network.toml describes: the volume calls report sectors per block as a
// 16-bit count and blocks as 32-bit counts, so every accepted value reaches them whole.
constexpr std::uint32_t kMaxBlockSize = 65535 * 512;
constexpr std::uint64_t kMaxTotalBlocks = 0xFFFFFFFF;
// The longest round trip network.toml gives a server, in milliseconds.
constexpr double kMaxLatencyMs = 10000;

struct VolumeConfig {
    std::string name;
    bool longNames = true;
    bool compression = false;
    std::uint32_t blockSize = 4096;       // a multiple of 512, at most kMaxBlockSize
    std::uint64_t totalBlocks = 4194304;  // 1 to kMaxTotalBlocks
};

struct UserConfig {
    std::string name;
    std::string password;
    bool expired = false;
};

enum class StartConnection { None, Attached, LoggedIn };

struct ServerConfig {
    std::string name;
    std::uint8_t majorVersion = 4;
    std::uint8_t minorVersion = 11;
    bool directoryServices = false;
    StartConnection connection = StartConnection::None;
    bool listed = true;
    double latencyMs = 0;  // every call concerning the server waits this long (0 to kMaxLatencyMs)
    std::vector<VolumeConfig> volumes;
    std::vector<UserConfig> users;
};

// A Directory Services object and its object ID on each server (keys upper case).
struct ObjectConfig {
    std::string name;
    std::map<std::string, std::uint32_t> ids;
};

struct FaultConfig {
    std::string call;
    std::string server;  // empty: any server
    std::string path;    // empty: any path; else a wildcard pattern
    std::uint32_t code = 0;
    std::int64_t times = -1;  // -1: every matching call
};

struct NetworkConfig {
    std::string tree;
    std::string primaryServer;
    std::string loginName;
    bool dsAuthenticated = false;
    std::map<char, std::string> drives;  // 'F' -> \\SERVER\VOLUME[\path]
    std::vector<ServerConfig> servers;
    std::vector<ObjectConfig> objects;
    std::vector<FaultConfig> faults;
};

// Reads and validates the file. On failure *error is one message naming the file, the line
// and what is wrong.
bool LoadNetworkConfig(const std::string& file, NetworkConfig* config, std::string* error);

// The names a [[fault]] call may use: the NetWare operations and the file-service functions.
bool IsFaultableCall(const std::string& name);

}  // namespace sim
