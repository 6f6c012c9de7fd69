#include "copy/places.h"

#include "netware/netware_client.h"
#include "platform/file_services.h"

SourcePlaces DroppedPlaces;

namespace {

std::vector<std::string> Components(const std::string& directory) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : directory + "\\") {
        if (c == '\\') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return parts;
}

std::string KeyOf(const std::string& server, const std::string& volume,
                  const std::vector<std::string>& parts, std::size_t count) {
    std::string key = "\\\\" + server + "\\" + volume;
    for (std::size_t i = 0; i < count; ++i)
        key += "\\" + parts[i];
    return key;
}

// The name the directory holds for an entry reached by name, or empty when it holds none (or
// cannot be read, in which case the name stays as written).
std::string StoredName(const std::string& entryPath) {
    win::FindData data;
    win::ScopedFind find(win::Files().FindFirstFile(entryPath.c_str(), &data));
    return find.Valid() ? data.fileName : std::string();
}

}  // namespace

std::string Place::Key() const {
    return KeyOf(server, volume, parts, parts.size());
}

Place Place::Child(const std::string& name) const {
    Place child = *this;
    child.parts.push_back(name);
    return child;
}

bool ResolvePlace(const std::string& path, Place* place) {
    char server[nw::kNameSize] = {};
    char volume[nw::kNameSize] = {};
    char directory[win::kPathBufferSize] = {};
    NWCONN_HANDLE connection = 0;
    if (NetWare().NWParsePath(path.c_str(), server, &connection, volume, directory) !=
        nw::SUCCESSFUL)
        return false;
    server[nw::kNameSize - 1] = volume[nw::kNameSize - 1] = '\0';
    directory[sizeof directory - 1] = '\0';
    Place p;
    p.server = server;
    p.volume = volume;
    const std::vector<std::string> given = Components(directory);
    // Each component is looked up below the names found so far; once one cannot be found the
    // rest is kept as written (it names nothing that exists).
    std::size_t i = 0;
    for (; i < given.size(); ++i) {
        const std::string stored =
            StoredName(KeyOf(p.server, p.volume, p.parts, i) + "\\" + given[i]);
        if (stored.empty())
            break;
        p.parts.push_back(stored);
    }
    for (; i < given.size(); ++i)
        p.parts.push_back(given[i]);
    *place = std::move(p);
    return true;
}

void SourcePlaces::Clear() {
    list_.clear();
    items_.clear();
    ancestors_.clear();
}

void SourcePlaces::Set(const std::vector<std::string>& files,
                       const std::vector<std::string>& directories) {
    Clear();
    for (const std::vector<std::string>* list : {&files, &directories}) {
        for (const std::string& item : *list) {
            Place p;
            if (!ResolvePlace(item, &p))
                continue;
            items_.emplace(p.Key(), item);
            list_.emplace_back(item, Place{});
            for (std::size_t n = 0; n < p.parts.size(); ++n)
                ancestors_.emplace(KeyOf(p.server, p.volume, p.parts, n), item);
            list_.back().second = std::move(p);
        }
    }
}

std::string SourcePlaces::Holding(const Place& place) const {
    if (items_.empty() || !place.Valid())
        return {};
    for (std::size_t n = place.parts.size() + 1; n-- > 0;) {
        auto it = items_.find(KeyOf(place.server, place.volume, place.parts, n));
        if (it != items_.end())
            return it->second;
    }
    return {};
}

std::string SourcePlaces::Inside(const Place& place) const {
    if (!place.Valid())
        return {};
    auto it = ancestors_.find(place.Key());
    return it == ancestors_.end() ? std::string() : it->second;
}
