// What the simulator keeps of directories it has read (their listings, their rows in the
// metadata store), by a text naming the directory.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>

namespace sim {

// Bounded in directories and in items (Value::Items()), so that a walk over thousands of large
// directories does not keep all it has seen. The directories used last, those a run is
// working in (a copy's source and destination, and the directory above them), are never
// evicted whatever their size: two large directories used in turn would otherwise push each
// other out, and each would be read again on every call. The bounds apply to the others.
template <class Value>
class DirectoryCache {
  public:
    DirectoryCache(std::size_t maxDirectories, std::size_t maxItems)
        : maxDirectories_(maxDirectories), maxItems_(maxItems) {}

    // The directory's entry, counted as used; null when none is kept.
    Value* Find(const std::string& key) {
        auto it = entries_.find(key);
        if (it == entries_.end())
            return nullptr;
        Use(key);
        return &it->second;
    }

    // Keeps value as the directory's entry, counted as used; when the bounds are passed, every
    // other directory not in use goes.
    Value& Put(const std::string& key, Value value) {
        Use(key);
        Value& kept = entries_[key] = std::move(value);
        std::size_t items = 0;
        for (const auto& [held, entry] : entries_)
            items += entry.Items();
        if (entries_.size() > maxDirectories_ || items > maxItems_)
            std::erase_if(entries_, [this](const auto& entry) { return !InUse(entry.first); });
        return kept;
    }

    void Erase(const std::string& key) { entries_.erase(key); }
    void Clear() { entries_.clear(); }
    std::size_t Size() const { return entries_.size(); }

  private:
    static constexpr std::size_t kInUse = 4;

    // Most recent first.
    void Use(const std::string& key) {
        if (recent_[0] == key)
            return;
        auto found = std::find(recent_.begin(), recent_.end(), key);
        if (found == recent_.end())
            found = recent_.end() - 1;
        std::rotate(recent_.begin(), found, found + 1);
        recent_[0] = key;
    }
    bool InUse(const std::string& key) const {
        return std::find(recent_.begin(), recent_.end(), key) != recent_.end();
    }

    std::size_t maxDirectories_;
    std::size_t maxItems_;
    std::unordered_map<std::string, Value> entries_;
    std::array<std::string, kInUse> recent_;
};

}  // namespace sim
