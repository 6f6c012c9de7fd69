#include "tools/drop_paths.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>

#include "netware/netware_client.h"
#include "netware/sim/sim_names.h"
#include "resources/string_ids.h"
#include "util/string_table.h"

namespace {

namespace fs = std::filesystem;

bool IsNetworkForm(const std::string& path) {
    return path.rfind("\\\\", 0) == 0 || (path.size() >= 2 && path[1] == ':' &&
                                          std::isalpha(static_cast<unsigned char>(path[0])));
}

// True when path is root or lies below it (both lexically normal, absolute).
bool IsWithin(const fs::path& path, const fs::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty())
            continue;  // the trailing "" of a root given with a slash
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

// A local path split where it enters the network: the place reached so far with every link
// resolved (inside the root), and the names below it, none of them resolved.
struct NetworkPlace {
    fs::path inside;
    std::vector<std::string> below;
};

// Walks the path from the top, resolving links only until the walk is inside the network
// root; false when it never gets there.
bool FindNetworkPlace(const fs::path& absolute, const fs::path& root, NetworkPlace* place) {
    fs::path prefix;
    for (auto it = absolute.begin(); it != absolute.end(); ++it) {
        if (!place->inside.empty()) {
            place->below.push_back(it->string());
            continue;
        }
        prefix /= *it;
        std::error_code ec;
        const fs::path resolved = fs::weakly_canonical(prefix, ec);
        if (!ec && IsWithin(resolved, root))
            place->inside = resolved;
    }
    return !place->inside.empty();
}

// Why an entry below the network root cannot be dropped: empty when it can.
std::string ReasonToLeaveOut(const NetworkPlace& place) {
    fs::path path = place.inside;
    for (const std::string& name : place.below) {
        if (!sim::IsNetWareName(name))
            return LoadResString(IDS_BATCH_SKIP_BAD_NAME);
        path /= name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return {};  // not there: the run's scan says so
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
            return LoadResString(IDS_BATCH_SKIP_LINK);
    }
    return {};
}

}  // namespace

DropList MakeDropList(const std::vector<std::string>& paths, const std::string& networkRoot) {
    DropList list;
    const fs::path root = fs::path(networkRoot).lexically_normal();
    for (const std::string& path : paths) {
        if (IsNetworkForm(path)) {
            list.paths.push_back(path);
            continue;
        }
        std::error_code ec;
        fs::path absolute = fs::absolute(path, ec).lexically_normal();
        if (ec) {
            list.paths.push_back(path);
            continue;
        }
        if (!absolute.has_filename() && absolute.has_parent_path())
            absolute = absolute.parent_path();  // "dir/" names dir itself
        NetworkPlace place;
        if (!FindNetworkPlace(absolute, root, &place)) {
            list.paths.push_back(absolute.string());
            continue;
        }
        const std::string reason = ReasonToLeaveOut(place);
        if (!reason.empty()) {
            list.leftOut.push_back({path, reason});
            continue;
        }
        fs::path local = place.inside;
        for (const std::string& name : place.below)
            local /= name;
        std::string netPath;
        list.paths.push_back(NetWare().LocalPathToNetWarePath(local.string(), &netPath)
                                 ? netPath
                                 : absolute.string());
    }
    return list;
}
