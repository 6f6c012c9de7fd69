#include "netware/sim/sim_core.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "netware/sim/held_directories.h"
#include "netware/sim/sim_names.h"
#include "resources/string_ids.h"
#include "util/characters.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace sim {

namespace {

// The inode's generation number (FS_IOC_GETVERSION) of an open entry, -1 where the file system
// has none.
std::int64_t GenerationOf(int fd) {
    int generation = 0;
    if (fd < 0 || ::ioctl(fd, FS_IOC_GETVERSION, &generation) != 0)
        return -1;
    return static_cast<std::uint32_t>(generation);
}

constexpr unsigned kStatMask =
    STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_BTIME;

DiskStat FromStatx(const struct statx& sx) {
    DiskStat d;
    d.ok = true;
    d.isDir = S_ISDIR(sx.stx_mode);
    d.isFile = S_ISREG(sx.stx_mode);
    d.special = !d.isDir && !d.isFile;
    d.inode = sx.stx_ino;
    // Without a birth time the inode alone identifies the file.
    if (sx.stx_mask & STATX_BTIME)
        d.birth =
            static_cast<std::int64_t>(sx.stx_btime.tv_sec) * 1000000000LL + sx.stx_btime.tv_nsec;
    d.size = sx.stx_size;
    d.mtime = sx.stx_mtime.tv_sec;
    d.mtimeNs = sx.stx_mtime.tv_nsec;
    d.ctime = static_cast<std::int64_t>(sx.stx_ctime.tv_sec) * 1000000000LL + sx.stx_ctime.tv_nsec;
    d.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    return d;
}

}  // namespace

std::uint64_t FileIdOf(const DiskStat& st) {
    // splitmix64's finaliser over the three parts: equal parts give equal ids, and a reused
    // inode's new file (another birth time or generation) another id.
    auto mix = [](std::uint64_t x) {
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
        return x ^ (x >> 31);
    };
    return mix(st.inode ^ mix(static_cast<std::uint64_t>(st.birth) ^
                              mix(static_cast<std::uint64_t>(st.generation))));
}

DiskStat StatPath(const std::string& local) {
    DiskStat d;
    struct statx sx {};
    if (StatxAt(local, AT_SYMLINK_NOFOLLOW, kStatMask, &sx) != 0) {
        d.err = errno;
        return d;
    }
    d = FromStatx(sx);
    // Where there is no birth time the generation number tells a reused inode's new file. The
    // entry is opened for it never through a link and never waiting on a device or a pipe.
    if (d.birth == 0 && !d.special) {
        const FileDescriptor fd(OpenAt(local, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        d.generation = GenerationOf(fd.Get());
    }
    return d;
}

DiskStat StatOpen(int fd) {
    DiskStat d;
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH, kStatMask, &sx) != 0) {
        d.err = errno;
        return d;
    }
    d = FromStatx(sx);
    if (d.birth == 0 && !d.special)
        d.generation = GenerationOf(fd);
    return d;
}

std::uint32_t WinError(int err) {
    switch (err) {
        case ENOENT:
            return win::ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return win::ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return win::ERROR_ACCESS_DENIED;
        case EEXIST:
            return win::ERROR_ALREADY_EXISTS;
        case ENOTEMPTY:
            return win::ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
            return win::ERROR_DISK_FULL;
        case ENAMETOOLONG:
            return win::ERROR_FILENAME_EXCED_RANGE;
        case EXDEV:
            return kErrorNotSameDevice;
        case ENOMEM:
            return win::ERROR_NOT_ENOUGH_MEMORY;
        case EBADF:
            return win::ERROR_INVALID_HANDLE;
        default:
            return win::ERROR_ACCESS_DENIED;
    }
}

namespace {

// The directory of a server or a volume: made when missing, never through a link. Its stat;
// *problem says why it cannot be used when it is a link or anything but a directory.
DiskStat RealDirectory(const std::string& local, std::string* problem) {
    DiskStat st = StatPath(local);
    if (!st.ok && st.err == ENOENT && MakeDirectoryAt(local, 0755) == 0)
        st = StatPath(local);
    if (st.ok && !st.isDir)
        *problem = FormatText(LoadResString(IDS_SIM_CHECK_LINKED_VOLUME), local.c_str());
    else if (!st.ok && st.err != ENOENT)
        *problem =
            FormatText(LoadResString(IDS_SIM_CANNOT_READ), local.c_str(), std::strerror(st.err));
    return st;
}

}  // namespace

namespace {

std::string KeyText(const EntryKey& key) {
    return key.server + '\t' + key.volume + '\t' + key.dir + '\t' + key.name;
}

EntryKey ParseKeyText(const std::string& text) {
    EntryKey key;
    std::string* parts[] = {&key.server, &key.volume, &key.dir, &key.name};
    std::size_t start = 0;
    for (std::string* part : parts) {
        const std::size_t tab = text.find('\t', start);
        *part = text.substr(start, tab - start);
        start = tab == std::string::npos ? text.size() : tab + 1;
    }
    return key;
}

bool Is(const DiskStat& st, const FileIdentity& id) {
    return st.ok && !st.special && st.inode == id.inode && st.birth == id.birth;
}

}  // namespace

Core::~Core() {
    // A temporary file of this process still there (its removal failed) stays recorded, so
    // that the next process removes it; nothing else of this process is pending any more.
    bool left = false;
    for (const auto& [key, identity] : ownTemporaries_) {
        std::string local;
        left = left || (LocalOf(key, &local) && Is(StatPath(local), identity));
    }
    if (left) {
        while (!pendingResets_.empty())
            SettleAttributes(ParseKeyText(pendingResets_.begin()->first));
        journal_.Keep();
    }
    if (!root_.empty())
        ReleaseRoot(root_);
}

void Core::NoteTemporary(const EntryKey& key, const FileIdentity& identity) {
    // Those gone (delivered or removed) are dropped now and then, so that the list stays short.
    if (ownTemporaries_.size() >= kMaxOwnTemporaries) {
        std::erase_if(ownTemporaries_, [this](const auto& t) {
            std::string local;
            return !LocalOf(t.first, &local) || !Is(StatPath(local), t.second);
        });
    }
    ownTemporaries_.emplace_back(key, identity);
}

void Core::ForgetTemporary(const FileIdentity& identity) {
    // The one made last is the one usually delivered.
    const auto it = std::find_if(ownTemporaries_.rbegin(), ownTemporaries_.rend(),
                                 [&](const auto& t) { return t.second.SameFile(identity); });
    if (it != ownTemporaries_.rend())
        ownTemporaries_.erase(std::next(it).base());
}

bool Core::OwnTemporary(const Entry& e) const {
    if (ownTemporaries_.empty() || !e.exists)
        return false;
    const EntryKey key = KeyOf(e);
    return std::any_of(ownTemporaries_.rbegin(), ownTemporaries_.rend(), [&](const auto& t) {
        return Is(e.st, t.second) && t.first.name == key.name && t.first.dir == key.dir &&
               t.first.volume == key.volume && t.first.server == key.server;
    });
}

std::vector<std::string> Core::LeftTemporaries() {
    std::vector<std::string> out;
    for (const Journal::Record& r : journal_.Peek()) {
        std::string local;
        Volume* v = r.kind == Journal::kTempCreated ? LocalOf(r.key, &local) : nullptr;
        if (v && Is(StatPath(local), r.identity)) {
            std::string path = "\\\\" + r.key.server + "\\" + r.key.volume;
            for (const std::string& part : SplitPath(r.key.dir + "/" + r.key.name, true))
                path += "\\" + part;
            out.push_back(path);
        }
    }
    return out;
}

namespace {

// Beside the store, and kept when the store goes: this network has had a store, so a missing
// or empty one is a lost one, never a new network's first.
const char* kStoreMade = "/store-made";
const char* kStoreFile = "/metadata.db";

}  // namespace

bool Core::StoreThere(const std::string& storeDir, bool rebuilding, std::string* error) {
    const std::string file = storeDir + kStoreFile;
    const DiskStat st = StatPath(file);
    const bool holdsData = st.ok && (!st.isFile || st.size > 0);
    if (rebuilding) {
        if (holdsData) {
            *error = FormatText(LoadResString(IDS_NETSIM_STORE_PRESENT), file.c_str());
            return false;
        }
        for (const char* suffix : {"", "-wal", "-shm"})
            ::unlink((file + suffix).c_str());
        return true;
    }
    if (!holdsData && StatPath(storeDir + kStoreMade).ok) {
        *error = FormatText(LoadResString(IDS_SIM_STORE_MISSING), file.c_str());
        return false;
    }
    return true;
}

void Core::MarkStoreMade(const std::string& storeDir) {
    const std::string marker = storeDir + kStoreMade;
    if (StatPath(marker).ok)
        return;
    const int fd = OpenAt(marker, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return;
    const char text[] =
        "This network has a metadata store (metadata.db). Should it be lost, the network is not "
        "opened until it is put back or rebuilt with farcast-netsim rebuild-store.\n";
    (void)!::write(fd, text, sizeof text - 1);
    ::close(fd);
}

bool Core::Load(const std::string& root, std::string* error, bool finishStoppedWork,
                bool rebuildingStore) {
    recovering_ = finishStoppedWork;
    char real[PATH_MAX];
    DiskStat rootStat = StatPath(root);
    if (!realpath(root.c_str(), real) || !rootStat.isDir) {
        // A missing root reads as a missing network.toml, which is what the user must create.
        std::string file = root + "/network.toml";
        if (rootStat.ok && !rootStat.isDir)
            *error = FormatText(LoadResString(IDS_SIM_ROOT_NOT_DIR), root.c_str());
        else
            *error = FormatText(LoadResString(IDS_SIM_IN_FILE), file.c_str(),
                                LoadResString(IDS_SIM_UNREADABLE));
        return false;
    }
    root_ = real;
    HoldRoot(root_);
    if (!LoadNetworkConfig(root_ + "/network.toml", &config_, error))
        return false;
    faultUses_.assign(config_.faults.size(), 0);
    std::uint32_t index = 0;
    for (const ServerConfig& sc : config_.servers) {
        auto s = std::make_unique<Server>();
        s->cfg = sc;
        s->local = root_ + "/" + sc.name;
        s->objectId = 0x00010001 + index;
        ++index;
        std::string serverProblem;
        DiskStat serverDir = RealDirectory(s->local, &serverProblem);
        for (const VolumeConfig& vc : sc.volumes) {
            Volume v;
            v.cfg = vc;
            v.number = static_cast<std::uint16_t>(s->volumes.size());
            v.local = s->local + "/" + vc.name;
            v.serverInode = serverDir.inode;
            if (!serverProblem.empty()) {
                v.unusable = serverProblem;
            } else {
                DiskStat volumeDir = RealDirectory(v.local, &v.unusable);
                v.volumeInode = volumeDir.inode;
                if (v.unusable.empty() && !volumeDir.isDir) {
                    *error = FormatText(LoadResString(IDS_SIM_VOLUME_DIR_FAILED), v.local.c_str());
                    return false;
                }
            }
            if (v.unusable.empty())
                PinDirectory(v.local);
            s->volumes.push_back(v);
        }
        for (Volume& v : s->volumes)
            v.server = s.get();
        // Connections at start; the primary is always logged in.
        bool primary = sc.name == config_.primaryServer;
        StartConnection start = primary ? StartConnection::LoggedIn : sc.connection;
        if (start != StartConnection::None) {
            s->conn = NewConnection();
            s->connNumber = static_cast<std::uint16_t>(s->conn);
        }
        if (start == StartConnection::LoggedIn) {
            s->loggedIn = true;
            s->ds = sc.directoryServices && !config_.tree.empty() && config_.dsAuthenticated;
            s->user = Upper(config_.loginName);
            s->loginTime = std::time(nullptr);
        }
        servers_.push_back(std::move(s));
    }
    std::string storeDir = root_ + "/.netsim";
    ::mkdir(storeDir.c_str(), 0755);
    if (!StoreThere(storeDir, rebuildingStore, error))
        return false;
    std::string storeError;
    if (!store_.Open(storeDir + "/metadata.db", &storeError) ||
        !journal_.Open(storeDir + "/journal", &storeError)) {
        *error = FormatText(LoadResString(IDS_SIM_STORE_UNUSABLE),
                            (storeDir + "/metadata.db").c_str(), storeError.c_str());
        return false;
    }
    MarkStoreMade(storeDir);
    // [[fault]] call = "MetadataStore" makes the store refuse a write of a matching entry.
    store_.SetWriteGate([this](const EntryKey& key) -> std::uint32_t {
        std::string path = "\\\\" + key.server + "\\" + key.volume;
        for (const std::string& part : SplitPath(key.dir, true))
            path += "\\" + part;
        if (!key.name.empty())
            path += "\\" + key.name;
        std::uint32_t code = 0;
        return Faulted(kStoreWriteCall, FindServer(key.server), path, &code) ? code : 0;
    });
    Recover();
    return true;
}

Server* Core::FindServer(std::string_view name) {
    for (auto& s : servers_) {
        if (SameName(s->cfg.name, name))
            return s.get();
    }
    return nullptr;
}

Server* Core::ServerOfConnection(NWCONN_HANDLE conn) {
    if (conn == 0)
        return nullptr;
    for (auto& s : servers_) {
        if (s->conn == conn)
            return s.get();
    }
    return nullptr;
}

Volume* Core::FindVolume(Server* server, std::string_view name) {
    if (!server)
        return nullptr;
    for (Volume& v : server->volumes) {
        if (SameName(v.cfg.name, name))
            return &v;
    }
    return nullptr;
}

// Every call of the simulator classifies its path, so the names are taken as views of it:
// only the names below the volume are copied, into the location.
Where Core::Classify(const std::string& path, NetLoc* loc, std::string* localPath) {
    *loc = NetLoc();
    if (path.rfind("\\\\", 0) == 0) {
        if (HasAtLeastCharacters(path, win::MAX_PATH))
            return Where::Nowhere;
        std::size_t count = 0;
        loc->parts.reserve(SeparatorCount(path, false));
        ForEachName(std::string_view(path).substr(2), false, [&](std::string_view name) {
            if (count == 0)
                loc->server = FindServer(name);
            else if (count == 1)
                loc->volume = FindVolume(loc->server, name);
            else if (loc->volume)
                loc->parts.emplace_back(name);
            ++count;
        });
        if (count < 2) {
            *loc = NetLoc();
            return Where::Nowhere;
        }
        return loc->volume ? Where::Network : Where::Nowhere;
    }
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        auto it = config_.drives.find(static_cast<char>(std::toupper(path[0])));
        if (it == config_.drives.end())
            return Where::Nowhere;
        std::string rest = path.substr(2);
        std::string unc = it->second;
        if (!rest.empty())
            unc += (rest[0] == '\\' ? "" : "\\") + rest;
        if (HasAtLeastCharacters(path, win::MAX_PATH))
            return Where::Nowhere;
        return Classify(unc, loc, localPath);
    }
    *localPath = path;
    std::replace(localPath->begin(), localPath->end(), '\\', '/');
    const std::string& local = *localPath;
    if (local.size() > root_.size() && local.compare(0, root_.size(), root_) == 0 &&
        local[root_.size()] == '/') {
        // Only the exact spelling of the server and the volume is a network path here.
        std::size_t count = 0;
        Server* server = nullptr;
        Volume* volume = nullptr;
        loc->parts.reserve(SeparatorCount(local, true));
        ForEachName(std::string_view(local).substr(root_.size() + 1), true,
                    [&](std::string_view name) {
                        if (count == 0) {
                            server = FindServer(name);
                            if (server && server->cfg.name != name)
                                server = nullptr;
                        } else if (count == 1) {
                            volume = FindVolume(server, name);
                            if (volume && volume->cfg.name != name)
                                volume = nullptr;
                        } else if (volume) {
                            loc->parts.emplace_back(name);
                        }
                        ++count;
                    });
        if (volume) {
            loc->server = server;
            loc->volume = volume;
            return Where::Network;
        }
        loc->parts.clear();
    }
    return Where::Local;
}

bool Core::ParseNetWareArg(Server* server, NWDIR_HANDLE dirHandle, const char* path, NetLoc* loc) {
    *loc = NetLoc();
    if (!server || !path)
        return false;
    const std::string_view p = path;
    loc->server = server;
    auto take = [loc](std::string_view name) { loc->parts.emplace_back(name); };
    std::size_t colon = p.find(':');
    if (colon != std::string::npos) {
        std::string_view volume = p.substr(0, colon);
        std::size_t sep = volume.find_first_of("/\\");
        if (sep != std::string::npos) {
            if (!SameName(volume.substr(0, sep), server->cfg.name))
                return false;
            volume = volume.substr(sep + 1);
        }
        loc->volume = FindVolume(server, volume);
        if (!loc->volume)
            return false;
        loc->parts.reserve(SeparatorCount(p.substr(colon + 1), false) + 1);
        ForEachName(p.substr(colon + 1), false, take);
        return true;
    }
    auto it = server->dirHandles.find(dirHandle);
    if (dirHandle == 0 || it == server->dirHandles.end())
        return false;
    loc->volume = it->second.first;
    loc->parts.reserve(SeparatorCount(it->second.second, true) + SeparatorCount(p, false) + 2);
    ForEachName(it->second.second, true, take);
    ForEachName(p, false, take);
    return true;
}

std::string Core::NetForm(const NetLoc& loc) const {
    if (!loc.volume)
        return "";
    std::string out = "\\\\" + loc.volume->server->cfg.name + "\\" + loc.volume->cfg.name;
    for (const std::string& p : loc.parts)
        out += "\\" + p;
    return out;
}

std::string Core::EntryNetForm(const Entry& e) const {
    if (!e.volume)
        return "";
    std::string out = "\\\\" + e.volume->server->cfg.name + "\\" + e.volume->cfg.name;
    for (const std::string& p : SplitPath(e.Rel(), true))
        out += "\\" + p;
    return out;
}

namespace {

// The key of a directory as the caller spelled it: the volume and the first count names.
std::string SpelledKey(const NetLoc& loc, std::size_t count) {
    std::string key = loc.volume->local;
    for (std::size_t i = 0; i < count && i < loc.parts.size(); ++i)
        key += '/' + loc.parts[i];
    return key;
}

}  // namespace

void Core::NewEpoch() {
    ++epoch_;
    ForgetHeld(root_);
    entered_.clear();
    store_.NewEpoch();
}

void Core::Enter(const NetLoc& loc, Act act) {
    if (!loc.volume)
        return;
    switch (act) {
        case Act::Read:
            return;
        case Act::List:
        case Act::MakeDirectory:
            NewEpoch();
            entered_ = SpelledKey(loc, loc.parts.size());
            return;
        case Act::TurnTo:
        case Act::CreateIn: {
            const std::size_t count =
                act == Act::TurnTo || loc.parts.empty() ? loc.parts.size() : loc.parts.size() - 1;
            std::string key = SpelledKey(loc, count);
            if (key != entered_) {
                NewEpoch();
                entered_ = std::move(key);
            }
            return;
        }
    }
}

void Core::BeforeChange(const Entry& e) {
    if (!OwnTemporary(e))
        store_.Recheck();
}

Entry Core::Resolve(const NetLoc& loc) {
    Entry e;
    e.volume = loc.volume;
    if (!loc.volume)
        return e;
    Volume& v = *loc.volume;
    // The directory that holds the entry, as resolved before when it still leads to the same
    // place: the common case of a run, which names many entries of one directory.
    std::string key;
    if (loc.parts.size() > 1) {
        key = v.local;
        for (std::size_t i = 0; i + 1 < loc.parts.size(); ++i)
            key += '/' + loc.parts[i];
        auto cached = resolved_.find(key);
        if (cached != resolved_.end() && cached->second.epoch == epoch_)
            return ResolveChild(v, cached->second.rel, loc.parts.back());
        DiskStat dirStat;
        if (cached != resolved_.end() && StillResolves(v, cached->second, &dirStat)) {
            cached->second.epoch = epoch_;
            return ResolveChild(v, cached->second.rel, loc.parts.back(), &dirStat);
        }
    }
    if (!VolumeUsable(v)) {
        e.error = win::ERROR_ACCESS_DENIED;
        e.isRoot = loc.parts.empty();
        e.local = v.local;
        return e;
    }
    if (loc.parts.empty()) {
        e.isRoot = true;
        e.parentExists = true;
        e.st = StatPath(v.local);
        e.exists = e.st.isDir;
        if (!e.st.ok && e.st.err != ENOENT)
            e.error = WinError(e.st.err);
        e.local = v.local;
        return e;
    }
    ResolvedDirectory found;
    std::string dirRel;
    DiskStat st;
    for (std::size_t i = 0; i + 1 < loc.parts.size(); ++i) {
        std::string real;
        const std::string parentLocal = dirRel.empty() ? v.local : v.local + "/" + dirRel;
        const DiskStat parentStat = i == 0 ? DiskStat() : st;
        const std::uint32_t code = FindChild(v, dirRel, loc.parts[i], &real, &st);
        if (code != 0 || !st.isDir) {
            e.name = loc.parts.back();
            e.local = v.local + "/" + (dirRel.empty() ? "" : dirRel + "/") + e.name;
            e.parentRel = dirRel;
            if (code != 0 && code != win::ERROR_FILE_NOT_FOUND)
                e.error = code;
            return e;
        }
        if (real != loc.parts[i]) {
            // Found by another spelling: a name added to that directory could change it.
            const DiskStat now = i == 0 ? StatPath(parentLocal) : parentStat;
            found.inexact.push_back({parentLocal, {now.mtime, now.mtimeNs}});
        }
        dirRel = dirRel.empty() ? real : dirRel + "/" + real;
    }
    found.rel = dirRel;
    // A listing changed within the clock's resolution of now might change again unseen in the
    // same tick: such a resolution is not kept.
    bool racy = false;
    if (!found.inexact.empty()) {
        struct timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        for (const auto& [dir, time] : found.inexact)
            racy = racy || (now.tv_sec - time.first) * 1000000000LL + (now.tv_nsec - time.second) <
                               kClockResolutionNs;
    }
    if (racy)
        return ResolveChild(v, dirRel, loc.parts.back(), &st);
    found.epoch = epoch_;
    found.device = st.device;
    found.inode = st.inode;
    found.birth = st.birth;
    if (resolved_.size() >= kMaxResolvedDirectories)
        resolved_.clear();
    resolved_[key] = std::move(found);
    return ResolveChild(v, dirRel, loc.parts.back(), loc.parts.size() > 1 ? &st : nullptr);
}

bool Core::KnownDirectory(const NetLoc& loc, Entry* e) const {
    if (!loc.volume || loc.parts.empty() || !loc.volume->unusable.empty())
        return false;
    auto known = resolved_.find(SpelledKey(loc, loc.parts.size()));
    if (known == resolved_.end() || known->second.epoch != epoch_)
        return false;
    const ResolvedDirectory& d = known->second;
    *e = Entry();
    e->volume = loc.volume;
    e->exists = true;
    e->parentExists = true;
    const std::size_t slash = d.rel.rfind('/');
    e->parentRel = slash == std::string::npos ? "" : d.rel.substr(0, slash);
    e->name = slash == std::string::npos ? d.rel : d.rel.substr(slash + 1);
    e->local = loc.volume->local + "/" + d.rel;
    e->st.ok = true;
    e->st.isDir = true;
    e->st.device = d.device;
    e->st.inode = d.inode;
    e->st.birth = d.birth;
    return true;
}

bool Core::StillResolves(const Volume& v, const ResolvedDirectory& d, DiskStat* st) const {
    *st = StatPath(v.local + "/" + d.rel);
    if (!st->isDir || st->inode != d.inode || st->device != d.device || st->birth != d.birth)
        return false;
    for (const auto& [dir, time] : d.inexact) {
        const DiskStat now = StatPath(dir);
        if (!now.isDir || now.mtime != time.first || now.mtimeNs != time.second)
            return false;
    }
    return true;
}

bool Core::VolumeUsable(const Volume& v) const {
    if (!v.unusable.empty())
        return false;
    if (v.checkedEpoch == epoch_)
        return true;
    // Once an epoch, both directories are looked at by name: a volume or server directory
    // replaced since the network was opened (by another directory, or a link the kernel would
    // refuse anyway) is not entered.
    DiskStat volume = StatPath(v.local);
    if (!volume.isDir || volume.inode != v.volumeInode)
        return false;
    DiskStat server = StatPath(v.server->local);
    if (!server.isDir || server.inode != v.serverInode)
        return false;
    v.checkedEpoch = epoch_;
    return true;
}

Entry Core::ResolveChild(Volume& v, const std::string& dirRel, const std::string& name,
                         const DiskStat* dirStat) {
    Entry e;
    e.volume = &v;
    e.parentExists = true;
    e.parentRel = dirRel;
    if (dirStat)
        e.parentSt = *dirStat;
    std::string real;
    const std::uint32_t code = FindChild(v, dirRel, name, &real, &e.st, dirStat);
    if (code == 0) {
        e.exists = true;
        e.name = real;
        if (!SameName(real, name))
            e.byAlias = name;
    } else {
        e.name = name;
        e.st = DiskStat();
        if (code != win::ERROR_FILE_NOT_FOUND)
            e.error = code;
    }
    e.local = v.local + "/" + e.Rel();
    return e;
}

Core::DirIndex* Core::Index(const std::string& localDir, const DiskStat* dirStat,
                            std::uint32_t* error) {
    if (error)
        *error = 0;
    // Looked at once an epoch; the simulator's own changes keep it current in between.
    DirIndex* known = indexes_.Find(localDir);
    if (known && known->epoch == epoch_)
        return known;
    DiskStat st = dirStat ? *dirStat : StatPath(localDir);
    if (!st.isDir) {
        indexes_.Erase(localDir);
        if (error && !st.ok && st.err != ENOENT && st.err != ENOTDIR)
            *error = WinError(st.err);
        return nullptr;
    }
    if (known && known->mtime == st.mtime && known->mtimeNs == st.mtimeNs) {
        known->epoch = epoch_;
        return known;
    }
    DirIndex index;
    index.epoch = epoch_;
    index.mtime = st.mtime;
    index.mtimeNs = st.mtimeNs;
    DIR* d = OpenDirectoryAt(localDir);
    if (!d) {
        // A directory that cannot be read has no index: its names are unknown, not absent.
        indexes_.Erase(localDir);
        if (error)
            *error = WinError(errno);
        return nullptr;
    }
    while (dirent* de = readdir(d)) {
        std::string name = de->d_name;
        if (IsNetWareName(name))
            index.names[Upper(name)].push_back(name);
    }
    closedir(d);
    for (auto& [key, names] : index.names)
        std::sort(names.begin(), names.end());
    return &indexes_.Put(localDir, std::move(index));
}

void Core::NoteAdded(Volume& v, const std::string& dirRel, const std::string& name) {
    std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    DirIndex* index = indexes_.Find(localDir);
    if (!index)
        return;
    index->aliasesComplete = false;
    std::vector<std::string>& names = index->names[Upper(name)];
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
        std::sort(names.begin(), names.end());
    }
    index->Changed();
}

void Core::NoteRemoved(Volume& v, const std::string& dirRel, const std::string& name,
                       bool refreshTime) {
    std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    DirIndex* index = indexes_.Find(localDir);
    if (!index)
        return;
    auto names = index->names.find(Upper(name));
    if (names != index->names.end()) {
        std::erase(names->second, name);
        if (names->second.empty())
            index->names.erase(names);
    }
    if (refreshTime)
        index->Changed();
}

namespace {

// Whether a failed stat means "no such entry" or "cannot be known".
bool Missing(const DiskStat& st) {
    return st.err == ENOENT || st.err == ENOTDIR || st.err == ENAMETOOLONG;
}

}  // namespace

std::uint32_t Core::FindChild(Volume& v, const std::string& dirRel, const std::string& name,
                              std::string* onDisk, DiskStat* st, const DiskStat* dirStat) {
    if (!IsNetWareName(name))
        return win::ERROR_FILE_NOT_FOUND;
    std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    // The exact name first: it is the common case and never mixes up two names that differ
    // only in case.
    DiskStat exact = StatPath(localDir + "/" + name);
    if (exact.ok && !exact.special) {
        *onDisk = name;
        *st = exact;
        return 0;
    }
    if (!exact.ok && !Missing(exact))
        return WinError(exact.err);
    std::uint32_t indexError = 0;
    if (DirIndex* index = Index(localDir, dirStat, &indexError)) {
        auto it = index->names.find(Upper(name));
        if (it != index->names.end()) {
            for (const std::string& candidate : it->second) {
                DiskStat s = StatPath(localDir + "/" + candidate);
                if (s.ok && !s.special) {
                    *onDisk = candidate;
                    *st = s;
                    return 0;
                }
                if (!s.ok && !Missing(s))
                    return WinError(s.err);
            }
        }
    } else if (indexError != 0) {
        return indexError;
    }
    // Every alias other than a name's own upper-case form has a '~' (NAME~1.EXT), and an
    // entry whose alias is its own name in upper case has been found above by that name: only
    // a name with a '~' can still be an alias.
    if (!IsDosName(name) || name.find('~') == std::string::npos)
        return win::ERROR_FILE_NOT_FOUND;
    EntryKey dirKey{v.server->cfg.name, v.cfg.name, dirRel, ""};
    std::string owner;
    if (!store_.FindAlias(dirKey, Upper(name), &owner)) {
        // Aliases are made when first needed; a name in alias form asks for them all, once
        // per state of the directory.
        // On a DOS-only volume every name is its own alias, so the index has answered.
        if (!v.cfg.longNames)
            return win::ERROR_FILE_NOT_FOUND;
        DirIndex* index = Index(localDir);
        if (!index || index->aliasesComplete)
            return win::ERROR_FILE_NOT_FOUND;
        if (std::uint32_t listError = CompleteAliases(v, dirRel))
            return listError;
        if (!store_.FindAlias(dirKey, Upper(name), &owner))
            return win::ERROR_FILE_NOT_FOUND;
    }
    DiskStat s = StatPath(localDir + "/" + owner);
    MetaRow row;
    EntryKey key{dirKey.server, dirKey.volume, dirRel, owner};
    if (!s.ok && !Missing(s))
        return WinError(s.err);
    if (!s.ok || s.special || !store_.Find(key, IdentityOf(s), &row))
        return win::ERROR_FILE_NOT_FOUND;
    *onDisk = owner;
    *st = s;
    return 0;
}

bool Core::NewEntryName(const Volume& v, const std::string& given, std::string* onDisk) const {
    if (!IsNetWareName(given))
        return false;
    if (v.cfg.longNames) {
        *onDisk = given;
        return true;
    }
    if (!IsDosName(given))
        return false;
    *onDisk = Upper(given);
    return true;
}

void Core::NameNotAlias(Entry& e) const {
    if (!e.exists || e.byAlias.empty())
        return;
    e.exists = false;
    e.name = e.byAlias;
    e.byAlias.clear();
    e.st = DiskStat();
    e.local = e.volume->local + "/" + e.Rel();
}

void Core::MoveAliasOn(Volume& v, const std::string& dirRel, const std::string& name) {
    if (!v.cfg.longNames || !IsDosName(name))
        return;
    const EntryKey dirKey{v.server->cfg.name, v.cfg.name, dirRel, ""};
    std::string holder;
    if (!store_.FindAlias(dirKey, Upper(name), &holder) || holder == name)
        return;
    const std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    const DiskStat s = StatPath(localDir + "/" + holder);
    const EntryKey key{dirKey.server, dirKey.volume, dirRel, holder};
    MetaRow row;
    if (!s.ok || s.special || !store_.Find(key, IdentityOf(s), &row))
        return;
    row.alias.clear();
    store_.Update(row, key);
}

std::uint32_t Core::CompleteAliases(Volume& v, const std::string& dirRel) {
    std::uint32_t error = 0;
    std::vector<Listed> listed = List(v, dirRel, &error);
    if (error)
        return error;
    // The names given out must be free among the names just listed: the directory's index is
    // read again with them, whatever the epoch.
    const std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    indexes_.Erase(localDir);
    store_.Begin();
    for (const Listed& l : listed) {
        Entry e = ChildEntry(v, dirRel, l.name, l.st);
        MetaRow row = Meta(e);
        Alias(e, &row);
    }
    store_.Commit();
    if (DirIndex* index = Index(localDir))
        index->aliasesComplete = true;
    return 0;
}

std::vector<Core::Listed> Core::List(Volume& v, const std::string& dirRel, std::uint32_t* error) {
    if (error)
        *error = 0;
    std::vector<Listed> out;
    std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    DIR* d = OpenDirectoryAt(localDir);
    if (!d) {
        if (error)
            *error = WinError(errno);
        return out;
    }
    while (dirent* de = readdir(d)) {
        std::string name = de->d_name;
        if (!IsNetWareName(name))
            continue;
        DiskStat st = StatPath(localDir + "/" + name);
        if (!st.ok && !Missing(st)) {
            // An entry that cannot be looked at makes the listing unknown as a whole: leaving
            // it out would report the directory as holding less than it does.
            closedir(d);
            if (error)
                *error = WinError(st.err);
            return {};
        }
        if (!st.ok || st.special)
            continue;
        out.push_back({name, st});
    }
    closedir(d);
    std::sort(out.begin(), out.end(), [](const Listed& a, const Listed& b) {
        std::string ua = Upper(a.name), ub = Upper(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
    return out;
}

EntryKey Core::KeyOf(const Entry& e) const {
    return {e.volume->server->cfg.name, e.volume->cfg.name, e.isRoot ? "" : e.parentRel,
            e.isRoot ? "" : e.name};
}

Entry Core::ChildEntry(Volume& v, const std::string& dirRel, const std::string& name,
                       const DiskStat& st) const {
    Entry e;
    e.volume = &v;
    e.exists = true;
    e.parentExists = true;
    e.parentRel = dirRel;
    e.name = name;
    e.st = st;
    e.local = v.local + "/" + e.Rel();
    return e;
}

bool Core::StoredMeta(const Entry& e, MetaRow* row) {
    if (store_.Find(KeyOf(e), IdentityOf(e.st), row))
        return true;
    *row = DefaultMeta(*e.volume, e.st.isDir);
    return false;
}

MetaRow Core::DefaultMeta(const Volume& v, bool isDir) const {
    MetaRow row;
    row.attributes = isDir ? 0 : nw::A_NEEDS_ARCHIVING;
    row.irm = 0x00FF;
    row.nameSpace = v.cfg.longNames ? nw::NS_LONG : nw::NS_DOS;
    return row;
}

MetaRow Core::Meta(const Entry& e) {
    // An entry without a row has the defaults of its kind, which need no row: reading never
    // writes. The row is made when something of the entry is stored (id 0 until then).
    MetaRow row;
    StoredMeta(e, &row);
    return row;
}

bool Core::SaveMeta(const Entry& e, MetaRow& row) {
    if (row.id == 0)
        return store_.InsertNew(KeyOf(e), IdentityOf(e.st), &row);
    return store_.Update(row, KeyOf(e));
}

bool Core::AliasFree(Volume& v, const std::string& dirRel, const std::string& alias,
                     const std::string& owner) {
    EntryKey dirKey{v.server->cfg.name, v.cfg.name, dirRel, ""};
    std::string holder;
    std::string localDir = dirRel.empty() ? v.local : v.local + "/" + dirRel;
    if (store_.FindAlias(dirKey, alias, &holder) && holder != owner) {
        DiskStat s = StatPath(localDir + "/" + holder);
        MetaRow row;
        EntryKey key{dirKey.server, dirKey.volume, dirRel, holder};
        if (s.ok && !s.special && store_.Find(key, IdentityOf(s), &row))
            return false;
        if (!s.ok)
            store_.RemoveQuietly(key);  // the holder is gone: its alias is free again
    }
    return true;
}

std::string Core::Alias(const Entry& e, MetaRow* row, const DiskStat* dirStat) {
    if (e.isRoot)
        return "";
    Volume& v = *e.volume;
    std::string alias;
    std::string localDir = e.parentRel.empty() ? v.local : v.local + "/" + e.parentRel;
    auto takenByName = [&](const std::string& candidate) {
        DirIndex* index = Index(localDir, dirStat);
        if (!index)
            return false;
        auto it = index->names.find(candidate);
        if (it == index->names.end())
            return false;
        for (const std::string& n : it->second) {
            if (n != e.name)
                return true;
        }
        return false;
    };
    // A kept alias stays the entry's own unless another entry has since been given it as its
    // name (made by hand, or on a network written before names moved aliases on).
    if (!row->alias.empty() && !takenByName(row->alias))
        return row->alias;
    if (IsDosName(e.name)) {
        std::string upper = Upper(e.name);
        bool exactUpper = upper == e.name;
        if (AliasFree(v, e.parentRel, upper, e.name) && (exactUpper || !takenByName(upper)))
            alias = upper;
    }
    if (alias.empty()) {
        std::string base, ext;
        AliasParts(e.name, &base, &ext);
        // Each directory remembers, per base and extension, where the search for a free
        // number goes on: a directory of thousands of names alike costs a look or two per
        // name, not a walk over all the aliases given before.
        const std::string hintKey = localDir + '\t' + base + '.' + ext;
        unsigned& next = aliasHints_[hintKey];
        for (unsigned n = std::max(next, 1u); n < 1000000 && alias.empty(); ++n) {
            std::string candidate = AliasCandidate(base, ext, n);
            if (AliasFree(v, e.parentRel, candidate, e.name) && !takenByName(candidate)) {
                alias = candidate;
                next = n + 1;
            }
        }
        if (aliasHints_.size() > kMaxAliasHints)
            aliasHints_.clear();
    }
    // An alias that is the name itself in upper case can be told again at any time: it needs
    // no row. Any other is kept, so that it stays the entry's own.
    if (alias == Upper(e.name))
        return alias;
    row->alias = alias;
    SaveMeta(e, *row);
    return alias;
}

std::uint32_t Core::Attributes(const Entry& e, const MetaRow& row) const {
    std::uint32_t word = row.attributes & ~(nw::A_DIRECTORY | nw::A_FILE_COMPRESSED);
    if (e.st.isDir)
        word |= nw::A_DIRECTORY;
    if (row.compressed)
        word |= nw::A_FILE_COMPRESSED;
    return word;
}

std::uint64_t Core::DataSize(const Entry& e, const MetaRow& row) const {
    if (e.st.isDir)
        return 0;
    return row.compressed ? row.size : e.st.size;
}

void Core::SetAttributeWord(const Entry& e, MetaRow* row, std::uint32_t word) {
    row->attributes = word & ~(nw::A_DIRECTORY | nw::A_FILE_COMPRESSED);
    SaveMeta(e, *row);
}

std::uint32_t Core::NoteAttributeChange(const Entry& e, std::uint32_t before, std::uint32_t after) {
    const EntryKey key = KeyOf(e);
    auto pending = pendingResets_.find(KeyText(key));
    if (pending != pendingResets_.end()) {
        if (after == pending->second)
            SettleAttributes(key);  // back to the word it had
        return 0;
    }
    Journal::Record r;
    r.kind = Journal::kReset;
    r.key = key;
    r.identity = {e.st.inode, e.st.birth};
    r.attributes = before;
    if (const std::uint32_t err = journal_.Write(r))
        return err;
    pendingResets_.emplace(KeyText(key), before);
    return 0;
}

void Core::SettleAttributes(const EntryKey& key) {
    auto pending = pendingResets_.find(KeyText(key));
    if (pending == pendingResets_.end())
        return;
    Journal::Record r;
    r.kind = Journal::kSettled;
    r.key = key;
    journal_.Write(r);
    pendingResets_.erase(pending);
}

Volume* Core::LocalOf(const EntryKey& key, std::string* local) {
    Volume* v = FindVolume(FindServer(key.server), key.volume);
    if (!v || !VolumeUsable(*v))
        return nullptr;
    *local = v->local + (key.dir.empty() ? "" : "/" + key.dir) +
             (key.name.empty() ? "" : "/" + key.name);
    return v;
}

void Core::FinishRename(const Journal::Record& r) {
    std::string from, to;
    Volume* v = LocalOf(r.key, &from);
    if (!v || !LocalOf(r.target, &to))
        return;
    const DiskStat atTarget = StatPath(to);
    if (!Is(atTarget, r.identity))
        return;  // the rename never reached the disk: the temporary file's record undoes it
    // Renamed on the disk: its row follows, if the store had not taken that yet.
    MetaRow row;
    if (store_.Find(r.key, r.identity, &row))
        store_.Move(r.key, r.target, r.identity, atTarget.isDir);
    // A replacement swaps the names first: the replaced file may still be under the old one.
    if (r.targetIdentity.inode != 0 && Is(StatPath(from), r.targetIdentity) &&
        UnlinkAt(from) == 0) {
        store_.RemoveQuietly(r.key);
        v->usageKnown = false;  // counted afresh when next asked
    }
}

bool Core::RemoveLeftTemporary(const Journal::Record& r, bool identityKnown) {
    std::string local;
    Volume* v = LocalOf(r.key, &local);
    if (!v)
        return false;  // its volume cannot be used now: kept for a later look
    const DiskStat st = StatPath(local);
    if (!st.isFile)
        return st.ok || st.err == ENOENT || st.err == ENOTDIR;
    if (identityKnown
            ? !Is(st, r.identity)
            // Stopped between making the file and recording it: only a file made
            // then, still empty, is that one.
            : (st.size != 0 || st.birth < r.written || st.birth > r.written + 5000000000LL))
        return true;
    if (UnlinkAt(local) != 0)
        return false;
    store_.RemoveQuietly(r.key);
    v->usageKnown = false;  // counted afresh when next asked
    return true;
}

void Core::RestoreAttributes(const Journal::Record& r) {
    std::string local;
    Volume* v = LocalOf(r.key, &local);
    if (!v)
        return;
    const DiskStat st = StatPath(local);
    if (!Is(st, r.identity))
        return;  // replaced or gone since: nothing of the old file to put back
    Entry e = ChildEntry(*v, r.key.dir, r.key.name, st);
    MetaRow row = Meta(e);
    if (row.attributes != r.attributes)
        SetAttributeWord(e, &row, r.attributes);
}

void Core::Recover() {
    if (!recovering_)
        return;
    std::vector<std::string> files;
    const std::vector<Journal::Record> records = journal_.LeftBehind(&files);
    if (files.empty())
        return;
    std::map<std::string, Journal::Record> temps;   // key -> its latest record
    std::map<std::string, Journal::Record> resets;  // key -> the first word recorded
    std::vector<Journal::Record> renames;
    for (const Journal::Record& r : records) {
        const std::string key = KeyText(r.key);
        switch (r.kind) {
            case Journal::kTempCreating:
            case Journal::kTempCreated:
                temps[key] = r;
                break;
            case Journal::kRenaming:
                renames.push_back(r);
                break;
            case Journal::kReset:
                resets.emplace(key, r);
                break;
            case Journal::kSettled:
                resets.erase(key);
                break;
        }
    }
    store_.Begin();
    // Renames first: a temporary file that reached its place is no longer a leftover.
    for (const Journal::Record& r : renames)
        FinishRename(r);
    std::map<std::string, std::vector<Journal::Record>> unfinished;  // file -> temporaries left
    for (const auto& [key, r] : temps) {
        if (!RemoveLeftTemporary(r, r.kind == Journal::kTempCreated))
            unfinished[r.file].push_back(r);
    }
    for (const auto& [key, r] : resets)
        RestoreAttributes(r);
    // What could not be put right now stays journaled for the next open: a temporary file that
    // cannot be removed yet, or everything when the store did not take the changes.
    if (store_.CommitChecked() != 0) {
        journal_.Forget({});
        return;
    }
    std::vector<std::string> done;
    for (const std::string& file : files) {
        auto left = unfinished.find(file);
        if (left == unfinished.end())
            done.push_back(file);
        else
            journal_.KeepOnly(file, left->second);
    }
    journal_.Forget(done);
}

std::uint64_t Core::Blocks(const Volume& v, std::uint64_t bytes) const {
    return (bytes + v.cfg.blockSize - 1) / v.cfg.blockSize;
}

namespace {

// Calls add(size) for every regular file below the directory (its descriptor, closed here),
// each name looked up relative to its directory; links are never followed, and a directory
// that cannot be read counts nothing.
template <typename Add>
void ForEachFileBelow(int fd, const Add& add) {
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return;
    }
    while (dirent* de = ::readdir(d)) {
        const std::string_view name = de->d_name;
        if (name == "." || name == "..")
            continue;
        unsigned char type = de->d_type;
        struct statx sx {};
        if (type == DT_REG || type == DT_UNKNOWN) {
            if (::statx(::dirfd(d), de->d_name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_SIZE,
                        &sx) != 0)
                continue;
            type = S_ISREG(sx.stx_mode) ? DT_REG : S_ISDIR(sx.stx_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG) {
            add(sx.stx_size);
        } else if (type == DT_DIR) {
            const int sub =
                ::openat(::dirfd(d), de->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0)
                ForEachFileBelow(sub, add);
        }
    }
    ::closedir(d);
}

}  // namespace

std::uint64_t Core::UsedBlocks(Volume& v) {
    if (!v.usageKnown) {
        // One walk when the volume's space is first asked for; from then on every change the
        // simulator makes adjusts the count, so no call scans the tree.
        std::uint64_t used = 0;
        if (DIR* root = OpenDirectoryAt(v.local)) {
            ForEachFileBelow(::dup(::dirfd(root)),
                             [&](std::uint64_t size) { used += Blocks(v, size); });
            ::closedir(root);
        }
        v.usedBlocks = used;
        v.usageKnown = true;
    }
    return v.usedBlocks;
}

std::uint64_t Core::FreeBlocks(Volume& v) {
    std::uint64_t used = UsedBlocks(v);
    return used >= v.cfg.totalBlocks ? 0 : v.cfg.totalBlocks - used;
}

void Core::AdjustUsage(Volume* v, std::uint64_t oldBytes, std::uint64_t newBytes) {
    if (!v || !v->usageKnown)
        return;
    std::uint64_t oldBlocks = Blocks(*v, oldBytes), newBlocks = Blocks(*v, newBytes);
    v->usedBlocks =
        v->usedBlocks + newBlocks >= oldBlocks ? v->usedBlocks + newBlocks - oldBlocks : 0;
}

bool Core::HasRoom(Volume* v, std::uint64_t oldBytes, std::uint64_t newBytes) {
    if (!v)
        return true;
    std::uint64_t oldBlocks = Blocks(*v, oldBytes), newBlocks = Blocks(*v, newBytes);
    return newBlocks <= oldBlocks || newBlocks - oldBlocks <= FreeBlocks(*v);
}

std::ptrdiff_t Core::MatchingFault(const char* call, const Server* server,
                                   const std::string& path) const {
    for (std::size_t i = 0; i < config_.faults.size(); ++i) {
        const FaultConfig& f = config_.faults[i];
        if (f.call != call)
            continue;
        if (!f.server.empty() && (!server || !SameName(server->cfg.name, f.server)))
            continue;
        if (!f.path.empty() && (path.empty() || !WildcardMatch(f.path, path)))
            continue;
        if (f.times >= 0 && faultUses_[i] >= f.times)
            continue;
        return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

bool Core::Faulted(const char* call, const Server* server, const std::string& path,
                   std::uint32_t* code) {
    RoundTrip(call, server);
    const std::ptrdiff_t i = MatchingFault(call, server, path);
    if (i < 0)
        return false;
    ++faultUses_[static_cast<std::size_t>(i)];
    *code = config_.faults[static_cast<std::size_t>(i)].code;
    return true;
}

}  // namespace sim
