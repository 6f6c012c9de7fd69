#include "app/network_places.h"

#include <algorithm>

#include "netware/netware_client.h"
#include "netware/server_list.h"
#include "netware/target_server.h"
#include "platform/file_services.h"
#include "platform/locale.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// A NetWare server numbers its volumes from 0; 64 is the most a server mounts.
constexpr std::uint16_t kMaxVolumes = 64;

PlaceListing Unavailable(std::string reason) {
    PlaceListing listing;
    listing.available = false;
    listing.reason = std::move(reason);
    return listing;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

void SortIgnoringCase(std::vector<std::string>* names) {
    std::stable_sort(names->begin(), names->end(), &LessIgnoringCase);
}

// The server's connection when it is logged in; 0 otherwise.
NWCONN_HANDLE LoggedInConnection(const std::string& server) {
    NWCONN_HANDLE conn = 0;
    if (NetWare().NWGetConnectionHandle(server.c_str(), 0, &conn, nullptr) != nw::SUCCESSFUL)
        return 0;
    NWCCConnStatus status;
    if (NetWare().NWGetConnectionStatus(conn, &status, sizeof status) != nw::SUCCESSFUL)
        return 0;
    return (status.flags & nw::CONN_LOGGED_IN) != 0 ? conn : 0;
}

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

}  // namespace

std::string ServerPath(const std::string& server) {
    return "\\\\" + server;
}

std::string PlaceBelow(const std::string& parent, const std::string& name) {
    return parent + "\\" + name;
}

PlaceListing ListNetworkServers() {
    PlaceListing listing;
    if (ScanFileServers([&](const std::string& name) { listing.names.push_back(name); }) !=
        nw::SUCCESSFUL)
        return Unavailable(LoadResString(IDS_ERR_NO_NETWORK_FOLDER));
    SortIgnoringCase(&listing.names);
    return listing;
}

PlaceListing ListServerVolumes(const std::string& server) {
    const NWCONN_HANDLE conn = LoggedInConnection(server);
    if (conn == 0)
        return Unavailable(LoadResString(IDS_BROWSE_NOT_LOGGED_IN));
    PlaceListing listing;
    // Numbers may have gaps (a volume that is not mounted): every number is asked.
    for (std::uint16_t number = 0; number < kMaxVolumes; ++number) {
        char name[nw::kNameSize] = {};
        const NWCCODE code = NetWare().NWGetVolumeInfoWithNumber(
            conn, number, name, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (code == nw::VOLUME_DOES_NOT_EXIST)
            continue;
        if (code != nw::SUCCESSFUL)
            return Unavailable(FormatText(LoadResString(IDS_BROWSE_NO_VOLUMES), code));
        name[nw::kNameSize - 1] = '\0';
        if (name[0] != '\0')
            listing.names.emplace_back(name);
    }
    return listing;
}

PlaceListing ListSubdirectories(const std::string& directory) {
    PlaceListing listing;
    const std::string pattern = directory + "\\*.*";
    win::FindData entry;
    win::ScopedFind find(win::Files().FindFirstFile(pattern.c_str(), &entry));
    if (!find.Valid()) {
        const std::uint32_t error = win::Files().GetLastError();
        // An empty volume root has nothing to list, not even "." and "..".
        if (error == win::ERROR_FILE_NOT_FOUND || error == win::ERROR_NO_MORE_FILES)
            return listing;
        return Unavailable(
            FormatText(LoadResString(IDS_BROWSE_UNREADABLE), SystemErrorText(error).c_str()));
    }
    do {
        if ((entry.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0 && !IsDotEntry(entry.fileName))
            listing.names.push_back(entry.fileName);
    } while (win::Files().FindNextFile(find.Get(), &entry));
    const std::uint32_t error = win::Files().GetLastError();
    // A listing that breaks off is not shown as complete.
    if (error != win::ERROR_NO_MORE_FILES)
        return Unavailable(
            FormatText(LoadResString(IDS_BROWSE_UNREADABLE), SystemErrorText(error).c_str()));
    SortIgnoringCase(&listing.names);
    return listing;
}
