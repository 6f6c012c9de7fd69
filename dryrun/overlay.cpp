#include "dryrun/overlay.h"

#include "netware/sim/sim_names.h"

namespace dryrun {

namespace {

// Position of the backslash that ends "\\SERVER\VOLUME", or npos.
std::size_t VolumeEnd(const std::string& key) {
    const std::size_t server = key.find('\\', 2);
    if (server == std::string::npos)
        return std::string::npos;
    return key.find('\\', server + 1);
}

}  // namespace

std::string Overlay::Key(const std::string& networkPath) {
    if (networkPath.size() < 5 || networkPath.compare(0, 2, "\\\\") != 0)
        return {};
    std::string key = sim::Upper(networkPath);
    while (key.size() > 2 && key.back() == '\\')
        key.pop_back();
    const std::size_t server = key.find('\\', 2);
    if (server == std::string::npos || server == 2 || server + 1 >= key.size())
        return {};
    return key;
}

std::string Overlay::ParentKey(const std::string& key) {
    const std::size_t volumeEnd = VolumeEnd(key);
    if (volumeEnd == std::string::npos)
        return {};  // a volume has no parent on the network
    return key.substr(0, key.rfind('\\'));
}

std::string Overlay::ServerOf(const std::string& key) {
    const std::size_t server = key.find('\\', 2);
    return key.substr(2, server == std::string::npos ? std::string::npos : server - 2);
}

std::string Overlay::VolumeOf(const std::string& key) {
    return key.substr(0, VolumeEnd(key));
}

Lookup Overlay::Find(const std::string& key) const {
    Lookup found;
    if (key.empty())
        return found;
    const auto it = entries_.find(key);
    if (it != entries_.end()) {
        if (it->second.kind != PlannedEntry::Kind::Deleted) {
            found.state = Lookup::State::Present;
            found.entry = &it->second;
            return found;
        }
        found.state = Lookup::State::Absent;
        const std::string parent = ParentKey(key);
        found.parentExists = parent.empty() || Find(parent).state != Lookup::State::Absent;
        return found;
    }
    // Below something made or deleted, the network's own entries do not count.
    bool direct = true;
    for (std::string ancestor = ParentKey(key); !ancestor.empty();
         ancestor = ParentKey(ancestor), direct = false) {
        const auto a = entries_.find(ancestor);
        if (a == entries_.end() || a->second.kind == PlannedEntry::Kind::Changed)
            continue;
        found.state = Lookup::State::Absent;
        found.parentExists = direct && a->second.kind == PlannedEntry::Kind::Made;
        return found;
    }
    return found;
}

PlannedEntry& Overlay::Change(const std::string& key, bool directory) {
    auto [it, inserted] = entries_.try_emplace(key);
    if (inserted) {
        it->second.kind = PlannedEntry::Kind::Changed;
        it->second.directory = directory;
    }
    return it->second;
}

void Overlay::Put(const std::string& key, const PlannedEntry& entry) {
    entries_[key] = entry;
}

void Overlay::Erase(const std::string& key) {
    entries_.erase(key);
}

bool Overlay::HasChildren(const std::string& directoryKey) const {
    const std::string prefix = directoryKey + "\\";
    const auto it = entries_.lower_bound(prefix);
    return it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::pair<std::string, const PlannedEntry*>> Overlay::Children(
    const std::string& directoryKey) const {
    std::vector<std::pair<std::string, const PlannedEntry*>> children;
    const std::string prefix = directoryKey + "\\";
    for (auto it = entries_.lower_bound(prefix);
         it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (it->first.find('\\', prefix.size()) == std::string::npos)
            children.emplace_back(it->first, &it->second);
    }
    return children;
}

}  // namespace dryrun
