#pragma once
// The simulated NetWare network: a directory (the network root) holding network.toml and one
// folder per server and volume, with NetWare metadata in a store of its own. It implements the
// NetWare client and the Windows file services over that directory.
//
// Choices the simulator makes where NetWare leaves room:
// - The metadata store is ROOT/.netsim/metadata.db (SQLite), outside every volume's tree.
// - An entry found by hand gets default metadata: attributes 0x20 (needs archiving) for files,
//   none for directories; inherited rights mask 0x00FF; owning name space 4 on long-name
//   volumes and 0 on DOS-only ones; not compressed.
// - A DOS-only volume takes upper-case 8.3 names only: a lower-case 8.3 name is upper-cased as
//   the entry is made, any other name is refused (ERROR_INVALID_NAME, NetWare 0x899C).
// - Entries are reached through a logged-in connection; an attached one reaches none (0x8994).
// - Search attributes are accepted and not used for filtering; NWCreateDirectory's access mask
//   is accepted and the new directory gets the default rights mask.
// - A volume's space is counted once, when it is first asked for, and from then on kept up to
//   date by every change the simulator makes (files changed by hand meanwhile are not seen).
// - Faults of CloseHandle and FindClose report failure but still release the handle.
// - NWAllocTemporaryDirectoryHandle gives a directory already held the same handle again.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "netware/netware_client.h"
#include "platform/file_services.h"

namespace sim {

// One entry's NetWare metadata, as the simulator keeps it (for tests and farcast-netsim).
struct EntryMeta {
    std::string name;       // long name as the disk holds it
    std::string shortName;  // 8.3 alias
    bool directory = false;
    std::uint32_t attributes = 0;  // full attribute word, directory and compressed bits included
    std::uint16_t inheritedRightsMask = 0;
    std::uint8_t nameSpace = 0;
    bool compressed = false;
    std::uint64_t size = 0;        // uncompressed size
    std::uint64_t storedSize = 0;  // bytes on disk (the compressed size of a compressed file)
    std::int64_t modified = 0;     // seconds since the epoch
    std::vector<std::pair<std::uint32_t, std::uint16_t>> trustees;  // object ID, rights
};

class SimNetwork {
  public:
    virtual ~SimNetwork() = default;

    // Opens the network at root. Returns null and sets *error (one clear message naming the
    // file, the line and what is wrong) when the network cannot be used.
    // finishStoppedWork: put right what processes stopped half way left (their journals); a
    // dry run, which must change nothing, opens without.
    static std::unique_ptr<SimNetwork> Open(const std::string& root, std::string* error,
                                            bool finishStoppedWork = true);

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
    // One entry's metadata; false and *error when path names no entry.
    virtual bool GetEntryMeta(const std::string& path, EntryMeta* meta, std::string* error) = 0;
    // The network root as opened (absolute, links resolved).
    virtual std::string Root() const = 0;

    // Working on the network from forked processes. The metadata store's connection and the
    // journal's file belong to one process each. A process about to fork lets go of its
    // connection (LetGoOfStore) and takes a new one once its children no longer need it to
    // stay closed (TakeStore). A child, before its first call, takes a connection of its own
    // and starts a journal file of its own (TakeStore with child true), and before it exits
    // without running destructors does what a normal end does (EndProcess).
    virtual void LetGoOfStore() = 0;
    virtual bool TakeStore(bool child, std::string* error) = 0;
    virtual void EndProcess() = 0;

    // Tests only: another program's changes, made at the instants a change of this one is
    // most exposed to them. hook(point, local path of the entry) runs at each of these points;
    // an empty hook removes it.
    static constexpr const char* kSwapped = "swapped";  // a replacement's swap, not yet checked
    static constexpr const char* kRenamedOnDisk = "renamed";   // before its rows follow
    static constexpr const char* kAboutToDelete = "deleting";  // looked at, not yet deleted
    using Interleave = std::function<void(const char* point, const std::string& local)>;
    virtual void SetInterleave(Interleave hook) = 0;
};

// File services for local paths only, for a program or test that has no network open.
win::FileServices& LocalFileServices();

// Creates the demo network in dir (which must not hold a network yet).
bool CreateDemoNetwork(const std::string& dir, std::string* error);

// Makes a new metadata store for the network at root from its trees, when the old one is lost
// (an existing store is refused). *lines tells what was found and what could not be known.
bool RebuildStore(const std::string& root, std::vector<std::string>* lines, std::string* error);

}  // namespace sim
