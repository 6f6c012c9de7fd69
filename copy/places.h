#pragma once
// Where an entry is, as its volume holds it: the server, the volume and each component under
// the entry's own name, whatever spelling reached it (an 8.3 alias, any letter case, a drive
// letter, a doubled or trailing backslash). Every question of the form "is this the same place
// as that, or inside it?" is asked here, so that two spellings of one entry are never taken for
// two places, and two entries whose names differ only in case never for one.
//
// The rule, stated once: a destination may receive a copy, and a destination entry may be
// deleted, only when it neither is, nor holds, nor lies inside any dropped item of the run.

#include <string>
#include <unordered_map>
#include <vector>

struct Place {
    std::string server;
    std::string volume;
    // The components below the volume: the names the volume holds for the part of the path
    // that exists, then the rest as written.
    std::vector<std::string> parts;

    bool Valid() const { return !server.empty(); }
    // \\SERVER\VOLUME\a\b: equal keys are the same place.
    std::string Key() const;
    Place Child(const std::string& name) const;
};

// The place a NetWare path names; the entry itself need not exist. False when the path is not
// on the network.
bool ResolvePlace(const std::string& path, Place* place);

// The dropped items of the current run as places.
class SourcePlaces {
  public:
    // The run's dropped files and directories (full paths).
    void Set(const std::vector<std::string>& files, const std::vector<std::string>& directories);
    void Clear();

    // The dropped item that place is or lies inside ("" when none).
    std::string Holding(const Place& place) const;
    // A dropped item that lies strictly inside place ("" when none).
    std::string Inside(const Place& place) const;
    // The place is, holds or lies inside a dropped item.
    bool Overlaps(const Place& place) const {
        return !Holding(place).empty() || !Inside(place).empty();
    }
    // Every dropped item with its place, files first, in drop order.
    const std::vector<std::pair<std::string, Place>>& Items() const { return list_; }

  private:
    std::vector<std::pair<std::string, Place>> list_;
    std::unordered_map<std::string, std::string> items_;      // key -> the item's path
    std::unordered_map<std::string, std::string> ancestors_;  // key of a directory holding one
};

// The dropped items of the run in progress, set once the source has been counted.
extern SourcePlaces DroppedPlaces;
