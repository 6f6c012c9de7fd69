#include "netware/sim/journal.h"
#include "netware/sim/sim_core.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace sim {

namespace {

// Fields are separated by tabs: no NetWare name holds a control character.
void AddKey(std::string* line, const EntryKey& key) {
    *line += '\t' + key.server + '\t' + key.volume + '\t' + key.dir + '\t' + key.name;
}

void AddIdentity(std::string* line, const FileIdentity& id) {
    *line += '\t' + std::to_string(id.inode) + '\t' + std::to_string(id.birth);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

bool Number(const std::string& text, std::int64_t* value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    *value = n;
    return true;
}

bool ParseKey(const std::vector<std::string>& f, std::size_t at, EntryKey* key) {
    if (f.size() < at + 4)
        return false;
    *key = EntryKey{f[at], f[at + 1], f[at + 2], f[at + 3]};
    return true;
}

bool ParseIdentity(const std::vector<std::string>& f, std::size_t at, FileIdentity* id) {
    std::int64_t inode = 0;
    if (f.size() < at + 2 || !Number(f[at], &inode) || !Number(f[at + 1], &id->birth))
        return false;
    id->inode = static_cast<std::uint64_t>(inode);
    return true;
}

// One complete line of a journal file; a line cut short by the process's end is none.
bool ParseRecord(const std::string& line, Journal::Record* r) {
    const std::vector<std::string> f = Fields(line);
    if (f.empty() || f[0].size() != 1 || !ParseKey(f, 1, &r->key))
        return false;
    r->kind = f[0][0];
    switch (r->kind) {
        case Journal::kTempCreating:
        case Journal::kSettled:
            return f.size() == 5;
        case Journal::kTempCreated:
            return f.size() == 7 && ParseIdentity(f, 5, &r->identity);
        case Journal::kRenaming:
            return f.size() == 13 && ParseIdentity(f, 5, &r->identity) &&
                   ParseKey(f, 7, &r->target) && ParseIdentity(f, 11, &r->targetIdentity);
        case Journal::kReset: {
            std::int64_t word = 0;
            if (f.size() != 8 || !ParseIdentity(f, 5, &r->identity) || !Number(f[7], &word))
                return false;
            r->attributes = static_cast<std::uint32_t>(word);
            return true;
        }
        default:
            return false;
    }
}

// pid-random.journal: the process id for people reading the folder, and a random part, so that
// processes of other PID namespaces sharing the network never pick the same name.
std::string OwnName() {
    std::uint64_t random = 0;
    if (::getrandom(&random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
        random =
            static_cast<std::uint64_t>(::time(nullptr)) ^ reinterpret_cast<std::uintptr_t>(&random);
    char text[32];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(random));
    return std::to_string(::getpid()) + "-" + text + ".journal";
}

constexpr const char* kUnnamed = ".part";  // a journal being made, not yet locked and named

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Locks the whole file for this open file description: false (errno EAGAIN or EACCES) while
// another description holds a conflicting lock, as a live journal's owner does.
bool LockWhole(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool ReadWhole(int fd, std::string* text) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text->append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

Journal::~Journal() {
    Close();
}

void Journal::Close() {
    Release();
    if (fd_ >= 0) {
        // Removed before the lock goes with the descriptor: nobody takes it for a dead one's.
        if (!keep_)
            ::unlink((dir_ + "/" + own_).c_str());
        ::close(fd_);
    }
    fd_ = -1;
}

void Journal::StartOwnFile() {
    // The parent's descriptor (and with it the lock on the parent's file) stays the parent's.
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    Release();
    own_ = OwnName();
}

bool Journal::Open(const std::string& dir, std::string* error) {
    dir_ = dir;
    own_ = OwnName();
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        *error = std::strerror(errno);
        return false;
    }
    return true;
}

bool Journal::Create() {
    const std::string unnamed = dir_ + "/" + own_ + kUnnamed;
    const int fd = ::open(unnamed.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    if (!LockWhole(fd, F_WRLCK) || ::rename(unnamed.c_str(), (dir_ + "/" + own_).c_str()) != 0) {
        const int err = errno;
        ::unlink(unnamed.c_str());
        ::close(fd);
        errno = err;
        return false;
    }
    fd_ = fd;
    return true;
}

std::string Journal::Line(const Record& r) {
    std::string line(1, r.kind);
    AddKey(&line, r.key);
    if (r.kind == kTempCreated || r.kind == kRenaming || r.kind == kReset)
        AddIdentity(&line, r.identity);
    if (r.kind == kRenaming) {
        AddKey(&line, r.target);
        AddIdentity(&line, r.targetIdentity);
    }
    if (r.kind == kReset)
        line += '\t' + std::to_string(r.attributes);
    line += '\n';
    return line;
}

std::uint32_t Journal::Write(const Record& r) {
    const std::string line = Line(r);
    if (fd_ < 0 && !Create())
        return WinError(errno);
    // One write of a whole line: what the process's end cuts short is a line without its end,
    // which is never read as a record.
    const ssize_t n = ::write(fd_, line.data(), line.size());
    if (n == static_cast<ssize_t>(line.size()))
        return 0;
    const int err = n < 0 ? errno : ENOSPC;
    // A line written in part is made a line that no record reads as one.
    if (n > 0)
        (void)!::write(fd_, "\n", 1);
    return WinError(err);
}

bool Journal::Changed() {
    struct stat sb {};
    if (::stat(dir_.c_str(), &sb) != 0)
        return false;
    const std::int64_t change = sb.st_mtim.tv_sec * 1000000000LL + sb.st_mtim.tv_nsec;
    return change != seenChange_;
}

std::vector<Journal::Record> Journal::LeftBehind(std::vector<std::string>* files) {
    Release();
    struct stat sb {};
    if (::stat(dir_.c_str(), &sb) == 0)
        seenChange_ = sb.st_mtim.tv_sec * 1000000000LL + sb.st_mtim.tv_nsec;
    return ReadDead(files, true);
}

std::vector<Journal::Record> Journal::Peek() {
    std::vector<std::string> files;
    return ReadDead(&files, false);
}

std::vector<std::string> Journal::OthersFiles() const {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir_.c_str());
    if (!d)
        return names;
    while (dirent* de = ::readdir(d)) {
        const std::string name = de->d_name;
        // A file still being made (.part) holds no record yet and is its maker's to name.
        if (name != own_ && EndsWith(name, ".journal"))
            names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// The whole text of a journal whose owner runs now (it holds its lock); false for any other.
// Read without a lock of ours, never opened through a link or in a way that could block.
bool ReadLive(const std::string& path, std::string* text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {};
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool live = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                      ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    const bool read = live && ReadWhole(fd, text);
    ::close(fd);
    return read;
}

bool Same(const FileIdentity& a, const FileIdentity& b) {
    return a.inode == b.inode && a.birth == b.birth;
}

bool SameKey(const EntryKey& a, const EntryKey& b) {
    return a.name == b.name && a.dir == b.dir && a.volume == b.volume && a.server == b.server;
}

}  // namespace

bool Journal::LiveTemporary(const EntryKey& key, const FileIdentity& identity) {
    for (const std::string& name : OthersFiles()) {
        std::string text;
        if (!ReadLive(dir_ + "/" + name, &text))
            continue;
        Record last;
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start)) {
            Record r;
            if (!ParseRecord(text.substr(start, end - start), &r))
                continue;
            // Its temporary file, or (while it renames one into place) the file that the swap
            // brought out under the temporary name, which it deletes itself.
            const bool temporary = r.kind == kTempCreated || r.kind == kRenaming;
            if (temporary && SameKey(r.key, key) &&
                (Same(r.identity, identity) ||
                 (r.kind == kRenaming && Same(r.targetIdentity, identity))))
                return true;
            last = r;
        }
        // Its last record: a temporary file it is making right now, not yet recorded as made.
        if (last.kind == kTempCreating && SameKey(last.key, key))
            return true;
    }
    return false;
}

std::vector<Journal::Record> Journal::ReadDead(std::vector<std::string>* files, bool hold) {
    std::vector<Record> records;
    files->clear();
    notFiles_.clear();
    for (const std::string& name : OthersFiles()) {
        const std::string path = dir_ + "/" + name;
        // Only a regular file is opened, never through a link and never waiting: a FIFO swapped
        // in after the look opens at once (O_NONBLOCK) and is then refused as not a file.
        struct stat look {};
        if (::lstat(path.c_str(), &look) != 0)
            continue;
        if (!S_ISREG(look.st_mode)) {
            notFiles_.push_back(path);
            continue;
        }
        int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        const bool writable = fd >= 0;
        if (fd < 0)
            fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            notFiles_.push_back(path);
            ::close(fd);
            continue;
        }
        // The owner holds a write lock while it runs, so a lock of ours is refused then. A
        // journal this process may only read is looked at under a read lock.
        std::string text;
        if (!LockWhole(fd, writable ? F_WRLCK : F_RDLCK) || !ReadWhole(fd, &text)) {
            ::close(fd);
            continue;
        }
        const std::int64_t written = opened.st_mtim.tv_sec * 1000000000LL + opened.st_mtim.tv_nsec;
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start)) {
            Record r;
            if (ParseRecord(text.substr(start, end - start), &r)) {
                r.written = written;
                r.file = name;
                records.push_back(r);
            }
        }
        files->push_back(name);
        if (hold)
            held_.emplace_back(name, fd);
        else
            ::close(fd);
    }
    return records;
}

void Journal::Forget(const std::vector<std::string>& files) {
    for (const std::string& name : files)
        ::unlink((dir_ + "/" + name).c_str());
    Release();
}

void Journal::KeepOnly(const std::string& file, const std::vector<Record>& records) {
    for (const auto& [name, fd] : held_) {
        if (name != file)
            continue;
        std::string text;
        for (const Record& r : records)
            text += Line(r);
        // Written whole or not changed: a journal cut short would lose what it still records.
        if (::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
            (void)!::ftruncate(fd, static_cast<off_t>(text.size()));
    }
}

void Journal::Release() {
    for (const auto& [name, fd] : held_)
        ::close(fd);
    held_.clear();
}

}  // namespace sim
