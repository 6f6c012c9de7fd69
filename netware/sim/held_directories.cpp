#include "netware/sim/held_directories.h"

#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>
#include <vector>

namespace sim {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

void FileDescriptor::Reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

namespace {

struct Held {
    FileDescriptor fd;
    bool pinned = false;
};

struct Anchor {
    std::string prefix;  // the root and a slash
    FileDescriptor fd;
    std::unordered_map<std::string, Held> held;  // by path below the root
};

std::vector<Anchor>& Anchors() {
    static std::vector<Anchor> anchors;
    return anchors;
}

bool walkNames = false;

// More directories than a run uses in one epoch (its source's and destination's, and those
// above them): past it, the unpinned ones are let go between two calls.
constexpr std::size_t kMaxHeld = 64;

// A link on the way reads as a name that is not a directory, whichever way the kernel says it.
int OpenFailed() {
    if (errno == ELOOP || errno == EXDEV)
        errno = ENOTDIR;
    return -1;
}

// Opens rel (names separated by '/') below the directory base, refusing links and names
// that lead out of it; -1 with errno.
int OpenBelow(int base, const std::string& rel) {
    if (!walkNames) {
        struct open_how how {};
        how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
        const long fd = ::syscall(SYS_openat2, base, rel.c_str(), &how, sizeof how);
        if (fd >= 0)
            return static_cast<int>(fd);
        if (errno != ENOSYS)
            return OpenFailed();
        walkNames = true;  // an old kernel, or a filter that refuses the call
    }
    FileDescriptor current;
    int at = base;
    std::size_t start = 0;
    while (start <= rel.size()) {
        std::size_t end = rel.find('/', start);
        if (end == std::string::npos)
            end = rel.size();
        const std::string name = rel.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        if (name == "." || name == "..") {
            errno = ENOTDIR;
            return -1;
        }
        const int fd = ::openat(at, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return OpenFailed();
        current = FileDescriptor(fd);
        at = fd;
    }
    if (!current.Valid())
        return ::fcntl(base, F_DUPFD_CLOEXEC, 0);
    return current.Release();
}

// The held directory of dirRel below the anchor, opened from the nearest held directory above
// it when not held yet; -1 with errno.
int HeldDirectory(Anchor& a, const std::string& dirRel) {
    if (dirRel.empty())
        return a.fd.Get();
    if (auto it = a.held.find(dirRel); it != a.held.end())
        return it->second.fd.Get();
    int base = a.fd.Get();
    std::string rest = dirRel;
    for (std::size_t cut = dirRel.rfind('/'); cut != std::string::npos && cut > 0;
         cut = dirRel.rfind('/', cut - 1)) {
        if (auto it = a.held.find(dirRel.substr(0, cut)); it != a.held.end()) {
            base = it->second.fd.Get();
            rest = dirRel.substr(cut + 1);
            break;
        }
    }
    const int fd = OpenBelow(base, rest);
    if (fd < 0)
        return -1;
    a.held[dirRel].fd = FileDescriptor(fd);
    return fd;
}

// Where a local path lies: a held directory and the last name in it.
struct Place {
    int dir = AT_FDCWD;
    std::string name;
};

// Whether a path below a root climbs out of the directory it names (a local path that only
// begins with the root's text).
bool Climbs(const std::string& rel) {
    return rel == ".." || rel.rfind("../", 0) == 0 || rel.find("/../") != std::string::npos ||
           (rel.size() >= 3 && rel.compare(rel.size() - 3, 3, "/..") == 0);
}

Anchor* AnchorOf(const std::string& local, std::string* rel) {
    for (Anchor& a : Anchors()) {
        if (local.size() > a.prefix.size() && local.compare(0, a.prefix.size(), a.prefix) == 0) {
            *rel = local.substr(a.prefix.size());
            while (!rel->empty() && rel->back() == '/')
                rel->pop_back();
            return rel->empty() || Climbs(*rel) ? nullptr : &a;
        }
    }
    return nullptr;
}

// False with errno when the directory of the path cannot be opened.
bool PlaceOf(const std::string& local, Place* place) {
    std::string rel;
    Anchor* a = AnchorOf(local, &rel);
    if (!a) {
        *place = {AT_FDCWD, local};
        return true;
    }
    const std::size_t slash = rel.rfind('/');
    place->name = slash == std::string::npos ? rel : rel.substr(slash + 1);
    place->dir = HeldDirectory(*a, slash == std::string::npos ? "" : rel.substr(0, slash));
    return place->dir >= 0;
}

// Lets go of the unpinned directories when there are too many; only between two system
// calls, so that no directory a call is using goes.
void Trim() {
    for (Anchor& a : Anchors()) {
        if (a.held.size() < kMaxHeld)
            continue;
        std::erase_if(a.held, [](const auto& h) { return !h.second.pinned; });
    }
}

}  // namespace

void HoldRoot(const std::string& root) {
    const int fd = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        Anchors().push_back({root + "/", FileDescriptor(fd), {}});
}

void ReleaseRoot(const std::string& root) {
    auto& anchors = Anchors();
    for (auto it = anchors.begin(); it != anchors.end(); ++it) {
        if (it->prefix == root + "/") {
            anchors.erase(it);
            return;
        }
    }
}

void PinDirectory(const std::string& local) {
    std::string rel;
    Anchor* a = AnchorOf(local, &rel);
    if (a && HeldDirectory(*a, rel) >= 0)
        a->held[rel].pinned = true;
}

void ForgetHeld(const std::string& root) {
    for (Anchor& a : Anchors()) {
        if (a.prefix == root + "/")
            std::erase_if(a.held, [](const auto& h) { return !h.second.pinned; });
    }
}

void WalkNamesOneByOne(bool on) {
    walkNames = on;
}

namespace {

// Runs call(directory, name) on the place of a local path; -1 with errno when its directory
// cannot be opened.
template <typename Call>
int AtPlace(const std::string& local, Call call) {
    Trim();
    Place p;
    if (!PlaceOf(local, &p))
        return -1;
    return call(p.dir, p.name.c_str());
}

}  // namespace

int StatxAt(const std::string& local, int flags, unsigned mask, struct statx* sx) {
    return AtPlace(local,
                   [&](int dir, const char* name) { return ::statx(dir, name, flags, mask, sx); });
}

int OpenAt(const std::string& local, int flags, mode_t mode) {
    return AtPlace(local, [&](int dir, const char* name) {
        return ::openat(dir, name, flags | O_NOFOLLOW | O_CLOEXEC, mode);
    });
}

int UnlinkAt(const std::string& local, int flags) {
    return AtPlace(local, [&](int dir, const char* name) { return ::unlinkat(dir, name, flags); });
}

int MakeDirectoryAt(const std::string& local, mode_t mode) {
    return AtPlace(local, [&](int dir, const char* name) { return ::mkdirat(dir, name, mode); });
}

int RenameAt(const std::string& from, const std::string& to, unsigned flags) {
    Trim();
    Place a, b;
    if (!PlaceOf(from, &a) || !PlaceOf(to, &b))
        return -1;
    return ::renameat2(a.dir, a.name.c_str(), b.dir, b.name.c_str(), flags);
}

int SetTimesAt(const std::string& local, const struct timespec times[2]) {
    return AtPlace(local, [&](int dir, const char* name) {
        return ::utimensat(dir, name, times, AT_SYMLINK_NOFOLLOW);
    });
}

DIR* OpenDirectoryAt(const std::string& local) {
    Trim();
    // A held directory is listed through its own descriptor: no name is looked up again.
    std::string rel;
    int fd = -1;
    Anchor* a = AnchorOf(local, &rel);
    if (a) {
        if (auto it = a->held.find(rel); it != a->held.end())
            fd = ::openat(it->second.fd.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        Place p;
        if (!PlaceOf(local, &p))
            return nullptr;
        fd = ::openat(p.dir, p.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0)
        return nullptr;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return d;
}

}  // namespace sim
