#include "dryrun/dry_run_client.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "netware/sim/sim_names.h"

namespace dryrun {

namespace {

constexpr NWCCODE kInvalidFileHandle = 0x8988;

bool WantsToWrite(const NW_NS_OPENCREATE& request) {
    return (request.openCreateMode & (nw::OC_MODE_CREATE | nw::OC_MODE_REPLACE)) != 0 ||
           (request.accessRights & nw::AR_WRITE) != 0;
}

}  // namespace

NWCCODE DryRunClient::Done(NWCCODE code) {
    LastNetWareError = code;
    return code;
}

NWCCODE DryRunClient::Missing(const Lookup& found) {
    return found.parentExists ? nw::NO_FILES_FOUND : nw::INVALID_PATH;
}

std::string DryRunClient::KeyOf(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path) {
    return state_.KeyOf(inner_, conn, dirHandle, path);
}

std::uint8_t DryRunClient::NewEntryNameSpace(NWCONN_HANDLE conn, const std::string& key) {
    const std::string volume = Overlay::VolumeOf(key);
    const auto known = volumeNameSpaces_.find(volume);
    if (known != volumeNameSpaces_.end())
        return known->second;
    // The volume root answers with the name space the volume gives new entries.
    const std::string root = LastName(volume) + ":";
    std::uint8_t nameSpace = nw::NS_LONG;
    if (inner_.NWGetOwningNameSpace(conn, 0, root.c_str(), &nameSpace) != nw::SUCCESSFUL)
        nameSpace = nw::NS_LONG;
    volumeNameSpaces_[volume] = nameSpace;
    return nameSpace;
}

NWCCODE DryRunClient::NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                                        std::uint16_t* volumeNumber) {
    std::uint16_t number = 0;
    const NWCCODE code = inner_.NWGetVolumeNumber(conn, volumeName, &number);
    if (code == nw::SUCCESSFUL && volumeName)
        state_.NoteVolume(conn, number, volumeName);
    if (volumeNumber)
        *volumeNumber = number;
    return code;
}

// The free blocks less those the plan has taken so far, so that a file the run would no
// longer have room for is skipped as the run would skip it.
NWCCODE DryRunClient::NWGetVolumeInfoWithNumber(
    NWCONN_HANDLE conn, std::uint16_t volumeNumber, char* volumeName, std::uint32_t* totalBlocks,
    std::uint16_t* sectorsPerBlock, std::uint32_t* availableBlocks, std::uint32_t* totalDirEntries,
    std::uint32_t* availableDirEntries, std::uint16_t* volumeIsRemovable) {
    std::uint16_t sectors = 0;
    std::uint32_t total = 0;
    std::uint32_t available = 0;
    const NWCCODE code = inner_.NWGetVolumeInfoWithNumber(conn, volumeNumber, volumeName, &total,
                                                          &sectors, &available, totalDirEntries,
                                                          availableDirEntries, volumeIsRemovable);
    if (code == nw::SUCCESSFUL) {
        if (const auto volume = state_.VolumeKey(conn, volumeNumber)) {
            state_.NoteBlockSize(*volume, std::uint64_t{sectors} * 512);
            const std::int64_t free =
                static_cast<std::int64_t>(available) - state_.PlannedBlocks(*volume);
            available = static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(free, 0, static_cast<std::int64_t>(total)));
        }
    }
    if (totalBlocks)
        *totalBlocks = total;
    if (sectorsPerBlock)
        *sectorsPerBlock = sectors;
    if (availableBlocks)
        *availableBlocks = available;
    return code;
}

NWCCODE DryRunClient::NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                           const char* path, std::uint8_t* nameSpace) {
    const Lookup found = state_.overlay.Find(KeyOf(conn, dirHandle, path));
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    if (found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made) {
        if (nameSpace)
            *nameSpace = found.entry->nameSpace;
        return Done(nw::SUCCESSFUL);
    }
    return inner_.NWGetOwningNameSpace(conn, dirHandle, path, nameSpace);
}

NWCCODE DryRunClient::NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                       std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                                       std::uint16_t searchAttributes, std::uint32_t returnInfoMask,
                                       EntryInfo* info) {
    const Lookup found = state_.overlay.Find(KeyOf(conn, dirHandle, path));
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    if (found.state == Lookup::State::Unknown)
        return inner_.NWGetNSEntryInfo(conn, dirHandle, path, srcNameSpace, dstNameSpace,
                                       searchAttributes, returnInfoMask, info);
    const PlannedEntry& entry = *found.entry;
    if (entry.kind == PlannedEntry::Kind::Changed) {
        const NWCCODE code =
            inner_.NWGetNSEntryInfo(conn, dirHandle, path, srcNameSpace, dstNameSpace,
                                    searchAttributes, returnInfoMask, info);
        if (code == nw::SUCCESSFUL && info) {
            const std::uint32_t kept = info->attributes & (nw::A_DIRECTORY | nw::A_FILE_COMPRESSED);
            info->attributes = (entry.attributes.Apply(info->attributes & ~kept) & ~kept) | kept;
            info->inheritedRightsMask =
                static_cast<std::uint16_t>(entry.rights.Apply(info->inheritedRightsMask));
            if (entry.modified) {
                info->modifyDate = entry.modified->first;
                info->modifyTime = entry.modified->second;
            }
        }
        return code;
    }
    if (info) {
        *info = EntryInfo();
        info->attributes = PlannedView::AttributeWord(entry);
        info->dataStreamSize = entry.directory ? 0 : entry.size;
        info->spaceAllocated = entry.directory ? 0 : entry.storedSize;
        const auto [date, time] = entry.modified.value_or(DosNow());
        info->modifyDate = info->creationDate = info->lastAccessDate = date;
        info->modifyTime = info->creationTime = time;
        info->inheritedRightsMask = static_cast<std::uint16_t>(entry.rights.Apply(0));
        info->nameSpaceCreator = entry.nameSpace;
        CopyOut(info->entryName, sizeof info->entryName, entry.name);
    }
    return Done(nw::SUCCESSFUL);
}

NWCCODE DryRunClient::NWIntScanDirectoryInformation2(
    NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* searchPath, std::uint32_t* sequence,
    char* dirName, std::uint32_t* dirDateTime, std::uint32_t* ownerID, std::uint8_t* rightsMask,
    std::uint16_t augmentFlag) {
    const Lookup found = state_.overlay.Find(KeyOf(conn, dirHandle, searchPath));
    if (found.state == Lookup::State::Absent)
        return Done(nw::NO_FILES_FOUND);
    if (found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made) {
        const PlannedEntry& entry = *found.entry;
        if (!entry.directory || (sequence && *sequence != 0xFFFFFFFF))
            return Done(nw::NO_FILES_FOUND);
        CopyOut(dirName, 16, entry.name);
        const auto [date, time] = entry.modified.value_or(DosNow());
        if (dirDateTime)
            *dirDateTime = (static_cast<std::uint32_t>(date) << 16) | time;
        if (ownerID)
            *ownerID = 0;
        if (rightsMask)
            *rightsMask = 0xFF;
        return Done(nw::SUCCESSFUL);
    }
    return inner_.NWIntScanDirectoryInformation2(conn, dirHandle, searchPath, sequence, dirName,
                                                 dirDateTime, ownerID, rightsMask, augmentFlag);
}

NWCCODE DryRunClient::NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                    std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                                    char* longName) {
    const Lookup found = state_.overlay.Find(KeyOf(conn, dirHandle, path));
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    if (found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made) {
        CopyOut(longName, 256, found.entry->name);
        return Done(nw::SUCCESSFUL);
    }
    return inner_.NWGetLongName(conn, dirHandle, path, srcNameSpace, dstNameSpace, longName);
}

NWCCODE DryRunClient::NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                           const char* path, std::uint32_t* sequence,
                                           std::uint16_t* numberOfEntries, NWET_INFO* info,
                                           std::uint16_t augmentFlag) {
    const Lookup found = state_.overlay.Find(KeyOf(conn, dirHandle, path));
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    if (found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made) {
        if (numberOfEntries)
            *numberOfEntries = 0;
        return Done(nw::NO_MORE_TRUSTEES);  // a new entry has none of its own
    }
    return inner_.NWIntScanForTrustees(conn, dirHandle, path, sequence, numberOfEntries, info,
                                       augmentFlag);
}

NWCCODE DryRunClient::NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                        const char* path, std::uint8_t) {
    const std::string key = KeyOf(conn, dirHandle, path);
    if (key.empty())
        return Done(nw::SUCCESSFUL);  // a place the plan cannot name: nothing is made
    const std::string shown = state_.Shown(conn, path, key);
    switch (view_.MakeDirectory(key, shown, NewEntryNameSpace(conn, key))) {
        case PlannedView::Outcome::Done:
            return Done(nw::SUCCESSFUL);
        case PlannedView::Outcome::Exists:
            return Done(nw::FILE_EXISTS);
        default:
            return Done(nw::INVALID_PATH);
    }
}

NWCCODE DryRunClient::NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                          const char* path, std::uint8_t, std::uint16_t,
                                          std::uint32_t modifyDOSMask,
                                          const NWEntryDOSInfo* dosInfo) {
    const std::string key = KeyOf(conn, dirHandle, path);
    if (key.empty())
        return Done(nw::SUCCESSFUL);
    const Lookup found = state_.overlay.Find(key);
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    bool directory = false;
    if (found.state == Lookup::State::Unknown && !view_.Exists(key, &directory))
        return Done(nw::NO_FILES_FOUND);
    if (!dosInfo)
        return Done(nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD);
    // A date the network would refuse leaves the entry as it was, as on the network.
    const bool dated = (modifyDOSMask & (nw::DM_MODIFY_DATE | nw::DM_MODIFY_TIME)) != 0;
    if (dated && sim::UnpackDosTime(dosInfo->modifyDate, dosInfo->modifyTime) == -1)
        return Done(nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD);
    PlannedEntry& entry = state_.overlay.Change(key, directory);
    if (modifyDOSMask & nw::DM_ATTRIBUTES)
        entry.attributes.Then(
            {0, dosInfo->attributes & ~(nw::A_DIRECTORY | nw::A_FILE_COMPRESSED)});
    if (modifyDOSMask & nw::DM_INHERITED_RIGHTS_MASK) {
        const std::uint32_t revoke = dosInfo->inheritanceRevokeMask;
        entry.rights.Then({~revoke, dosInfo->inheritanceGrantMask & ~revoke});
    }
    if (dated)
        entry.modified = std::make_pair(dosInfo->modifyDate, dosInfo->modifyTime);
    return Done(nw::SUCCESSFUL);
}

NWCCODE DryRunClient::NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                    std::uint8_t nameSpace, std::uint8_t dataStream,
                                    const char* path, NW_NS_OPENCREATE* request,
                                    win::HANDLE* fileHandle) {
    if (!request || dataStream != 0)
        return Done(nw::NO_SUCH_OBJECT_OR_BAD_PASSWORD);
    const std::string key = KeyOf(conn, dirHandle, path);
    const Lookup found = state_.overlay.Find(key);
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    const bool made =
        found.state == Lookup::State::Present && found.entry->kind == PlannedEntry::Kind::Made;
    if (!WantsToWrite(*request)) {
        if (made)
            return Done(nw::ACCESS_DENIED);  // the plan has no bytes to read
        const NWCCODE code =
            inner_.NWOpenNSEntry(conn, dirHandle, nameSpace, dataStream, path, request, fileHandle);
        if (code == nw::SUCCESSFUL)
            state_.currentSource = state_.Shown(conn, path ? path : "", key.empty() ? path : key);
        return code;
    }
    if (!key.empty() && !made && !view_.Exists(key))
        return Done(nw::NO_FILES_FOUND);
    if (made && (request->openCreateMode & nw::OC_MODE_REPLACE)) {
        PlannedEntry truncated = *found.entry;
        truncated.size = truncated.storedSize = 0;
        state_.overlay.Put(key, truncated);
    }
    // Only a file the plan makes is written; a file on the network opened for writing is held
    // open and never changed.
    const win::HANDLE handle = state_.OpenPretendFile(made ? key : std::string());
    request->NetWareHandle = static_cast<std::uint32_t>(handle);
    request->openCreateAction = 0x01;
    if (fileHandle)
        *fileHandle = handle;
    return Done(nw::SUCCESSFUL);
}

NWCCODE DryRunClient::NWSetCompressedFileSize(NWCONN_HANDLE, win::HANDLE fileHandle,
                                              std::uint64_t requestedSize,
                                              std::uint64_t* resultSize) {
    const PretendFile* file = state_.FindPretendFile(fileHandle);
    if (!file)
        return Done(kInvalidFileHandle);
    if (!file->key.empty()) {
        PlannedEntry& entry = state_.overlay.Change(file->key, false);
        entry.compressed = true;
        entry.storedSize = requestedSize;
    }
    if (resultSize)
        *resultSize = requestedSize;
    return Done(nw::SUCCESSFUL);
}

NWCCODE DryRunClient::NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                   std::uint32_t, std::uint16_t) {
    const Lookup found = state_.overlay.Find(KeyOf(conn, dirHandle, path));
    if (found.state == Lookup::State::Absent)
        return Done(Missing(found));
    return Done(nw::SUCCESSFUL);
}

NWCCODE DryRunClient::NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                        const char* path) {
    const std::string key = KeyOf(conn, dirHandle, path);
    if (key.empty())
        return Done(nw::SUCCESSFUL);
    switch (view_.RemoveDirectory(key, state_.Shown(conn, path, key))) {
        case PlannedView::Outcome::Done:
            return Done(nw::SUCCESSFUL);
        case PlannedView::Outcome::NotEmpty:
            return Done(nw::DIRECTORY_NOT_EMPTY);
        case PlannedView::Outcome::NotDirectory:
            return Done(nw::NO_FILES_FOUND);
        default:
            return Done(nw::INVALID_PATH);
    }
}

}  // namespace dryrun
