#pragma once
// The state the dry run's two layers (NetWare client, file services) share: the overlay, the
// files they only pretend to write, what the engine called each place, the space the plan
// would take, and the plan lines they print.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "dryrun/overlay.h"
#include "netware/netware_client.h"
#include "platform/file_services.h"

namespace dryrun {

// A file the dry run opened for writing: nothing reaches the disk, only its size is kept.
struct PretendFile {
    std::string key;  // the overlay entry it writes (empty: a file outside the network)
    std::uint64_t position = 0;
    std::uint64_t size = 0;     // its length
    std::uint64_t written = 0;  // the bytes written, what it would occupy
};

// An enumeration the dry run answers itself.
struct PretendFind {
    std::vector<win::FindData> items;
    std::size_t next = 0;
};

class PlanState {
  public:
    explicit PlanState(std::ostream& out) : out_(out) {}

    Overlay overlay;
    // The source file the engine opened last: the one a following copy copies.
    std::string currentSource;

    // ---- handles the dry run hands out (far above any the network gives) ----
    win::HANDLE OpenPretendFile(const std::string& key);
    PretendFile* FindPretendFile(win::HANDLE handle);
    bool ClosePretendFile(win::HANDLE handle);
    win::HANDLE OpenPretendFind(std::vector<win::FindData> items);
    PretendFind* FindPretendFind(win::HANDLE handle);
    bool ClosePretendFind(win::HANDLE handle);

    // ---- how the engine names places ----
    // The path the engine parsed into connection and relative path ("VOLUME:dir\name").
    void NoteParsed(NWCONN_HANDLE conn, const std::string& relative, const std::string& path);
    // The engine's own spelling of a place given by connection and relative path, else the
    // key's form.
    std::string Shown(NWCONN_HANDLE conn, const std::string& relative,
                      const std::string& key) const;
    void NoteServer(NWCONN_HANDLE conn, const std::string& server);
    std::optional<std::string> ServerOf(NWCONN_HANDLE conn) const;
    // The overlay key of a place given as connection, handle and "VOLUME:dir\name" (the
    // server's name asked of client when not yet known); empty when it cannot be named.
    std::string KeyOf(NetWareClient& client, NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                      const char* path);
    void NoteVolume(NWCONN_HANDLE conn, std::uint16_t number, const std::string& volume);
    std::optional<std::string> VolumeKey(NWCONN_HANDLE conn, std::uint16_t number) const;

    // ---- space: the blocks the plan would take on each volume (key "\\SERVER\VOLUME") ----
    void NoteBlockSize(const std::string& volumeKey, std::uint64_t bytes);
    void Occupy(const std::string& volumeKey, std::uint64_t oldBytes, std::uint64_t newBytes);
    std::int64_t PlannedBlocks(const std::string& volumeKey) const;

    // ---- the plan ----
    // One "[plan] SERVER ..." line from a format of the string table, the server first.
    void Plan(unsigned format, const std::string& server, const std::string& first,
              const std::string& second = {}, const std::string& third = {});

  private:
    struct Parsed {
        NWCONN_HANDLE conn;
        std::string relative;  // upper-cased
        std::string path;
    };

    std::ostream& out_;
    win::HANDLE nextHandle_ = win::HANDLE{1} << 40;
    std::map<win::HANDLE, PretendFile> files_;
    std::map<win::HANDLE, PretendFind> finds_;
    std::deque<Parsed> parsed_;  // the latest few, newest last
    std::map<NWCONN_HANDLE, std::string> servers_;
    std::map<std::pair<NWCONN_HANDLE, std::uint16_t>, std::string> volumes_;
    std::map<std::string, std::uint64_t> blockSizes_;
    std::map<std::string, std::int64_t> plannedBlocks_;
};

}  // namespace dryrun
