#pragma once
// The simulated NetWare network: a directory (the network root) holding network.toml and one
// folder per server and volume, with NetWare metadata in a store of its own. It implements the
// NetWare client and the Windows file services over that directory.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "netware/netware_client.h"
#include "platform/file_services.h"

namespace sim {

class SimNetwork {
public:
    virtual ~SimNetwork() = default;

    // Opens the network at root. Returns null and sets *error (one clear message naming the
    // file, the line and what is wrong) when the network cannot be used.
    static std::unique_ptr<SimNetwork> Open(const std::string& root, std::string* error);

    // FARCAST_NETWORK when set, else $XDG_DATA_HOME/farcast/network
    // (~/.local/share/farcast/network).
    static std::string DefaultRoot();

    virtual NetWareClient& Client() = 0;
    virtual win::FileServices& FileServices() = 0;

    // Makes this network the one the engine uses (SetNetWare, SetFiles).
    void Install() {
        SetNetWare(&Client());
        win::SetFiles(&FileServices());
    }

    // Administration, as farcast-netsim offers it. path is any path form the client accepts.
    // Each returns false and sets *error when it cannot be done.
    virtual bool Stat(const std::string& path, std::string* out, std::string* error) = 0;
    virtual bool SetAttributes(const std::string& path, std::uint32_t attributes,
                               std::string* error) = 0;
    virtual bool SetInheritedRightsMask(const std::string& path, std::uint16_t mask,
                                        std::string* error) = 0;
    virtual bool SetTrustee(const std::string& path, const std::string& objectName,
                            std::uint16_t rights, std::string* error) = 0;
    virtual bool Compress(const std::string& path, std::string* error) = 0;
    // Problems found in network.toml and the trees; empty when all is well.
    virtual std::vector<std::string> Check() = 0;
};

// Creates the demo network in dir (which must not hold a network yet).
bool CreateDemoNetwork(const std::string& dir, std::string* error);

}  // namespace sim
