// Opening a simulated network, and its administration: stat, attributes, rights masks,
// trustees, compression and the consistency check.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <set>

#include "netware/sim/held_directories.h"
#include "netware/sim/sim_names.h"
#include "netware/sim/sim_network_impl.h"
#include "platform/locale.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace sim {

std::unique_ptr<SimNetwork> SimNetwork::Open(const std::string& root, std::string* error,
                                             bool finishStoppedWork) {
    auto network = std::make_unique<NetworkImpl>();
    std::string ignored;
    if (!network->Load(root, error ? error : &ignored, finishStoppedWork))
        return nullptr;
    return network;
}

std::string SimNetwork::DefaultRoot() {
    const char* env = std::getenv("FARCAST_NETWORK");
    if (env && *env)
        return env;
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory rules say.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/farcast/network";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/farcast/network";
}

namespace {

std::string Printable(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    return out;
}

std::string NetDir(const Volume& v, const std::string& dirRel) {
    std::string out = "\\\\" + v.server->cfg.name + "\\" + v.cfg.name;
    for (const std::string& p : SplitPath(dirRel, true))
        out += "\\" + p;
    return out;
}

}  // namespace

namespace {

// The end of an administration call: false, with the store's reason, when the store did not
// keep the change.
bool Kept(MetadataStore::Scope& scope, const std::string& path, std::string* error) {
    if (const std::uint32_t failure = scope.End()) {
        *error = FormatText(LoadResString(IDS_SIM_CANNOT_CHANGE), path.c_str(),
                            SystemErrorText(failure).c_str());
        return false;
    }
    return true;
}

}  // namespace

bool NetworkImpl::Locate(const std::string& path, Entry* entry, std::string* error) {
    NetLoc loc;
    std::string local;
    if (core_.Classify(path, &loc, &local) != Where::Network) {
        *error = FormatText(LoadResString(IDS_SIM_NOT_ON_NETWORK), path.c_str());
        return false;
    }
    *entry = core_.Resolve(loc);
    // An administrator reads and changes what the store holds now.
    core_.BeforeChange(*entry);
    if (entry->error) {
        *error = FormatText(LoadResString(IDS_SIM_CANNOT_READ), path.c_str(),
                            SystemErrorText(entry->error).c_str());
        return false;
    }
    if (!entry->exists) {
        *error = FormatText(LoadResString(IDS_SIM_NO_SUCH_ENTRY), path.c_str());
        return false;
    }
    return true;
}

bool NetworkImpl::LocateBelowRoot(const std::string& path, Entry* entry, std::string* error) {
    if (!Locate(path, entry, error))
        return false;
    if (entry->isRoot) {
        *error = FormatText(LoadResString(IDS_SIM_NOT_A_FILE), path.c_str());
        return false;
    }
    return true;
}

bool NetworkImpl::GetEntryMeta(const std::string& path, EntryMeta* meta, std::string* error) {
    Entry e;
    std::string ignored;
    if (!Locate(path, &e, error ? error : &ignored))
        return false;
    *meta = EntryMeta();
    meta->directory = e.st.isDir;
    meta->modified = e.st.mtime;
    if (e.isRoot) {
        meta->name = meta->shortName = e.volume->cfg.name;
        meta->attributes = nw::A_DIRECTORY;
        meta->inheritedRightsMask = 0x00FF;
        meta->nameSpace = e.volume->cfg.longNames ? nw::NS_LONG : nw::NS_DOS;
        return true;
    }
    MetaRow row = core_.Meta(e);
    meta->name = e.name;
    meta->shortName = core_.Alias(e, &row);
    meta->attributes = core_.Attributes(e, row);
    meta->inheritedRightsMask = row.irm;
    meta->nameSpace = row.nameSpace;
    meta->compressed = row.compressed;
    meta->size = core_.DataSize(e, row);
    meta->storedSize = e.st.isDir ? 0 : e.st.size;
    meta->trustees = core_.Store().Trustees(row.id);
    return true;
}

bool NetworkImpl::Stat(const std::string& path, std::string* out, std::string* error) {
    EntryMeta m;
    if (!GetEntryMeta(path, &m, error))
        return false;
    Entry e;
    std::string ignored;
    Locate(path, &e, &ignored);
    std::time_t t = static_cast<std::time_t>(m.modified);
    std::tm tm{};
    localtime_r(&t, &tm);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
    char line[64];
    std::string text;
    text += "name=" + m.name + "\n";
    text += "short=" + m.shortName + "\n";
    text += std::string("directory=") + (m.directory ? "1" : "0") + "\n";
    std::snprintf(line, sizeof line, "attributes=0x%08X\n", m.attributes);
    text += line;
    std::snprintf(line, sizeof line, "irm=0x%04X\n", m.inheritedRightsMask);
    text += line;
    text += "size=" + std::to_string(m.size) + "\n";
    text += std::string("compressed=") + (m.compressed ? "1" : "0") + "\n";
    text += std::string("modified=") + when + "\n";
    const std::string& server = e.volume->server->cfg.name;
    for (const auto& [id, rights] : m.trustees) {
        std::string name;
        for (const ObjectConfig& o : core_.Config().objects) {
            auto it = o.ids.find(server);
            if (it != o.ids.end() && it->second == id)
                name = o.name;
        }
        if (name.empty()) {
            std::snprintf(line, sizeof line, "0x%08X", id);
            name = line;
        }
        std::snprintf(line, sizeof line, " 0x%04X\n", rights);
        text += "trustee=" + name + line;
    }
    *out = text;
    return true;
}

bool NetworkImpl::SetAttributes(const std::string& path, std::uint32_t attributes,
                                std::string* error) {
    MetadataStore::Scope scope(core_.Store(), true);
    Entry e;
    if (!LocateBelowRoot(path, &e, error))
        return false;
    MetaRow row = core_.Meta(e);
    core_.SetAttributeWord(e, &row, attributes);
    return Kept(scope, path, error);
}

bool NetworkImpl::SetInheritedRightsMask(const std::string& path, std::uint16_t mask,
                                         std::string* error) {
    MetadataStore::Scope scope(core_.Store(), true);
    Entry e;
    if (!LocateBelowRoot(path, &e, error))
        return false;
    MetaRow row = core_.Meta(e);
    row.irm = mask;
    core_.SaveMeta(e, row);
    return Kept(scope, path, error);
}

bool NetworkImpl::SetTrustee(const std::string& path, const std::string& objectName,
                             std::uint16_t rights, std::string* error) {
    MetadataStore::Scope scope(core_.Store(), true);
    Entry e;
    if (!LocateBelowRoot(path, &e, error))
        return false;
    const Server& s = *e.volume->server;
    std::uint32_t id = 0;
    for (const ObjectConfig& o : core_.Config().objects) {
        auto it = o.ids.find(s.cfg.name);
        if (SameName(o.name, objectName) && it != o.ids.end())
            id = it->second;
    }
    for (std::size_t i = 0; id == 0 && i < s.cfg.users.size(); ++i) {
        if (SameName(s.cfg.users[i].name, objectName))
            id = 0x02000001 + static_cast<std::uint32_t>(i);
    }
    if (id == 0) {
        *error =
            FormatText(LoadResString(IDS_SIM_NO_OBJECT_ID), objectName.c_str(), s.cfg.name.c_str());
        return false;
    }
    MetaRow row = core_.Meta(e);
    if (row.id == 0)
        core_.Store().InsertNew(core_.KeyOf(e), IdentityOf(e.st), &row);
    core_.Store().SetTrustee(row.id, core_.KeyOf(e), id, rights);
    return Kept(scope, path, error);
}

bool NetworkImpl::Compress(const std::string& path, std::string* error) {
    MetadataStore::Scope scope(core_.Store(), true);
    Entry e;
    if (!Locate(path, &e, error))
        return false;
    if (!e.st.isFile) {
        *error = FormatText(LoadResString(IDS_SIM_NOT_A_FILE), path.c_str());
        return false;
    }
    const Volume& v = *e.volume;
    if (!v.cfg.compression || v.server->cfg.majorVersion < 4) {
        *error = FormatText(LoadResString(IDS_SIM_NO_COMPRESSION), path.c_str());
        return false;
    }
    MetaRow row = core_.Meta(e);
    if (row.compressed)
        return true;
    if (core_.IsOpen(e.st) || core_.ShareConflict(e.st, true, true, 0)) {
        *error = FormatText(LoadResString(IDS_SIM_FILE_OPEN), path.c_str());
        return false;
    }
    // Rewritten in place, so that the file keeps its identity (and so its metadata) and its
    // modification time.
    int fd = OpenAt(e.local, O_RDWR);
    std::string data(e.st.size, '\0'), stream;
    bool ok =
        fd >= 0 && ::pread(fd, data.data(), data.size(), 0) == static_cast<ssize_t>(data.size());
    ok = ok && Core::Compress(data, &stream);
    ok = ok && ::ftruncate(fd, 0) == 0 &&
         ::pwrite(fd, stream.data(), stream.size(), 0) == static_cast<ssize_t>(stream.size());
    if (ok) {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = e.st.mtime;
        times[1].tv_nsec = e.st.mtimeNs;
        ::futimens(fd, times);
    } else if (fd >= 0) {
        // Put the data back as it was.
        if (::ftruncate(fd, 0) == 0)
            (void)!::pwrite(fd, data.data(), data.size(), 0);
    }
    int err = errno;
    if (!ok) {
        if (fd >= 0)
            ::close(fd);
        *error = FormatText(LoadResString(IDS_SIM_CANNOT_CHANGE), path.c_str(), std::strerror(err));
        return false;
    }
    row.compressed = true;
    row.size = data.size();
    core_.SaveMeta(e, row);
    if (!Kept(scope, path, error)) {
        // The store does not know the file as compressed: its data goes back as it was.
        if (::ftruncate(fd, 0) == 0)
            (void)!::pwrite(fd, data.data(), data.size(), 0);
        ::close(fd);
        return false;
    }
    ::close(fd);
    core_.AdjustUsage(e.volume, data.size(), stream.size());
    return true;
}

void NetworkImpl::CheckDirectory(Volume& v, const std::string& dirRel,
                                 std::vector<std::string>* out) {
    std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    std::string netDir = NetDir(v, dirRel);
    DIR* d = OpenDirectoryAt(localDir);
    if (!d) {
        out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_UNREADABLE_DIR), netDir.c_str()));
        return;
    }
    std::vector<std::string> names;
    while (dirent* de = readdir(d)) {
        std::string name = de->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    std::set<std::string> upperNames;
    for (const std::string& name : names)
        upperNames.insert(Upper(name));
    std::map<std::string, std::string> seen;  // upper-case name -> first name
    std::vector<std::string> subdirs;
    for (const std::string& name : names) {
        if (!IsNetWareName(name)) {
            out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_BAD_NAME), netDir.c_str(),
                                      Printable(name).c_str()));
            continue;
        }
        std::string netPath = netDir + "\\" + name;
        DiskStat st = StatPath(localDir + "/" + name);
        if (!st.ok) {
            if (st.err != ENOENT)
                out->push_back(FormatText(LoadResString(IDS_SIM_CANNOT_READ), netPath.c_str(),
                                          std::strerror(st.err)));
            continue;
        }
        if (st.special) {
            out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_SPECIAL_FILE), netPath.c_str()));
            continue;
        }
        auto [it, inserted] = seen.emplace(Upper(name), name);
        if (!inserted)
            out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_CASE_TWINS), netDir.c_str(),
                                      it->second.c_str(), name.c_str()));
        if (!v.cfg.longNames && !IsUpperDosName(name))
            out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_NOT_DOS_NAME), netDir.c_str(),
                                      name.c_str()));
        MetaRow row;
        EntryKey key{v.server->cfg.name, v.cfg.name, dirRel, name};
        const bool hasRow = core_.Store().Find(key, IdentityOf(st), &row);
        // Written before a name made over an alias moved that alias on.
        if (hasRow && !row.alias.empty() && row.alias != Upper(name) && upperNames.count(row.alias))
            out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_ALIAS_IS_NAME), netDir.c_str(),
                                      row.alias.c_str(), name.c_str()));
        if (st.isDir) {
            subdirs.push_back(dirRel.empty() ? name : dirRel + "/" + name);
            continue;
        }
        if (hasRow && row.compressed) {
            int fd = OpenAt(localDir + "/" + name, O_RDONLY);
            std::string stream(st.size, '\0'), data;
            bool ok = fd >= 0 && ::pread(fd, stream.data(), stream.size(), 0) ==
                                     static_cast<ssize_t>(stream.size());
            if (fd >= 0)
                ::close(fd);
            if (!ok || !Core::Decompress(stream, &data) || data.size() != row.size)
                out->push_back(
                    FormatText(LoadResString(IDS_SIM_CHECK_BAD_COMPRESSED), netPath.c_str()));
        }
    }
    for (const std::string& sub : subdirs)
        CheckDirectory(v, sub, out);
}

void NetworkImpl::CheckVolume(Volume& v, std::vector<std::string>* out) {
    // Without birth times and generation numbers an inode number reused for a new file is all
    // that identifies it.
    const DiskStat root = StatPath(v.local);
    if (root.ok && root.birth == 0 && root.generation < 0)
        out->push_back(FormatText(LoadResString(IDS_SIM_CHECK_WEAK_IDENTITY),
                                  ("\\\\" + v.server->cfg.name + "\\" + v.cfg.name).c_str()));
    CheckDirectory(v, "", out);
}

std::vector<std::string> NetworkImpl::Check() {
    std::vector<std::string> problems;
    for (auto& s : core_.Servers()) {
        for (Volume& v : s->volumes) {
            if (!v.unusable.empty())
                problems.push_back(v.unusable);
            else if (!core_.VolumeUsable(v))
                problems.push_back(
                    FormatText(LoadResString(IDS_SIM_CHECK_LINKED_VOLUME), v.local.c_str()));
            else
                CheckVolume(v, &problems);
        }
    }
    for (const std::string& path : core_.LeftTemporaries())
        problems.push_back(FormatText(LoadResString(IDS_SIM_CHECK_TEMP_LEFT), path.c_str()));
    for (const std::string& path : core_.Log().NotFiles())
        problems.push_back(FormatText(LoadResString(IDS_SIM_CHECK_JOURNAL_NOT_FILE), path.c_str()));
    return problems;
}

}  // namespace sim

namespace sim {

win::FileServices& LocalFileServices() {
    // A core without a network serves every path as a local one.
    static Core core;
    static SimFiles files(core);
    return files;
}

}  // namespace sim
