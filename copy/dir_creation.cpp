// Making a destination directory and carrying NetWare metadata (attributes, inherited rights
// mask, modification time, trustees) from a source entry to its copy.
#include "copy/dir_creation.h"

#include <algorithm>
#include <cctype>

#include "copy/copy_run.h"
#include "netware/client_startup.h"
#include "netware/trustee_transfer.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/string_table.h"

namespace {

// Rights an inherited rights mask carries over: everything of the low byte except 0x04.
constexpr std::uint16_t kCarriedRights = 0x01 | 0x02 | 0x08 | 0x10 | 0x20 | 0x40 | 0x80;

constexpr std::uint16_t kSearchDirectories = 0x10;
constexpr std::uint16_t kSearchHiddenSystem = 0x06;
constexpr std::uint16_t kSearchAll = 0xFB;
constexpr std::uint32_t kInfoAttributesAndRights = 0x0804;
constexpr std::uint8_t kNewDirectoryAccessMask = 0xFB;

struct NetWareEntry {
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE dirHandle = 0;
    char path[win::kPathBufferSize] = {};
    std::uint8_t nameSpace = 0;
};

void UpperCase(char* text) {
    for (; *text; ++text)
        *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}

// Parses path and reads its owning name space; reports and returns false on failure.
bool ParseEntry(const std::string& path, bool upperCase, NetWareEntry* entry) {
    if (NetWare().NWParseNetWarePath(path.c_str(), &entry->conn, &entry->dirHandle, entry->path) !=
        0) {
        ErrorAskContinue(LoadResString(IDS_ERR_PARSE_PATH), path.c_str(), LastNetWareError);
        return false;
    }
    if (upperCase)
        UpperCase(entry->path);
    return true;
}

bool ReadNameSpace(const std::string& path, NetWareEntry* entry) {
    if (NetWare().NWGetOwningNameSpace(entry->conn, entry->dirHandle, entry->path,
                                       &entry->nameSpace) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_NAMESPACE), path.c_str(), LastNetWareError);
        return false;
    }
    return true;
}

bool DirectoryExists(const NetWareEntry& entry) {
    std::uint32_t sequence = 0xFFFFFFFF;
    char name[nw::kLongNameSize] = {};
    std::uint32_t dateTime = 0;
    std::uint32_t owner = 0;
    return NetWare().NWIntScanDirectoryInformation2(entry.conn, entry.dirHandle, entry.path,
                                                    &sequence, name, &dateTime, &owner, nullptr,
                                                    0) == 0;
}

// Brings the destination directory's attributes and inherited rights mask into line with the
// source's, as far as the options ask for it.
bool ApplyDirectoryInfo(const std::string& destinationDir, const NetWareEntry& destination,
                        const EntryInfo& source) {
    if (!CopyOptions.CopyAttributes && !CopyOptions.CopyInheritedRightsMask)
        return true;
    NWEntryDOSInfo info{};
    std::uint32_t mask = 0;
    if (CopyOptions.CopyAttributes) {
        info.attributes = source.attributes;
        mask |= nw::DM_ATTRIBUTES;
    }
    if (CopyOptions.CopyInheritedRightsMask) {
        info.inheritanceRevokeMask = RevokeMaskFor(source.inheritedRightsMask);
        mask |= nw::DM_INHERITED_RIGHTS_MASK;
    }
    if (NetWare().NWSetNSEntryDOSInfo(destination.conn, destination.dirHandle, destination.path,
                                      destination.nameSpace, kSearchDirectories, mask,
                                      &info) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_SET_ATTRIBUTES), destinationDir.c_str(),
                         LastNetWareError);
        return false;
    }
    return true;
}

}  // namespace

std::uint16_t RevokeMaskFor(std::uint16_t sourceInheritedRightsMask) {
    return static_cast<std::uint16_t>(~sourceInheritedRightsMask & kCarriedRights);
}

bool CreateDestinationDirectory(const std::string& sourceDir, const std::string& destinationDir) {
    NetWareEntry source;
    if (!ParseEntry(sourceDir, false, &source) || !ReadNameSpace(sourceDir, &source))
        return false;
    EntryInfo sourceInfo{};
    if (NetWare().NWGetNSEntryInfo(source.conn, source.dirHandle, source.path, source.nameSpace,
                                   source.nameSpace, kSearchAll, kInfoAttributesAndRights,
                                   &sourceInfo) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_GET_ATTRIBUTES), sourceDir.c_str(),
                         LastNetWareError);
        return false;
    }

    NetWareEntry destination;
    if (!ParseEntry(destinationDir, !CopyRun.DestHasLongNames, &destination))
        return false;
    if (!DirectoryExists(destination) &&
        NetWare().NWCreateDirectory(destination.conn, destination.dirHandle, destination.path,
                                    kNewDirectoryAccessMask) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_CREATE_DIR), destinationDir.c_str(),
                         LastNetWareError);
        return false;
    }
    if (!ReadNameSpace(destinationDir, &destination))
        return false;

    // Applied also to a directory that already existed, so that every run brings it into line.
    if (!ApplyDirectoryInfo(destinationDir, destination, sourceInfo))
        return false;

    CopyRun.DestIsDirectoryServices = destination.conn == source.conn
                                          ? CopyRun.SourceIsDirectoryServices
                                          : IsDirectoryServicesConnection(destination.conn);
    if (CopyOptions.CopyTrustees && CopyRun.SourceIsDirectoryServices &&
        CopyRun.DestIsDirectoryServices &&
        !TransferTrustees(source.conn, destination.conn, sourceDir, destinationDir)) {
        // The contents are skipped whatever the answer: the directory is not as it should be.
        ErrorAskContinue(LoadResString(IDS_ERR_SET_TRUSTEES), destinationDir.c_str());
        return false;
    }
    return true;
}

NWCCODE SetDestinationDosInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const std::string& netWarePath, std::uint8_t nameSpace,
                              const EntryInfo& source) {
    NWEntryDOSInfo info{};
    info.attributes = nw::A_NEEDS_ARCHIVING;
    if (CopyOptions.CopyAttributes)
        info.attributes |= source.attributes;
    info.modifyDate = source.modifyDate;
    info.modifyTime = source.modifyTime;
    std::uint32_t mask = nw::DM_ATTRIBUTES | nw::DM_MODIFY_DATE | nw::DM_MODIFY_TIME;
    if (CopyOptions.CopyInheritedRightsMask) {
        info.inheritanceRevokeMask = RevokeMaskFor(source.inheritedRightsMask);
        mask |= nw::DM_INHERITED_RIGHTS_MASK;
    }
    LastNetWareError = NetWare().NWSetNSEntryDOSInfo(conn, dirHandle, netWarePath.c_str(),
                                                     nameSpace, kSearchHiddenSystem, mask, &info);
    return LastNetWareError;
}
