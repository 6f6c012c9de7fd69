#include "dryrun/planned_view.h"

#include <algorithm>
#include <ctime>

#include "netware/netware_client.h"
#include "netware/sim/sim_names.h"
#include "resources/string_ids.h"

namespace dryrun {

namespace {

constexpr std::uint32_t kKeptBits = nw::A_DIRECTORY | nw::A_FILE_COMPRESSED;

bool IsDot(const win::FindData& data) {
    return data.fileName == "." || data.fileName == "..";
}

win::FindData DotEntry(const char* name) {
    win::FindData data;
    data.attributes = win::FILE_ATTRIBUTE_DIRECTORY;
    data.fileName = name;
    data.lastWriteTime = std::time(nullptr);
    return data;
}

std::uint32_t DosBits(std::uint32_t word) {
    const std::uint32_t low = word & 0xFF;
    return low == 0 ? win::FILE_ATTRIBUTE_NORMAL : low;
}

}  // namespace

std::string LastName(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::pair<std::uint16_t, std::uint16_t> DosNow() {
    std::uint16_t date = 0, time = 0;
    sim::PackDosTime(std::time(nullptr), &date, &time);
    return {date, time};
}

bool PlannedView::Exists(const std::string& key, bool* directory) {
    const Lookup found = state_.overlay.Find(key);
    if (found.state == Lookup::State::Absent)
        return false;
    if (found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made) {
        if (directory)
            *directory = found.entry->directory;
        return true;
    }
    const std::uint32_t attributes = network_.GetFileAttributes(key.c_str());
    if (attributes == win::INVALID_FILE_ATTRIBUTES)
        return false;
    if (directory)
        *directory = (attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

std::uint32_t PlannedView::List(const std::string& path, const std::string& key,
                                std::vector<win::FindData>* items) {
    items->clear();
    const Lookup self = state_.overlay.Find(key);
    if (self.state == Lookup::State::Absent)
        return win::ERROR_PATH_NOT_FOUND;
    if (self.state == Lookup::State::Present && self.entry->kind == PlannedEntry::Kind::Made) {
        if (!self.entry->directory)
            return win::ERROR_PATH_NOT_FOUND;
        items->push_back(DotEntry("."));
        items->push_back(DotEntry(".."));
    } else {
        win::FindData data;
        const win::HANDLE find = network_.FindFirstFile((path + "\\*.*").c_str(), &data);
        if (find == win::INVALID_HANDLE_VALUE) {
            const std::uint32_t error = network_.GetLastError();
            if (error != win::ERROR_FILE_NOT_FOUND)
                return error;  // an empty volume root lists nothing at all
        } else {
            do
                items->push_back(data);
            while (network_.FindNextFile(find, &data));
            network_.FindClose(find);
        }
    }
    for (const auto& [childKey, child] : state_.overlay.Children(key)) {
        const std::string upperName = LastName(childKey);
        const auto same = std::find_if(items->begin(), items->end(), [&](const auto& item) {
            return !IsDot(item) && sim::Upper(item.fileName) == upperName;
        });
        const bool listed = child->kind == PlannedEntry::Kind::Made && !child->temporary;
        if (child->kind == PlannedEntry::Kind::Changed) {
            if (same != items->end())
                Patch(*child, &*same);
        } else if (same != items->end()) {
            if (listed)
                *same = FindDataOf(*child);
            else
                items->erase(same);
        } else if (listed) {
            items->push_back(FindDataOf(*child));
        }
    }
    // As the network lists them: dots first, then the names in order.
    const auto names = std::stable_partition(items->begin(), items->end(), IsDot);
    std::sort(names, items->end(),
              [](const auto& a, const auto& b) { return a.fileName < b.fileName; });
    return 0;
}

PlannedView::Outcome PlannedView::MakeDirectory(const std::string& key, const std::string& shown,
                                                std::uint8_t nameSpace) {
    if (Exists(key))
        return Outcome::Exists;
    bool parentIsDirectory = false;
    const std::string parent = Overlay::ParentKey(key);
    if (parent.empty() || !Exists(parent, &parentIsDirectory) || !parentIsDirectory)
        return Outcome::NoParent;
    PlannedEntry made;
    made.directory = true;
    made.name = LastName(shown);
    made.attributes = {0, 0};
    made.rights = {0, 0x00FF};  // the network's default mask for a new directory
    made.modified = DosNow();
    made.nameSpace = nameSpace;
    state_.overlay.Put(key, made);
    state_.Plan(IDS_BATCH_PLAN_MKDIR, Overlay::ServerOf(key), shown);
    return Outcome::Done;
}

PlannedView::Outcome PlannedView::RemoveDirectory(const std::string& key,
                                                  const std::string& shown) {
    bool directory = false;
    if (!Exists(key, &directory))
        return Outcome::Missing;
    if (!directory)
        return Outcome::NotDirectory;
    std::vector<win::FindData> items;
    if (List(key, key, &items) != 0 ||
        std::any_of(items.begin(), items.end(), [](const auto& item) { return !IsDot(item); }))
        return Outcome::NotEmpty;
    PlannedEntry deleted;
    deleted.kind = PlannedEntry::Kind::Deleted;
    deleted.directory = true;
    deleted.name = LastName(shown);
    state_.overlay.Put(key, deleted);
    state_.Plan(IDS_BATCH_PLAN_RMDIR, Overlay::ServerOf(key), shown);
    return Outcome::Done;
}

std::uint32_t PlannedView::AttributeWord(const PlannedEntry& entry) {
    std::uint32_t word = entry.attributes.Apply(0) & ~kKeptBits;
    if (entry.directory)
        word |= nw::A_DIRECTORY;
    if (entry.compressed)
        word |= nw::A_FILE_COMPRESSED;
    return word;
}

win::FindData PlannedView::FindDataOf(const PlannedEntry& entry) {
    win::FindData data;
    data.attributes = DosBits(AttributeWord(entry));
    data.size = entry.directory ? 0 : entry.size;
    const auto [date, time] = entry.modified.value_or(DosNow());
    const std::time_t when = sim::UnpackDosTime(date, time);
    data.lastWriteTime = when == -1 ? std::time(nullptr) : when;
    data.fileName = entry.name;
    return data;
}

std::uint32_t PlannedView::PatchDosAttributes(const PlannedEntry& change, std::uint32_t reported) {
    const std::uint32_t low = reported == win::FILE_ATTRIBUTE_NORMAL ? 0 : reported;
    const std::uint32_t directory = low & win::FILE_ATTRIBUTE_DIRECTORY;
    const std::uint32_t changed =
        change.attributes.Apply(low & ~directory) & 0xFF & ~win::FILE_ATTRIBUTE_DIRECTORY;
    return DosBits(changed | directory);
}

void PlannedView::Patch(const PlannedEntry& change, win::FindData* data) {
    data->attributes = PatchDosAttributes(change, data->attributes);
    if (change.modified) {
        const std::time_t when =
            sim::UnpackDosTime(change.modified->first, change.modified->second);
        if (when != -1)
            data->lastWriteTime = when;
    }
}

}  // namespace dryrun
