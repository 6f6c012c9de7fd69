#pragma once
// What a dry run would have made of the network: the entries it planned to make, change or
// delete, over the network as it stands. Reads consult it first; whatever it does not know
// about is asked of the network itself.
//
// Entries are keyed by their network path "\\SERVER\VOLUME\dir\name", upper-cased (names on
// NetWare compare without regard to case), without a trailing backslash.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dryrun {

// A change of a 16-bit or 32-bit word as one step: new = (old & keep) | set.
struct WordChange {
    std::uint32_t keep = 0xFFFFFFFF;
    std::uint32_t set = 0;

    std::uint32_t Apply(std::uint32_t word) const { return (word & keep) | set; }
    // This change followed by next.
    void Then(const WordChange& next) {
        keep &= next.keep;
        set = (set & next.keep) | next.set;
    }
};

struct PlannedEntry {
    enum class Kind {
        Made,     // would be made by the run: nothing of the network's own lies below it
        Changed,  // is on the network; some of its values would change
        Deleted,  // would be deleted by the run
    };
    Kind kind = Kind::Made;
    bool directory = false;
    bool temporary = false;  // a temporary copy file: never listed, never planned
    std::string name;        // its last name as the run wrote it

    // Made entries: every value. Changed entries: only the changes, applied to what the
    // network answers.
    WordChange attributes;  // NetWare attribute word, without the directory and compressed bits
    WordChange rights;      // inherited rights mask
    std::optional<std::pair<std::uint16_t, std::uint16_t>> modified;  // DOS date, time
    bool compressed = false;
    std::uint64_t size = 0;        // uncompressed size of a made file
    std::uint64_t storedSize = 0;  // bytes it would occupy
    std::uint8_t nameSpace = 0;
};

// What the overlay knows of one path.
struct Lookup {
    enum class State {
        Unknown,  // nothing: ask the network
        Present,  // made or changed: entry says how
        Absent,   // deleted, or below something made or deleted
    };
    State state = State::Unknown;
    const PlannedEntry* entry = nullptr;
    bool parentExists = false;  // for Absent: whether the directory that would hold it exists
};

class Overlay {
  public:
    // The key of a network path; empty when the path is not \\SERVER\VOLUME[\...].
    static std::string Key(const std::string& networkPath);
    static std::string ParentKey(const std::string& key);
    static std::string ServerOf(const std::string& key);
    static std::string VolumeOf(const std::string& key);  // "\\SERVER\VOLUME"

    Lookup Find(const std::string& key) const;
    // The entry at key, made Changed (with no changes yet) when the overlay had none.
    PlannedEntry& Change(const std::string& key, bool directory);
    void Put(const std::string& key, const PlannedEntry& entry);
    void Erase(const std::string& key);
    // True when the overlay holds anything for the entries directly inside the directory.
    bool HasChildren(const std::string& directoryKey) const;
    // The overlay's entries directly inside the directory, with their keys, in key order.
    std::vector<std::pair<std::string, const PlannedEntry*>> Children(
        const std::string& directoryKey) const;

  private:
    std::map<std::string, PlannedEntry> entries_;
};

}  // namespace dryrun
