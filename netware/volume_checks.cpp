#include "netware/volume_checks.h"

#include "platform/file_services.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::size_t kMaxVolumeName = nw::kNameSize - 1;
constexpr std::uint32_t kLongNameComponentLength = 255;
constexpr std::uint64_t kBytesPerSector = 512;

// The volume's number, reporting a missing volume and any other failure.
bool GetVolumeNumber(NWCONN_HANDLE conn, const std::string& serverName,
                     const std::string& volumeName, std::uint16_t* volumeNumber) {
    const NWCCODE code = NetWare().NWGetVolumeNumber(conn, volumeName.c_str(), volumeNumber);
    if (code == nw::VOLUME_DOES_NOT_EXIST) {
        ErrorBox(LoadResString(IDS_ERR_NO_VOLUME), volumeName.c_str(), serverName.c_str());
        return false;
    }
    if (code != nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_VOLUME_DETAILS), volumeName.c_str(), serverName.c_str(),
                 code);
        return false;
    }
    return true;
}

}  // namespace

bool CheckDestinationVolume(NWCONN_HANDLE conn, const std::string& serverName,
                            const std::string& targetPath, std::string* volumeName) {
    // The target path is "\VOLUME\dir...": the volume runs from its second character up to
    // the next backslash, or to the end.
    std::string volume;
    if (targetPath.size() > 1) {
        const std::size_t end = targetPath.find('\\', 1);
        volume = targetPath.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    if (volume.size() > kMaxVolumeName)
        volume.resize(kMaxVolumeName);
    if (volumeName)
        *volumeName = volume;

    std::uint16_t volumeNumber = 0;
    return GetVolumeNumber(conn, serverName, volume, &volumeNumber);
}

bool CheckDestinationPath(NWCONN_HANDLE conn, NWDIR_HANDLE* dirHandle,
                          const std::string& serverName, const std::string& targetPath,
                          std::string* relativePath) {
    NetWareClient& nw = NetWare();
    const std::string uncPath =
        FormatText(LoadResString(IDS_FMT_SERVER_PATH), serverName.c_str(), targetPath.c_str());

    NWDIR_HANDLE handle = 0;
    char relative[win::kPathBufferSize] = {};
    bool exists =
        nw.NWParseNetWarePath(uncPath.c_str(), nullptr, &handle, relative) == nw::SUCCESSFUL;
    relative[win::kPathBufferSize - 1] = '\0';
    // The temporary handle only proves that the path exists; nothing uses it afterwards.
    if (exists)
        exists = nw.NWAllocTemporaryDirectoryHandle(conn, 0, relative, &handle, nullptr) ==
                 nw::SUCCESSFUL;
    if (dirHandle)
        *dirHandle = handle;
    if (relativePath)
        *relativePath = relative;
    if (!exists) {
        // The path as configured, not its UNC form.
        ErrorBox(LoadResString(IDS_ERR_NO_DEST_PATH), targetPath.c_str(), serverName.c_str());
        return false;
    }
    return true;
}

bool SupportsLongNames(const std::string& rootPath) {
    std::uint32_t maxComponentLength = 0;
    std::uint32_t fileSystemFlags = 0;
    char fileSystemName[nw::kNameSize] = {};
    if (!win::Files().GetVolumeInformation(rootPath.c_str(), nullptr, 0, nullptr,
                                           &maxComponentLength, &fileSystemFlags, fileSystemName,
                                           sizeof fileSystemName)) {
        ErrorBox(LoadResString(IDS_ERR_LONG_NAME_CHECK), rootPath.c_str());
        return false;
    }
    return maxComponentLength == kLongNameComponentLength;
}

bool VolumeSupportsCompression(NWCONN_HANDLE conn, const std::string& serverName,
                               const std::string& volumeName) {
    NetWareClient& nw = NetWare();
    std::uint8_t majorVersion = 0, minorVersion = 0;
    NWCCODE code =
        nw.NWGetFileServerInformation(conn, nullptr, &majorVersion, &minorVersion, nullptr);
    if (code != nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_SERVER_VERSION), serverName.c_str(), code);
        return false;
    }
    if (majorVersion < 4)
        return false;  // NetWare 3.x never compresses

    std::uint16_t volumeNumber = 0;
    if (!GetVolumeNumber(conn, serverName, volumeName, &volumeNumber))
        return false;

    NWVolExtendedInfo info;
    code = nw.NWGetExtendedVolumeInfo(conn, volumeNumber, &info);
    if (code != nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_EXTENDED_VOLUME), volumeName.c_str(), serverName.c_str(),
                 code);
        return false;
    }
    return (info.statusFlag & nw::VOL_COMPRESSION_ENABLED) != 0;
}

bool HasRoomForFile(NWCONN_HANDLE conn, const std::string& destinationDir, const EntryInfo& source,
                    bool* noRoom) {
    NetWareClient& nw = NetWare();
    char serverName[nw::kNameSize] = {};
    char volumeName[nw::kNameSize] = {};
    NWCCODE code = nw.NWParsePath(destinationDir.c_str(), serverName, nullptr, volumeName, nullptr);
    if (code != nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_VOLUME_FROM_PATH), destinationDir.c_str(), code);
        return false;
    }
    serverName[nw::kNameSize - 1] = volumeName[nw::kNameSize - 1] = '\0';

    std::uint16_t volumeNumber = 0;
    if (!GetVolumeNumber(conn, serverName, volumeName, &volumeNumber))
        return false;

    std::uint16_t sectorsPerBlock = 0;
    std::uint32_t availableBlocks = 0;
    code = nw.NWGetVolumeInfoWithNumber(conn, volumeNumber, nullptr, nullptr, &sectorsPerBlock,
                                        &availableBlocks, nullptr, nullptr, nullptr);
    if (code != nw::SUCCESSFUL) {
        ErrorBox(LoadResString(IDS_ERR_VOLUME_STATS), destinationDir.c_str(), code);
        return false;
    }

    // 64-bit arithmetic over the full block count: a large volume never wraps to "full".
    const std::uint64_t freeBytes =
        static_cast<std::uint64_t>(availableBlocks) * sectorsPerBlock * kBytesPerSector;
    const bool room = source.dataStreamSize < freeBytes;
    if (noRoom)
        *noRoom = !room;
    return room;
}
