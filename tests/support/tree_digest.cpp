#include "tests/support/tree_digest.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// One line of plain facts of a local entry: kind, size, time and, for a file, its bytes.
std::string LocalFacts(const std::filesystem::path& path) {
    struct stat sb {};
    if (::lstat(path.c_str(), &sb) != 0)
        return "unreadable";
    std::ostringstream line;
    line << (S_ISDIR(sb.st_mode)   ? "dir"
             : S_ISLNK(sb.st_mode) ? "link"
                                   : "file")
         << " mode=" << std::oct << (sb.st_mode & 07777) << std::dec
         << " mtime=" << sb.st_mtim.tv_sec << "." << sb.st_mtim.tv_nsec;
    if (S_ISREG(sb.st_mode))
        line << " size=" << sb.st_size << " bytes=" << std::hash<std::string>()(Contents(path));
    return line.str();
}

std::vector<std::filesystem::path> Entries(const std::filesystem::path& top) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(
             top, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

std::string NetPath(const std::string& relative) {
    std::string path = "\\\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

std::string TreeDigest(TestNetwork& net, const std::string& relative) {
    const std::filesystem::path top = net.LocalPath(relative);
    std::ostringstream digest;
    std::vector<std::filesystem::path> entries = Entries(top);
    entries.insert(entries.begin(), top);
    for (const std::filesystem::path& p : entries) {
        const std::string rel = std::filesystem::relative(p, net.Root()).string();
        digest << rel << ": " << LocalFacts(p);
        sim::EntryMeta meta;
        std::string error;
        if (net.Net().GetEntryMeta(NetPath(rel), &meta, &error)) {
            digest << " attributes=" << meta.attributes << " irm=" << meta.inheritedRightsMask
                   << " ns=" << int(meta.nameSpace) << " short=" << meta.shortName
                   << " compressed=" << meta.compressed;
            for (const auto& [id, rights] : meta.trustees)
                digest << " trustee=" << id << ":" << rights;
        } else {
            digest << " (" << error << ")";
        }
        digest << "\n";
    }
    return digest.str();
}

std::string RootDigestExcept(const TestNetwork& net, const std::vector<std::string>& skipped) {
    std::ostringstream digest;
    for (const std::filesystem::path& p : Entries(net.Root())) {
        const std::string rel = std::filesystem::relative(p, net.Root()).string();
        const auto within = [&rel](const std::string& top) {
            return rel == top || rel.rfind(top + "/", 0) == 0;
        };
        if (within(".netsim") || std::any_of(skipped.begin(), skipped.end(), within))
            continue;
        digest << rel << ": " << LocalFacts(p) << "\n";
    }
    return digest.str();
}
