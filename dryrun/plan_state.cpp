#include "dryrun/plan_state.h"

#include <algorithm>

#include "netware/sim/sim_names.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace dryrun {

namespace {

// The engine uses a parsed path right after parsing it, so the latest few are enough.
constexpr std::size_t kParsedKept = 16;
constexpr std::uint64_t kDefaultBlockSize = 4096;

std::uint64_t Blocks(std::uint64_t bytes, std::uint64_t blockSize) {
    return (bytes + blockSize - 1) / blockSize;
}

}  // namespace

win::HANDLE PlanState::OpenPretendFile(const std::string& key) {
    const win::HANDLE handle = nextHandle_++;
    files_[handle].key = key;
    return handle;
}

PretendFile* PlanState::FindPretendFile(win::HANDLE handle) {
    const auto it = files_.find(handle);
    return it == files_.end() ? nullptr : &it->second;
}

bool PlanState::ClosePretendFile(win::HANDLE handle) {
    return files_.erase(handle) != 0;
}

win::HANDLE PlanState::OpenPretendFind(std::vector<win::FindData> items) {
    const win::HANDLE handle = nextHandle_++;
    finds_[handle].items = std::move(items);
    return handle;
}

PretendFind* PlanState::FindPretendFind(win::HANDLE handle) {
    const auto it = finds_.find(handle);
    return it == finds_.end() ? nullptr : &it->second;
}

bool PlanState::ClosePretendFind(win::HANDLE handle) {
    return finds_.erase(handle) != 0;
}

void PlanState::NoteParsed(NWCONN_HANDLE conn, const std::string& relative,
                           const std::string& path) {
    parsed_.push_back({conn, sim::Upper(relative), path});
    if (parsed_.size() > kParsedKept)
        parsed_.pop_front();
}

std::string PlanState::Shown(NWCONN_HANDLE conn, const std::string& relative,
                             const std::string& key) const {
    const std::string upper = sim::Upper(relative);
    for (auto it = parsed_.rbegin(); it != parsed_.rend(); ++it) {
        if (it->conn == conn && it->relative == upper)
            return it->path;
    }
    return key;
}

void PlanState::NoteServer(NWCONN_HANDLE conn, const std::string& server) {
    if (conn != 0 && !server.empty())
        servers_[conn] = sim::Upper(server);
}

std::optional<std::string> PlanState::ServerOf(NWCONN_HANDLE conn) const {
    const auto it = servers_.find(conn);
    if (it == servers_.end())
        return std::nullopt;
    return it->second;
}

void PlanState::NoteVolume(NWCONN_HANDLE conn, std::uint16_t number, const std::string& volume) {
    volumes_[{conn, number}] = sim::Upper(volume);
}

std::optional<std::string> PlanState::VolumeKey(NWCONN_HANDLE conn, std::uint16_t number) const {
    const auto volume = volumes_.find({conn, number});
    const auto server = ServerOf(conn);
    if (volume == volumes_.end() || !server)
        return std::nullopt;
    return "\\\\" + *server + "\\" + volume->second;
}

void PlanState::NoteBlockSize(const std::string& volumeKey, std::uint64_t bytes) {
    if (bytes != 0)
        blockSizes_[volumeKey] = bytes;
}

void PlanState::Occupy(const std::string& volumeKey, std::uint64_t oldBytes,
                       std::uint64_t newBytes) {
    const auto size = blockSizes_.find(volumeKey);
    const std::uint64_t blockSize = size == blockSizes_.end() ? kDefaultBlockSize : size->second;
    plannedBlocks_[volumeKey] += static_cast<std::int64_t>(Blocks(newBytes, blockSize)) -
                                 static_cast<std::int64_t>(Blocks(oldBytes, blockSize));
}

std::int64_t PlanState::PlannedBlocks(const std::string& volumeKey) const {
    const auto it = plannedBlocks_.find(volumeKey);
    return it == plannedBlocks_.end() ? 0 : it->second;
}

std::string PlanState::KeyOf(NetWareClient& client, NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                             const char* path) {
    const std::string relative = path ? path : "";
    const auto colon = relative.find(':');
    if (dirHandle != 0 || colon == std::string::npos || colon == 0)
        return {};
    std::optional<std::string> server = ServerOf(conn);
    if (!server) {
        char name[nw::kNameSize] = {};
        if (client.NWGetFileServerName(conn, name) != nw::SUCCESSFUL)
            return {};
        NoteServer(conn, name);
        server = ServerOf(conn);
    }
    std::string rest = relative.substr(colon + 1);
    std::replace(rest.begin(), rest.end(), '/', '\\');
    while (!rest.empty() && rest.front() == '\\')
        rest.erase(0, 1);
    const std::string volume = "\\\\" + *server + "\\" + relative.substr(0, colon);
    return Overlay::Key(rest.empty() ? volume : volume + "\\" + rest);
}

void PlanState::Plan(unsigned format, const std::string& server, const std::string& first,
                     const std::string& second, const std::string& third) {
    out_ << FormatText(LoadResString(format), server.c_str(), first.c_str(), second.c_str(),
                       third.c_str())
         << '\n';
}

}  // namespace dryrun
