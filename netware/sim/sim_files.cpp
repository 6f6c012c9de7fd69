// The Windows file services over the simulated network. Network paths (\\SERVER\VOLUME\path,
// mapped drives, local paths under the network root) are NetWare entries with their
// metadata; every other path goes to the local file system through the same calls.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "netware/sim/sim_names.h"
#include "netware/sim/sim_network_impl.h"
#include "util/characters.h"

namespace sim {

namespace {

constexpr std::uint32_t kErrorDirNotRoot = 144;
constexpr std::uint32_t kCasePreservedNames = 0x02;

// Splits a pattern or path into its directory and its last name at the last separator.
void SplitLast(const std::string& path, bool local, std::string* dir, std::string* name) {
    std::size_t at = local ? path.find_last_of("/\\") : path.find_last_of('\\');
    if (at == std::string::npos) {
        *dir = local ? "." : "";
        *name = path;
        return;
    }
    *dir = path.substr(0, at);
    if (*dir == "" && local)
        *dir = "/";
    *name = path.substr(at + 1);
}

std::uint32_t DosBits(std::uint32_t word) {
    std::uint32_t low = word & 0xFF;
    return low == 0 ? win::FILE_ATTRIBUTE_NORMAL : low;
}

constexpr std::uint32_t kDosSettable = win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN |
                                       win::FILE_ATTRIBUTE_SYSTEM | win::FILE_ATTRIBUTE_ARCHIVE;

win::FindData LocalFindData(const std::string& name, const std::string& path) {
    win::FindData d;
    struct stat sb {};
    d.fileName = name;
    if (::stat(path.c_str(), &sb) == 0) {
        d.attributes = S_ISDIR(sb.st_mode) ? win::FILE_ATTRIBUTE_DIRECTORY : 0;
        if (!(sb.st_mode & S_IWUSR))
            d.attributes |= win::FILE_ATTRIBUTE_READONLY;
        if (d.attributes == 0)
            d.attributes = win::FILE_ATTRIBUTE_NORMAL;
        d.size = S_ISDIR(sb.st_mode) ? 0 : static_cast<std::uint64_t>(sb.st_size);
        d.lastWriteTime = sb.st_mtime;
    }
    return d;
}

// A disposition that may make the file turns to its directory.
Core::Act CreateFileAct(std::uint32_t creation) {
    return creation == win::OPEN_EXISTING || creation == win::TRUNCATE_EXISTING
               ? Core::Act::Read
               : Core::Act::CreateIn;
}

win::FindData DotEntry(const char* name, std::int64_t mtime) {
    win::FindData d;
    d.attributes = win::FILE_ATTRIBUTE_DIRECTORY;
    d.fileName = name;
    d.lastWriteTime = mtime;
    return d;
}

}  // namespace

SimFiles::Target SimFiles::Locate(const char* path, Core::Act act) {
    Target t;
    std::string p = path ? path : "";
    t.where = core_.Classify(p, &t.loc, &t.local);
    if (t.where == Where::Network) {
        core_.Enter(t.loc, act);
        t.entry = core_.Resolve(t.loc);
        t.faultPath = core_.FaultForm(t.loc);
        t.server = t.loc.server;
    } else {
        t.faultPath = p;
    }
    return t;
}

SimFiles::Target SimFiles::LocateBeside(const char* path, const Target& other, Core::Act act) {
    Target t;
    std::string p = path ? path : "";
    t.where = core_.Classify(p, &t.loc, &t.local);
    if (t.where != Where::Network)
        return Locate(path, act);
    // A rename within one directory (every copied file's) finds that directory once.
    const std::vector<std::string>& a = other.loc.parts;
    const std::vector<std::string>& b = t.loc.parts;
    bool sameDir = other.where == Where::Network && other.loc.volume == t.loc.volume &&
                   other.entry.parentExists && !other.entry.isRoot && !a.empty() && !b.empty() &&
                   std::equal(a.begin(), a.end() - 1, b.begin(), b.end() - 1);
    if (!sameDir)
        return Locate(path, act);
    core_.Enter(t.loc, act);
    t.entry = core_.ResolveChild(*t.loc.volume, other.entry.parentRel, b.back(),
                                 other.entry.parentSt.ok ? &other.entry.parentSt : nullptr);
    t.faultPath = core_.FaultForm(t.loc);
    t.server = t.loc.server;
    return t;
}

bool SimFiles::Faulted(const char* call, const Target& t) {
    std::uint32_t code = 0;
    if (!core_.Faulted(call, t.server, t.faultPath, &code))
        return false;
    lastError_ = code;
    return true;
}

bool SimFiles::Unusable(const Target& t) {
    if (t.where != Where::Network)
        return false;
    // As on a real client, a server's files are reached through a logged-in connection only:
    // one that is only attached (or none at all) is refused, like the NetWare calls refuse it.
    if (!t.server || t.server->conn == 0 || !t.server->loggedIn)
        return Fail(win::ERROR_ACCESS_DENIED), true;
    if (t.entry.error)
        return Fail(t.entry.error), true;
    return false;
}

bool SimFiles::Settle(MetadataStore::Scope& scope, bool ok) {
    const std::uint32_t failure = scope.End();
    if (ok && failure != 0)
        return Fail(failure);  // what the call did is not kept: the store did not take it
    return ok;
}

bool SimFiles::Reach(const char* call, const char* path, Target* t, Core::Act act) {
    *t = Locate(path, act);
    if (Faulted(call, *t))
        return false;
    if (t->where == Where::Nowhere)
        return Fail(win::ERROR_PATH_NOT_FOUND);
    return !Unusable(*t);
}

win::FindData SimFiles::NetFindData(Entry& e, const DiskStat* dirStat) {
    win::FindData d;
    MetaRow row = core_.Meta(e);
    d.attributes = DosBits(core_.Attributes(e, row));
    d.size = core_.DataSize(e, row);
    d.lastWriteTime = e.st.mtime;
    d.fileName = e.name;
    std::string alias = core_.Alias(e, &row, dirStat);
    d.alternateFileName = IsDosName(e.name) && alias == Upper(e.name) ? "" : alias;
    return d;
}

bool SimFiles::LocalFind(const std::string& dir, const std::string& pattern, FindState* state) {
    struct stat sb {};
    if (::stat(dir.c_str(), &sb) != 0 || !S_ISDIR(sb.st_mode))
        return Fail(win::ERROR_PATH_NOT_FOUND);
    std::string base = dir == "/" ? "" : dir;
    if (!HasWildcard(pattern)) {
        struct stat eb {};
        if (::lstat((base + "/" + pattern).c_str(), &eb) != 0)
            return Fail(win::ERROR_FILE_NOT_FOUND);
        state->items.push_back(LocalFindData(pattern, base + "/" + pattern));
        return true;
    }
    if (dir != "/" && WildcardMatch(pattern, ".")) {
        state->items.push_back(DotEntry(".", sb.st_mtime));
        state->items.push_back(DotEntry("..", sb.st_mtime));
    }
    DIR* d = opendir(dir.c_str());
    if (!d)
        return Fail(win::ERROR_ACCESS_DENIED);
    std::vector<std::string> names;
    while (dirent* de = readdir(d)) {
        std::string name = de->d_name;
        if (name != "." && name != ".." && WildcardMatch(pattern, name))
            names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        state->items.push_back(LocalFindData(name, base + "/" + name));
    if (state->items.empty())
        return Fail(win::ERROR_FILE_NOT_FOUND);
    return true;
}

win::HANDLE SimFiles::FindFirstFile(const char* pattern, win::FindData* data) {
    MetadataStore::Scope scope(core_.Store());
    std::string p = pattern ? pattern : "";
    NetLoc probe;
    std::string probeLocal;
    bool local = core_.Classify(p, &probe, &probeLocal) == Where::Local;
    std::string dir, name;
    SplitLast(local ? probeLocal : p, local, &dir, &name);
    // A pattern lists the directory; a plain name looks up one entry.
    Target t = Locate(dir.c_str(), HasWildcard(name) ? Core::Act::List : Core::Act::Read);
    if (t.where != Where::Network)
        t.faultPath = p;
    else if (core_.HasFaults())
        t.faultPath = core_.NetForm(t.loc) + "\\" + name;
    if (Faulted("FindFirstFile", t))
        return win::INVALID_HANDLE_VALUE;
    FindState state;
    state.server = t.server;
    state.faultPath = t.faultPath;
    if (t.where == Where::Nowhere || name.empty()) {
        Fail(win::ERROR_PATH_NOT_FOUND);
        return win::INVALID_HANDLE_VALUE;
    }
    if (Unusable(t))
        return win::INVALID_HANDLE_VALUE;
    if (t.where == Where::Local) {
        if (!LocalFind(t.local, name, &state))
            return win::INVALID_HANDLE_VALUE;
    } else {
        Entry& d = t.entry;
        if (!d.exists || !d.st.isDir) {
            Fail(win::ERROR_PATH_NOT_FOUND);
            return win::INVALID_HANDLE_VALUE;
        }
        Volume& v = *d.volume;
        std::string dirRel = d.isRoot ? "" : d.Rel();
        if (!HasWildcard(name)) {
            std::string real;
            DiskStat st;
            if (std::uint32_t code = core_.FindChild(v, dirRel, name, &real, &st)) {
                Fail(code);
                return win::INVALID_HANDLE_VALUE;
            }
            Entry e = core_.ChildEntry(v, dirRel, real, st);
            state.items.push_back(NetFindData(e));
        } else {
            // As on Windows, a directory that is not a volume root lists "." and ".." first.
            if (!d.isRoot && WildcardMatch(name, ".")) {
                state.items.push_back(DotEntry(".", d.st.mtime));
                state.items.push_back(DotEntry("..", d.st.mtime));
            }
            std::uint32_t listError = 0;
            std::vector<Core::Listed> listed = core_.List(v, dirRel, &listError);
            if (listError) {
                // Unreadable is not empty: the caller must never take it for a directory
                // without entries.
                Fail(listError);
                return win::INVALID_HANDLE_VALUE;
            }
            core_.Store().Begin();
            for (const Core::Listed& l : listed) {
                Entry e = core_.ChildEntry(v, dirRel, l.name, l.st);
                win::FindData fd = NetFindData(e, &d.st);
                if (WildcardMatch(name, fd.fileName) ||
                    (!fd.alternateFileName.empty() && WildcardMatch(name, fd.alternateFileName)))
                    state.items.push_back(fd);
            }
            core_.Store().Commit();
        }
        if (state.items.empty()) {
            Fail(win::ERROR_FILE_NOT_FOUND);
            return win::INVALID_HANDLE_VALUE;
        }
    }
    if (!Settle(scope, true))
        return win::INVALID_HANDLE_VALUE;
    if (data)
        *data = state.items[0];
    state.next = 1;
    Succeed();
    return core_.AddFind(std::move(state));
}

bool SimFiles::FindNextFile(win::HANDLE find, win::FindData* data) {
    FindState* state = Held("FindNextFile", core_.Find(find));
    if (!state)
        return false;
    if (state->next >= state->items.size())
        return Fail(win::ERROR_NO_MORE_FILES);
    if (data)
        *data = state->items[state->next];
    ++state->next;
    return Succeed();
}

bool SimFiles::FindClose(win::HANDLE find) {
    FindState* state = core_.Find(find);
    if (!state)
        return Fail(win::ERROR_INVALID_HANDLE);
    std::uint32_t code = 0;
    bool faulted = core_.Faulted("FindClose", state->server, state->faultPath, &code);
    // A failed close still ends the enumeration, so that nothing stays held.
    core_.CloseFind(find);
    return faulted ? Fail(code) : Succeed();
}

std::uint32_t SimFiles::GetFileAttributes(const char* path) {
    MetadataStore::Scope scope(core_.Store());
    Target t;
    if (!Reach("GetFileAttributes", path, &t))
        return win::INVALID_FILE_ATTRIBUTES;
    if (t.where == Where::Local) {
        struct stat sb {};
        if (::stat(t.local.c_str(), &sb) != 0) {
            Fail(errno == ENOTDIR ? win::ERROR_PATH_NOT_FOUND : WinError(errno));
            return win::INVALID_FILE_ATTRIBUTES;
        }
        std::uint32_t a = S_ISDIR(sb.st_mode) ? win::FILE_ATTRIBUTE_DIRECTORY : 0;
        if (!(sb.st_mode & S_IWUSR))
            a |= win::FILE_ATTRIBUTE_READONLY;
        Succeed();
        return a ? a : win::FILE_ATTRIBUTE_NORMAL;
    }
    Entry& e = t.entry;
    if (!e.exists) {
        Fail(e.parentExists ? win::ERROR_FILE_NOT_FOUND : win::ERROR_PATH_NOT_FOUND);
        return win::INVALID_FILE_ATTRIBUTES;
    }
    const std::uint32_t attributes =
        e.isRoot ? win::FILE_ATTRIBUTE_DIRECTORY : DosBits(core_.Attributes(e, core_.Meta(e)));
    if (!Settle(scope, true))
        return win::INVALID_FILE_ATTRIBUTES;
    Succeed();
    return attributes;
}

bool SimFiles::SetFileAttributes(const char* path, std::uint32_t attributes) {
    MetadataStore::Scope scope(core_.Store(), true);
    Target t;
    if (!Reach("SetFileAttributes", path, &t))
        return false;
    std::uint32_t dos = attributes & kDosSettable;
    if (t.where == Where::Local) {
        struct stat sb {};
        if (::stat(t.local.c_str(), &sb) != 0)
            return Fail(WinError(errno));
        mode_t mode = sb.st_mode & 07777;
        mode = (dos & win::FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | S_IWUSR);
        if (::chmod(t.local.c_str(), mode) != 0)
            return Fail(WinError(errno));
        return Succeed();
    }
    Entry& e = t.entry;
    if (!e.exists)
        return Fail(e.parentExists ? win::ERROR_FILE_NOT_FOUND : win::ERROR_PATH_NOT_FOUND);
    if (e.isRoot)
        return Succeed();
    if (core_.AnotherProgramsTemporary(e))
        return Fail(win::ERROR_SHARING_VIOLATION);
    core_.BeforeChange(e);
    MetaRow row = core_.Meta(e);
    // FILE_ATTRIBUTE_NORMAL alone clears the DOS bits; otherwise the given DOS bits replace
    // them. NetWare's own bits above the DOS ones are kept.
    std::uint32_t word = (row.attributes & ~kDosSettable) | dos;
    if (word != row.attributes) {
        // The word it had is journaled first, for a process stopped before the replacement
        // or deletion this change prepares.
        if (const std::uint32_t err = core_.NoteAttributeChange(e, row.attributes, word))
            return Fail(err);
        row.attributes = word;
        core_.SaveMeta(e, row);
    }
    return Settle(scope, Succeed());
}

std::uint32_t SimFiles::GetShortPathName(const char* longPath, char* shortPath,
                                         std::uint32_t length) {
    MetadataStore::Scope scope(core_.Store());
    Target t;
    if (!Reach("GetShortPathName", longPath, &t))
        return 0;
    std::string p = longPath ? longPath : "";
    std::string out;
    if (t.where == Where::Local) {
        struct stat sb {};
        if (::stat(t.local.c_str(), &sb) != 0) {
            Fail(WinError(errno));
            return 0;
        }
        out = p;
    } else {
        // The prefix stays as given; the names that the caller gave become aliases.
        char sep = '\\';
        std::size_t tail = t.loc.parts.size();
        if (p.rfind("\\\\", 0) == 0) {
            std::vector<std::string> given = SplitPath(p.substr(2), false);
            out = "\\\\" + given[0] + "\\" + given[1];
        } else if (p.size() >= 2 && p[1] == ':') {
            out = p.substr(0, 2);
            tail = SplitPath(p.substr(2), false).size();
        } else {
            out = core_.Root() + "/" + t.loc.server->cfg.name + "/" + t.loc.volume->cfg.name;
            sep = '/';
        }
        Volume& v = *t.loc.volume;
        std::string dirRel;
        for (std::size_t i = 0; i < t.loc.parts.size(); ++i) {
            std::string real;
            DiskStat st;
            bool last = i + 1 == t.loc.parts.size();
            const std::uint32_t code = core_.FindChild(v, dirRel, t.loc.parts[i], &real, &st);
            if (code != 0 && code != win::ERROR_FILE_NOT_FOUND) {
                Fail(code);
                return 0;
            }
            if (code != 0 || (!last && !st.isDir)) {
                Fail(last ? win::ERROR_FILE_NOT_FOUND : win::ERROR_PATH_NOT_FOUND);
                return 0;
            }
            if (i >= t.loc.parts.size() - tail) {
                Entry e = core_.ChildEntry(v, dirRel, real, st);
                MetaRow row = core_.Meta(e);
                out += sep + core_.Alias(e, &row);
            }
            dirRel = dirRel.empty() ? real : dirRel + "/" + real;
        }
        if (!p.empty() && (p.back() == '\\' || p.back() == '/') && out.back() != sep)
            out += sep;
    }
    if (!Settle(scope, true))
        return 0;
    Succeed();
    if (!shortPath || out.size() + 1 > length)
        return static_cast<std::uint32_t>(out.size() + 1);
    CopyOut(shortPath, length, out);
    return static_cast<std::uint32_t>(out.size());
}

std::uint32_t SimFiles::GetTempFileName(const char* directory, const char* prefix,
                                        std::uint32_t unique, char* tempFile) {
    // Another process's journal has come or gone since the last look: what a stopped one
    // left is put right before a directory gets a new temporary file. Looked at once an epoch.
    NetLoc turnedTo;
    std::string ignored;
    if (core_.Classify(directory ? directory : "", &turnedTo, &ignored) == Where::Network)
        core_.Enter(turnedTo, Core::Act::TurnTo);
    bool recovered = false;
    if (core_.JournalCheckDue() && core_.Log().Changed()) {
        core_.Recover();
        recovered = true;
    }
    MetadataStore::Scope scope(core_.Store());
    // A directory this epoch has already been through (the run names the destination file
    // there first), and no recovery has changed since, is not looked at again: within an epoch what
    // was found there is trusted, and the temporary file is made relative to the directory held for
    // it.
    Target t;
    const bool known = !recovered && core_.KnownDirectory(turnedTo, &t.entry);
    if (known) {
        t.where = Where::Network;
        t.loc = std::move(turnedTo);
        t.faultPath = core_.FaultForm(t.loc);
        t.server = t.loc.server;
    } else {
        t = Locate(directory, Core::Act::TurnTo);
    }
    if (Faulted("GetTempFileName", t) || Unusable(t))
        return 0;

    std::string dir = directory ? directory : "";
    bool isDir = false;
    if (t.where == Where::Network)
        isDir = t.entry.exists && t.entry.st.isDir;
    else if (t.where == Where::Local)
        isDir = StatPath(t.local).isDir;
    if (!isDir) {
        Fail(win::ERROR_PATH_NOT_FOUND);
        return 0;
    }
    char sep = t.where == Where::Local ? '/' : '\\';
    std::string base = t.where == Where::Local ? t.local : dir;
    if (!base.empty() && base.back() != '\\' && base.back() != '/')
        base += sep;
    std::string pre = std::string(prefix ? prefix : "").substr(0, 3);
    auto nameOf = [&](std::uint32_t n) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", n & 0xFFFF);
        return base + pre + hex + ".TMP";
    };
    if (unique != 0) {
        std::string path = nameOf(unique);
        if (HasAtLeastCharacters(path, win::MAX_PATH)) {
            Fail(win::ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        CopyOut(tempFile, win::kPathBufferSize, path);
        Succeed();
        return unique & 0xFFFF;
    }
    if (tempCounter_ == 0)
        tempCounter_ = static_cast<std::uint32_t>(::getpid() ^ std::time(nullptr));
    for (unsigned attempt = 0; attempt < 0xFFFF; ++attempt) {
        std::uint32_t n = (tempCounter_++ & 0xFFFF);
        if (n == 0)
            continue;
        std::string path = nameOf(n);
        if (HasAtLeastCharacters(path, win::MAX_PATH)) {
            Fail(win::ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        Core::OpenRequest r;
        r.write = true;
        r.create = true;
        r.mustBeNew = true;
        win::HANDLE h = win::INVALID_HANDLE_VALUE;
        bool created = false;
        std::uint32_t err = 0;
        if (t.where == Where::Local) {
            err = core_.OpenLocalFile(path, r, &h, &created);
        } else {
            // The directory was resolved above, in this call, or earlier in this epoch (its
            // times then unknown: the index is looked at as it would be without it).
            Entry e = core_.ResolveChild(*t.entry.volume, t.entry.isRoot ? "" : t.entry.Rel(),
                                         path.substr(base.size()), known ? nullptr : &t.entry.st);
            // Journaled before it is made and once it is: a process stopped at any point
            // leaves a temporary file the next one knows for its own, and removes.
            Journal::Record record;
            record.kind = Journal::kTempCreating;
            record.key = core_.KeyOf(e);
            if (const std::uint32_t journalError = core_.Log().Write(record)) {
                Fail(journalError);
                return 0;
            }
            err = core_.OpenNetworkFile(e, r, &h, &created);
            if (err == 0) {
                record.kind = Journal::kTempCreated;
                record.key = core_.KeyOf(e);
                record.identity = {e.st.inode, e.st.birth};
                if (const std::uint32_t journalError = core_.Log().Write(record)) {
                    core_.Close(h);
                    core_.DeleteFileEntry(e);
                    Fail(journalError);
                    return 0;
                }
                core_.NoteTemporary(record.key, record.identity);
            }
        }
        if (err == win::ERROR_FILE_EXISTS)
            continue;
        if (err) {
            Fail(err);
            return 0;
        }
        core_.ParkTemporary(h);
        CopyOut(tempFile, win::kPathBufferSize, path);
        if (!Settle(scope, true))
            return 0;
        Succeed();
        return n;
    }
    Fail(win::ERROR_FILE_EXISTS);
    return 0;
}

std::uint32_t SimFiles::LocalMove(const std::string& from, const std::string& to, bool replace) {
    DiskStat fs = StatPath(from);
    if (!fs.ok)
        return win::ERROR_FILE_NOT_FOUND;
    if (core_.IsOpen(fs))
        return win::ERROR_SHARING_VIOLATION;
    DiskStat ts = StatPath(to);
    if (ts.ok) {
        if (!replace)
            return win::ERROR_ALREADY_EXISTS;
        struct stat sb {};
        if (ts.isDir || (::stat(to.c_str(), &sb) == 0 && !(sb.st_mode & S_IWUSR)))
            return win::ERROR_ACCESS_DENIED;
        if (core_.IsOpen(ts))
            return win::ERROR_SHARING_VIOLATION;
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : WinError(errno);
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
        return errno == EEXIST ? win::ERROR_ALREADY_EXISTS
                               : (errno == ENOENT ? win::ERROR_PATH_NOT_FOUND : WinError(errno));
    return 0;
}

bool SimFiles::Move(const char* call, const char* from, const char* to, bool replace) {
    MetadataStore::Scope scope(core_.Store());
    Target a = Locate(from);
    Target b = LocateBeside(to, a, Core::Act::CreateIn);
    if (Faulted(call, a))
        return false;
    if (a.where == Where::Nowhere || b.where == Where::Nowhere)
        return Fail(win::ERROR_PATH_NOT_FOUND);
    if (a.where != b.where)
        return Fail(kErrorNotSameDevice);
    if (Unusable(a) || Unusable(b))
        return false;
    // Renaming an entry to its own name in another case changes the case of its name.
    if (a.where == Where::Network && b.entry.exists && !b.loc.parts.empty() &&
        b.entry.st.inode == a.entry.st.inode && b.entry.st.device == a.entry.st.device)
        b.entry.name = b.loc.parts.back();
    const bool replacing =
        a.where == Where::Network && b.entry.exists &&
        !(b.entry.st.inode == a.entry.st.inode && b.entry.st.device == a.entry.st.device);
    std::uint32_t err = a.where == Where::Local ? LocalMove(a.local, b.local, replace)
                                                : core_.Rename(a.entry, b.entry, replace);
    if (err == 0 && replacing)
        TakeGivenName(b);
    return Settle(scope, Finish(err));
}

// A file that replaced another took the replaced one's name in the one step that swapped them;
// it then takes the name it was given, where that differs only in case, by a rename of the
// entry itself, so that the name is never empty and no second name in another case arises.
// Should that rename fail, the delivered file keeps the old spelling: nothing is lost.
void SimFiles::TakeGivenName(Target& b) {
    if (b.loc.parts.empty() || b.entry.name == b.loc.parts.back() ||
        ::strcasecmp(b.entry.name.c_str(), b.loc.parts.back().c_str()) != 0)
        return;
    Entry given = b.entry;
    given.name = b.loc.parts.back();
    core_.Rename(b.entry, given, false);
}

bool SimFiles::MoveFile(const char* from, const char* to) {
    return Move("MoveFile", from, to, false);
}

bool SimFiles::MoveFileEx(const char* from, const char* to, std::uint32_t flags) {
    return Move("MoveFileEx", from, to, flags & win::MOVEFILE_REPLACE_EXISTING);
}

bool SimFiles::DeleteFile(const char* path) {
    MetadataStore::Scope scope(core_.Store());
    Target t;
    if (!Reach("DeleteFile", path, &t))
        return false;
    if (t.where == Where::Network)
        return Settle(scope, Finish(core_.DeleteFileEntry(t.entry)));
    DiskStat st = StatPath(t.local);
    if (!st.ok)
        return Fail(errno == ENOTDIR ? win::ERROR_PATH_NOT_FOUND : win::ERROR_FILE_NOT_FOUND);
    struct stat sb {};
    if (st.isDir ||
        (::lstat(t.local.c_str(), &sb) == 0 && !S_ISLNK(sb.st_mode) && !(sb.st_mode & S_IWUSR)))
        return Fail(win::ERROR_ACCESS_DENIED);
    if (core_.IsOpen(st))
        return Fail(win::ERROR_SHARING_VIOLATION);
    if (::unlink(t.local.c_str()) != 0)
        return Fail(WinError(errno));
    return Succeed();
}

bool SimFiles::CreateDirectory(const char* path) {
    MetadataStore::Scope scope(core_.Store());
    Target t;
    if (!Reach("CreateDirectory", path, &t, Core::Act::MakeDirectory))
        return false;
    if (t.where == Where::Network) {
        if (t.entry.isRoot)
            return Fail(win::ERROR_ALREADY_EXISTS);
        return Settle(scope, Finish(core_.MakeDirectory(t.entry)));
    }
    if (::mkdir(t.local.c_str(), 0755) != 0)
        return Fail(errno == ENOENT ? win::ERROR_PATH_NOT_FOUND : WinError(errno));
    return Succeed();
}

bool SimFiles::RemoveDirectory(const char* path) {
    MetadataStore::Scope scope(core_.Store());
    Target t;
    if (!Reach("RemoveDirectory", path, &t))
        return false;
    if (t.where == Where::Network)
        return Settle(scope, Finish(core_.RemoveDirectoryEntry(t.entry)));
    DiskStat st = StatPath(t.local);
    if (!st.ok)
        return Fail(win::ERROR_FILE_NOT_FOUND);
    if (!st.isDir)
        return Fail(kErrorDirectory);
    if (::rmdir(t.local.c_str()) != 0)
        return Fail(errno == ENOTEMPTY || errno == EEXIST ? win::ERROR_DIR_NOT_EMPTY
                                                          : WinError(errno));
    return Succeed();
}

win::HANDLE SimFiles::CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                 std::uint32_t creation, std::uint32_t) {
    MetadataStore::Scope scope(core_.Store());
    Target t;
    if (!Reach("CreateFile", path, &t, CreateFileAct(creation)))
        return win::INVALID_HANDLE_VALUE;
    Core::OpenRequest r;
    r.read = access & win::GENERIC_READ;
    r.write = access & win::GENERIC_WRITE;
    r.share = shareMode;
    switch (creation) {
        case win::CREATE_NEW:
            r.create = r.mustBeNew = true;
            break;
        case win::CREATE_ALWAYS:
            r.create = r.truncate = true;
            break;
        case win::OPEN_EXISTING:
            break;
        case win::OPEN_ALWAYS:
            r.create = true;
            break;
        case win::TRUNCATE_EXISTING:
            if (!r.write) {
                Fail(win::ERROR_INVALID_PARAMETER);
                return win::INVALID_HANDLE_VALUE;
            }
            r.truncate = true;
            break;
        default:
            Fail(win::ERROR_INVALID_PARAMETER);
            return win::INVALID_HANDLE_VALUE;
    }
    win::HANDLE h = win::INVALID_HANDLE_VALUE;
    bool created = false;
    std::uint32_t err = t.where == Where::Local ? core_.OpenLocalFile(t.local, r, &h, &created)
                                                : core_.OpenNetworkFile(t.entry, r, &h, &created);
    if (err) {
        Fail(err);
        return win::INVALID_HANDLE_VALUE;
    }
    if (!Settle(scope, true)) {
        const std::uint32_t failure = lastError_;
        core_.Close(h);
        Fail(failure);
        return win::INVALID_HANDLE_VALUE;
    }
    // As on Windows, opening an existing file with a creating disposition says so.
    bool existed = !created && (creation == win::CREATE_ALWAYS || creation == win::OPEN_ALWAYS);
    lastError_ = existed ? win::ERROR_ALREADY_EXISTS : 0;
    return h;
}

bool SimFiles::ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
    if (read)
        *read = 0;
    OpenFile* f = Held("ReadFile", core_.File(file));
    if (!f)
        return false;
    std::uint32_t done = 0;
    std::uint32_t err = core_.Read(*f, buffer, toRead, &done);
    if (read)
        *read = done;
    return Finish(err);
}

bool SimFiles::WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                         std::uint32_t* written) {
    if (written)
        *written = 0;
    OpenFile* f = Held("WriteFile", core_.File(file));
    if (!f)
        return false;
    std::uint32_t done = 0;
    std::uint32_t err = core_.Write(*f, buffer, toWrite, &done);
    if (written)
        *written = done;
    return Finish(err);
}

bool SimFiles::CopyFileChunk(win::HANDLE source, win::HANDLE target, void* buffer,
                             std::uint32_t toCopy, std::uint32_t* read, std::uint32_t* written,
                             ChunkStep* failed) {
    *read = *written = 0;
    *failed = ChunkStep::Read;
    OpenFile* from = Held("ReadFile", core_.File(source));
    if (!from)
        return false;
    // The read's fault has had its turn; the write's is only looked at here, so that a rule
    // for it is used up once, by the write through the buffer that it makes fail.
    OpenFile* to = core_.File(target);
    std::uint32_t done = 0;
    if (to && !core_.WouldFault("WriteFile", to->server, to->faultPath) &&
        core_.CopyInKernel(*from, *to, toCopy, &done)) {
        core_.RoundTrip("WriteFile", to->server);  // the write's answer, from its own server
        *read = *written = done;
        *failed = ChunkStep::None;
        return Succeed();
    }
    if (const std::uint32_t err = core_.Read(*from, buffer, toCopy, &done))
        return Fail(err);
    *read = done;
    *failed = ChunkStep::None;
    if (done == 0)
        return Succeed();
    if (WriteFile(target, buffer, done, written))
        return true;
    *failed = ChunkStep::Write;
    return false;
}

bool SimFiles::SetFilePointer(win::HANDLE file, std::int64_t distance, std::uint32_t method,
                              std::uint64_t* newPosition) {
    OpenFile* f = Held("SetFilePointer", core_.File(file));
    if (!f)
        return false;
    return Finish(core_.Seek(*f, distance, method, newPosition));
}

bool SimFiles::SetEndOfFile(win::HANDLE file) {
    OpenFile* f = Held("SetEndOfFile", core_.File(file));
    if (!f)
        return false;
    return Finish(core_.SetEnd(*f));
}

bool SimFiles::CloseHandle(win::HANDLE handle) {
    MetadataStore::Scope scope(core_.Store());
    OpenFile* f = core_.File(handle);
    if (!f)
        return Fail(win::ERROR_INVALID_HANDLE);
    std::uint32_t code = 0;
    bool faulted = core_.Faulted("CloseHandle", f->server, f->faultPath, &code);
    // A failed close still releases the handle: nothing stays open behind the caller's back.
    std::uint32_t err = core_.Close(handle);
    if (faulted)
        return Fail(code);
    return Settle(scope, Finish(err));
}

namespace {

win::FileStatInformation StatInformation(const DiskStat& st) {
    win::FileStatInformation info;
    info.fileId = FileIdOf(st);
    info.volumeSerial = static_cast<std::uint64_t>(st.device);
    info.size = st.size;
    info.lastWriteTime = st.mtime * 1000000000LL + st.mtimeNs;
    info.changeTime = st.ctime;
    return info;
}

}  // namespace

bool SimFiles::GetFileInformationByHandle(win::HANDLE file, win::FileStatInformation* info) {
    OpenFile* f = Held("GetFileInformationByHandle", core_.File(file));
    if (!f)
        return false;
    const DiskStat st = StatOpen(f->fd);
    if (!st.ok)
        return Fail(WinError(st.err));
    *info = StatInformation(st);
    return Succeed();
}

bool SimFiles::GetFileInformationByName(const char* path, win::FileStatInformation* info) {
    Target t;
    if (!Reach("GetFileInformationByName", path, &t))
        return false;
    DiskStat st;
    if (t.where == Where::Network) {
        if (!t.entry.exists)
            return Fail(t.entry.parentExists ? win::ERROR_FILE_NOT_FOUND
                                             : win::ERROR_PATH_NOT_FOUND);
        st = t.entry.st;
    } else {
        st = StatPath(t.local);
        if (!st.ok)
            return Fail(st.err == ENOTDIR ? win::ERROR_PATH_NOT_FOUND : WinError(st.err));
    }
    *info = StatInformation(st);
    return Succeed();
}

bool SimFiles::GetVolumeInformation(const char* rootPath, char* volumeName,
                                    std::uint32_t volumeNameSize, std::uint32_t* serialNumber,
                                    std::uint32_t* maxComponentLength,
                                    std::uint32_t* fileSystemFlags, char* fileSystemName,
                                    std::uint32_t fileSystemNameSize) {
    Target t;
    if (!Reach("GetVolumeInformation", rootPath, &t))
        return false;
    std::string p = rootPath ? rootPath : "";
    if (t.where == Where::Local) {
        struct statvfs vfs {};
        if (::statvfs(t.local.c_str(), &vfs) != 0)
            return Fail(WinError(errno));
        CopyOut(volumeName, volumeNameSize, "");
        if (serialNumber)
            *serialNumber = static_cast<std::uint32_t>(vfs.f_fsid);
        if (maxComponentLength)
            *maxComponentLength = static_cast<std::uint32_t>(vfs.f_namemax);
        if (fileSystemFlags)
            *fileSystemFlags = kCasePreservedNames;
        CopyOut(fileSystemName, fileSystemNameSize, "LOCAL");
        return Succeed();
    }
    // Only a volume root (or a mapped drive's root) names a volume.
    bool driveRoot = p.size() >= 2 && p[1] == ':' && SplitPath(p.substr(2), false).empty();
    if (!driveRoot && !t.loc.parts.empty())
        return Fail(kErrorDirNotRoot);
    Volume& v = *t.loc.volume;
    CopyOut(volumeName, volumeNameSize, v.cfg.name);
    if (serialNumber)
        *serialNumber = (t.loc.server->objectId << 8) ^ v.number;
    if (maxComponentLength)
        *maxComponentLength = v.cfg.longNames ? 255 : 12;
    if (fileSystemFlags)
        *fileSystemFlags = v.cfg.longNames ? kCasePreservedNames : 0;
    CopyOut(fileSystemName, fileSystemNameSize, "NWFS");
    return Succeed();
}

}  // namespace sim
