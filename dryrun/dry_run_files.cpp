#include "dryrun/dry_run_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "netware/sim/sim_names.h"
#include "resources/string_ids.h"

namespace dryrun {

namespace {

constexpr std::uint32_t kDosSettable = win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN |
                                       win::FILE_ATTRIBUTE_SYSTEM | win::FILE_ATTRIBUTE_ARCHIVE;

bool IsWholeListing(const std::string& name) {
    return name == "*.*" || name == "*";
}

bool Writes(std::uint32_t access, std::uint32_t creation) {
    return (access & win::GENERIC_WRITE) != 0 || creation != win::OPEN_EXISTING;
}

std::string Text(const char* text) {
    return text ? text : "";
}

// The directory that holds a local path or a network path.
std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace

bool DryRunFiles::Fail(std::uint32_t error) {
    inner_.SetLastError(error);
    return false;
}

bool DryRunFiles::Succeed() {
    inner_.SetLastError(win::ERROR_SUCCESS);
    return true;
}

std::uint32_t DryRunFiles::Missing(const Lookup& found) {
    return found.parentExists ? win::ERROR_FILE_NOT_FOUND : win::ERROR_PATH_NOT_FOUND;
}

win::HANDLE DryRunFiles::ServeFind(std::vector<win::FindData> items, win::FindData* data) {
    if (items.empty()) {
        Fail(win::ERROR_FILE_NOT_FOUND);
        return win::INVALID_HANDLE_VALUE;
    }
    if (data)
        *data = items.front();
    const win::HANDLE find = state_.OpenPretendFind(std::move(items));
    state_.FindPretendFind(find)->next = 1;
    Succeed();
    return find;
}

win::HANDLE DryRunFiles::FindFirstFile(const char* pattern, win::FindData* data) {
    const std::string text = Text(pattern);
    const auto slash = text.rfind('\\');
    const std::string directory = slash == std::string::npos ? "" : text.substr(0, slash);
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    const std::string directoryKey = Overlay::Key(directory);
    if (directoryKey.empty())
        return inner_.FindFirstFile(pattern, data);

    if (!sim::HasWildcard(name)) {
        const Lookup found = state_.overlay.Find(directoryKey + "\\" + sim::Upper(name));
        if (found.state == Lookup::State::Absent) {
            Fail(Missing(found));
            return win::INVALID_HANDLE_VALUE;
        }
        if (found.state == Lookup::State::Unknown)
            return inner_.FindFirstFile(pattern, data);
        if (found.entry->kind == PlannedEntry::Kind::Made)
            return ServeFind({PlannedView::FindDataOf(*found.entry)}, data);
        win::FindData item;
        const win::HANDLE find = inner_.FindFirstFile(pattern, &item);
        if (find == win::INVALID_HANDLE_VALUE)
            return find;
        inner_.FindClose(find);
        PlannedView::Patch(*found.entry, &item);
        return ServeFind({item}, data);
    }

    const Lookup self = state_.overlay.Find(directoryKey);
    const bool made =
        self.state == Lookup::State::Present && self.entry->kind == PlannedEntry::Kind::Made;
    if (!IsWholeListing(name) ||
        (self.state == Lookup::State::Unknown && !state_.overlay.HasChildren(directoryKey)) ||
        (!made && self.state == Lookup::State::Present &&
         !state_.overlay.HasChildren(directoryKey)))
        return inner_.FindFirstFile(pattern, data);
    std::vector<win::FindData> items;
    if (const std::uint32_t error = view_.List(directory, directoryKey, &items)) {
        Fail(error);
        return win::INVALID_HANDLE_VALUE;
    }
    return ServeFind(std::move(items), data);
}

bool DryRunFiles::FindNextFile(win::HANDLE find, win::FindData* data) {
    PretendFind* pretend = state_.FindPretendFind(find);
    if (!pretend)
        return inner_.FindNextFile(find, data);
    if (pretend->next >= pretend->items.size())
        return Fail(win::ERROR_NO_MORE_FILES);
    if (data)
        *data = pretend->items[pretend->next];
    ++pretend->next;
    return Succeed();
}

bool DryRunFiles::FindClose(win::HANDLE find) {
    if (state_.ClosePretendFind(find))
        return Succeed();
    return inner_.FindClose(find);
}

std::uint32_t DryRunFiles::GetFileAttributes(const char* path) {
    const Lookup found = state_.overlay.Find(Overlay::Key(Text(path)));
    if (found.state == Lookup::State::Absent) {
        Fail(Missing(found));
        return win::INVALID_FILE_ATTRIBUTES;
    }
    if (found.state == Lookup::State::Unknown)
        return inner_.GetFileAttributes(path);
    if (found.entry->kind == PlannedEntry::Kind::Made) {
        Succeed();
        return PlannedView::FindDataOf(*found.entry).attributes;
    }
    const std::uint32_t reported = inner_.GetFileAttributes(path);
    if (reported == win::INVALID_FILE_ATTRIBUTES)
        return reported;
    return PlannedView::PatchDosAttributes(*found.entry, reported);
}

bool DryRunFiles::SetFileAttributes(const char* path, std::uint32_t attributes) {
    const std::string key = Overlay::Key(Text(path));
    const std::uint32_t current = GetFileAttributes(path);
    if (current == win::INVALID_FILE_ATTRIBUTES)
        return false;
    if (!key.empty()) {
        // FILE_ATTRIBUTE_NORMAL alone clears the DOS bits; otherwise they are replaced.
        PlannedEntry& entry =
            state_.overlay.Change(key, (current & win::FILE_ATTRIBUTE_DIRECTORY) != 0);
        entry.attributes.Then({~kDosSettable, attributes & kDosSettable});
    }
    return Succeed();
}

std::uint32_t DryRunFiles::GetTempFileName(const char* directory, const char* prefix,
                                           std::uint32_t unique, char* tempFile) {
    std::string base = Text(directory);
    const std::uint32_t attributes = GetFileAttributes(directory);
    if (attributes == win::INVALID_FILE_ATTRIBUTES ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY) == 0) {
        Fail(win::ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const char separator = Overlay::Key(base).empty() ? '/' : '\\';
    if (!base.empty() && base.back() != '\\' && base.back() != '/')
        base += separator;
    const std::string head = base + Text(prefix).substr(0, 3);
    const auto nameOf = [&](std::uint32_t n) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", n & 0xFFFF);
        return head + hex + ".TMP";
    };
    if (tempCounter_ == 0)
        tempCounter_ = static_cast<std::uint32_t>(::getpid() ^ std::time(nullptr));
    for (unsigned attempt = 0; attempt < 0xFFFF; ++attempt) {
        const std::uint32_t n = unique != 0 ? unique & 0xFFFF : tempCounter_++ & 0xFFFF;
        if (n == 0)
            continue;
        const std::string path = nameOf(n);
        if (path.size() >= win::MAX_PATH) {
            Fail(win::ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        if (unique == 0 && GetFileAttributes(path.c_str()) != win::INVALID_FILE_ATTRIBUTES)
            continue;
        if (unique == 0 && !Overlay::Key(path).empty()) {
            PlannedEntry temporary;
            temporary.temporary = true;
            temporary.name = LastName(path);
            temporary.attributes = {0, nw::A_NEEDS_ARCHIVING};
            temporary.rights = {0, 0x00FF};
            state_.overlay.Put(Overlay::Key(path), temporary);
        }
        std::snprintf(tempFile, win::MAX_PATH, "%s", path.c_str());
        Succeed();
        return n;
    }
    Fail(win::ERROR_FILE_EXISTS);
    return 0;
}

bool DryRunFiles::MoveFile(const char* from, const char* to) {
    return MoveFileEx(from, to, 0);
}

// What the destination occupied before the plan put a new file in its place.
std::uint64_t DryRunFiles::StoredSize(const std::string& key, const char* path) {
    const Lookup found = state_.overlay.Find(key);
    if (found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made)
        return found.entry->storedSize;
    win::FindData data;
    const win::HANDLE find = inner_.FindFirstFile(path, &data);
    if (find == win::INVALID_HANDLE_VALUE)
        return 0;
    inner_.FindClose(find);
    return data.size;
}

// The engine moves only its own temporary files: a file the plan made takes the destination's
// place. Whether that is a copy or a replacement depends on what the destination holds.
bool DryRunFiles::MoveFileEx(const char* from, const char* to, std::uint32_t flags) {
    const std::string fromKey = Overlay::Key(Text(from));
    const std::string toKey = Overlay::Key(Text(to));
    const Lookup source = state_.overlay.Find(fromKey);
    if (source.state == Lookup::State::Absent)
        return Fail(Missing(source));
    if (fromKey.empty() || toKey.empty() || source.state != Lookup::State::Present ||
        source.entry->kind != PlannedEntry::Kind::Made)
        return Fail(win::ERROR_ACCESS_DENIED);
    const std::uint32_t existing = GetFileAttributes(to);
    const bool replaces = existing != win::INVALID_FILE_ATTRIBUTES;
    if (!replaces && inner_.GetLastError() == win::ERROR_PATH_NOT_FOUND)
        return Fail(win::ERROR_PATH_NOT_FOUND);
    if (replaces && (flags & win::MOVEFILE_REPLACE_EXISTING) == 0)
        return Fail(win::ERROR_ALREADY_EXISTS);
    if (replaces && (existing & (win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_DIRECTORY)))
        return Fail(win::ERROR_ACCESS_DENIED);

    const std::uint64_t oldSize = replaces ? StoredSize(toKey, to) : 0;
    PlannedEntry file = *source.entry;
    file.temporary = false;
    file.name = LastName(Text(to));
    state_.overlay.Erase(fromKey);
    state_.overlay.Put(toKey, file);
    state_.Occupy(Overlay::VolumeOf(toKey), oldSize, file.storedSize);
    state_.Plan(replaces ? IDS_BATCH_PLAN_REPLACE : IDS_BATCH_PLAN_COPY, Overlay::ServerOf(toKey),
                state_.currentSource, Text(to));
    return Succeed();
}

bool DryRunFiles::DeleteFile(const char* path) {
    const std::string key = Overlay::Key(Text(path));
    const Lookup found = state_.overlay.Find(key);
    if (found.state == Lookup::State::Present && found.entry->temporary) {
        state_.overlay.Erase(key);  // a temporary file the plan made and gives up
        return Succeed();
    }
    const std::uint32_t attributes = GetFileAttributes(path);
    if (attributes == win::INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & (win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_DIRECTORY))
        return Fail(win::ERROR_ACCESS_DENIED);
    if (key.empty())
        return Succeed();  // a local file: left as it is
    PlannedEntry deleted;
    deleted.kind = PlannedEntry::Kind::Deleted;
    deleted.name = LastName(Text(path));
    state_.overlay.Put(key, deleted);
    state_.Plan(IDS_BATCH_PLAN_DELETE, Overlay::ServerOf(key), Text(path));
    return Succeed();
}

bool DryRunFiles::CreateDirectory(const char* path) {
    const std::string key = Overlay::Key(Text(path));
    if (key.empty())
        return Fail(win::ERROR_ACCESS_DENIED);  // the engine makes only network directories
    // A volume that keeps long names gives new entries the long name space.
    std::uint32_t longest = 0;
    const std::string root = Overlay::VolumeOf(key) + "\\";
    inner_.GetVolumeInformation(root.c_str(), nullptr, 0, nullptr, &longest, nullptr, nullptr, 0);
    const std::uint8_t nameSpace = longest > 12 ? nw::NS_LONG : nw::NS_DOS;
    switch (view_.MakeDirectory(key, Text(path), nameSpace)) {
        case PlannedView::Outcome::Done:
            return Succeed();
        case PlannedView::Outcome::Exists:
            return Fail(win::ERROR_ALREADY_EXISTS);
        default:
            return Fail(win::ERROR_PATH_NOT_FOUND);
    }
}

bool DryRunFiles::RemoveDirectory(const char* path) {
    const std::string key = Overlay::Key(Text(path));
    if (key.empty())
        return Fail(win::ERROR_ACCESS_DENIED);
    switch (view_.RemoveDirectory(key, Text(path))) {
        case PlannedView::Outcome::Done:
            return Succeed();
        case PlannedView::Outcome::NotEmpty:
            return Fail(win::ERROR_DIR_NOT_EMPTY);
        case PlannedView::Outcome::NotDirectory:
            return Fail(win::ERROR_ACCESS_DENIED);
        default:
            return Fail(win::ERROR_FILE_NOT_FOUND);
    }
}

// Whether the real call could open path for writing, from what the disk holds: 0 or the error
// it would give.
std::uint32_t DryRunFiles::LocalWriteRefusal(const std::string& path, std::uint32_t creation) {
    const std::uint32_t attributes = GetFileAttributes(path.c_str());
    if (attributes != win::INVALID_FILE_ATTRIBUTES) {
        if (attributes & (win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_DIRECTORY))
            return win::ERROR_ACCESS_DENIED;
        return creation == win::CREATE_NEW ? win::ERROR_FILE_EXISTS : 0;
    }
    if (creation == win::OPEN_EXISTING || creation == win::TRUNCATE_EXISTING)
        return win::ERROR_FILE_NOT_FOUND;
    const std::uint32_t parent = GetFileAttributes(ParentOf(path).c_str());
    if (parent == win::INVALID_FILE_ATTRIBUTES || (parent & win::FILE_ATTRIBUTE_DIRECTORY) == 0)
        return win::ERROR_PATH_NOT_FOUND;
    return 0;
}

win::HANDLE DryRunFiles::CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                    std::uint32_t creation, std::uint32_t flags) {
    const std::string text = Text(path);
    if (!Writes(access, creation)) {
        const Lookup found = state_.overlay.Find(Overlay::Key(text));
        if (found.state == Lookup::State::Absent) {
            Fail(Missing(found));
            return win::INVALID_HANDLE_VALUE;
        }
        if (found.state == Lookup::State::Present &&
            found.entry->kind == PlannedEntry::Kind::Made) {
            Fail(win::ERROR_ACCESS_DENIED);  // the plan has no bytes to read
            return win::INVALID_HANDLE_VALUE;
        }
        return inner_.CreateFile(path, access, shareMode, creation, flags);
    }
    if (const std::uint32_t refusal = LocalWriteRefusal(text, creation)) {
        Fail(refusal);
        return win::INVALID_HANDLE_VALUE;
    }
    Succeed();
    return state_.OpenPretendFile({});
}

bool DryRunFiles::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                           std::uint32_t* read) {
    if (!state_.FindPretendFile(file))
        return inner_.ReadFile(file, buffer, toRead, read);
    if (read)
        *read = 0;
    return Succeed();
}

bool DryRunFiles::WriteFile(win::HANDLE file, const void*, std::uint32_t toWrite,
                            std::uint32_t* written) {
    PretendFile* pretend = state_.FindPretendFile(file);
    if (!pretend)
        return Fail(win::ERROR_ACCESS_DENIED);  // nothing on the disk is ever written
    pretend->position += toWrite;
    pretend->size = std::max(pretend->size, pretend->position);
    pretend->written += toWrite;
    if (written)
        *written = toWrite;
    return Succeed();
}

bool DryRunFiles::SetFilePointer(win::HANDLE file, std::int64_t distance, std::uint32_t method,
                                 std::uint64_t* newPosition) {
    PretendFile* pretend = state_.FindPretendFile(file);
    if (!pretend)
        return inner_.SetFilePointer(file, distance, method, newPosition);
    const std::uint64_t base = method == win::FILE_BEGIN     ? 0
                               : method == win::FILE_CURRENT ? pretend->position
                                                             : pretend->size;
    if (distance < 0 && static_cast<std::uint64_t>(-distance) > base)
        return Fail(win::ERROR_INVALID_PARAMETER);
    pretend->position = base + static_cast<std::uint64_t>(distance);
    if (newPosition)
        *newPosition = pretend->position;
    return Succeed();
}

bool DryRunFiles::SetEndOfFile(win::HANDLE file) {
    PretendFile* pretend = state_.FindPretendFile(file);
    if (!pretend)
        return Fail(win::ERROR_ACCESS_DENIED);
    pretend->size = pretend->position;
    return Succeed();
}

bool DryRunFiles::CloseHandle(win::HANDLE handle) {
    const PretendFile* pretend = state_.FindPretendFile(handle);
    if (!pretend)
        return inner_.CloseHandle(handle);
    // The file the plan makes has what was written to it.
    const Lookup found = state_.overlay.Find(pretend->key);
    if (!pretend->key.empty() && found.state == Lookup::State::Present) {
        PlannedEntry& entry = state_.overlay.Change(pretend->key, false);
        entry.size = pretend->size;
        if (!entry.compressed)
            entry.storedSize = pretend->size;
    }
    state_.ClosePretendFile(handle);
    return Succeed();
}

}  // namespace dryrun
