#include "netware/sim/journal.h"
#include "netware/sim/sim_core.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

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

// pid-start-n.journal: the process, and which of its opened networks (a process may open one
// network more than once).
std::string OwnName() {
    static unsigned opened = 0;
    return std::to_string(::getpid()) + "-" + std::to_string(ProcessStartTime(::getpid())) + "-" +
           std::to_string(++opened) + ".journal";
}

// The process a journal file belongs to runs still.
bool OwnerRuns(const std::string& name) {
    const std::size_t dash = name.find('-');
    const std::size_t dot = name.rfind(".journal");
    if (dash == std::string::npos || dot == std::string::npos || dot < dash)
        return false;
    const std::size_t second = name.find('-', dash + 1);
    std::int64_t pid = 0, start = 0;
    if (second == std::string::npos || second > dot || !Number(name.substr(0, dash), &pid) ||
        !Number(name.substr(dash + 1, second - dash - 1), &start))
        return false;
    return pid > 0 &&
           ProcessStartTime(static_cast<pid_t>(pid)) == static_cast<std::uint64_t>(start);
}

}  // namespace

std::uint64_t ProcessStartTime(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name is in parentheses and may hold anything: fields count from its end.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && rest >> field; ++i) {
        if (i == 22)
            return std::strtoull(field.c_str(), nullptr, 10);
    }
    return 0;
}

Journal::~Journal() {
    Close();
}

void Journal::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink((dir_ + "/" + own_).c_str());
    }
    fd_ = -1;
}

void Journal::StartOwnFile() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
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

std::uint32_t Journal::Write(const Record& r) {
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
    if (fd_ < 0) {
        fd_ = ::open((dir_ + "/" + own_).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd_ < 0)
            return WinError(errno);
    }
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
    std::vector<Record> records;
    files->clear();
    struct stat sb {};
    if (::stat(dir_.c_str(), &sb) == 0)
        seenChange_ = sb.st_mtim.tv_sec * 1000000000LL + sb.st_mtim.tv_nsec;
    DIR* d = ::opendir(dir_.c_str());
    if (!d)
        return records;
    while (dirent* de = ::readdir(d)) {
        const std::string name = de->d_name;
        if (name == own_ || name.size() < 9 || name.rfind(".journal") != name.size() - 8 ||
            OwnerRuns(name))
            continue;
        files->push_back(name);
    }
    ::closedir(d);
    std::sort(files->begin(), files->end());
    for (const std::string& name : *files) {
        const std::string path = dir_ + "/" + name;
        struct stat fileStat {};
        const std::int64_t written =
            ::stat(path.c_str(), &fileStat) == 0
                ? fileStat.st_mtim.tv_sec * 1000000000LL + fileStat.st_mtim.tv_nsec
                : 0;
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start)) {
            Record r;
            if (ParseRecord(text.substr(start, end - start), &r)) {
                r.written = written;
                records.push_back(r);
            }
        }
    }
    return records;
}

void Journal::Forget(const std::vector<std::string>& files) {
    for (const std::string& name : files)
        ::unlink((dir_ + "/" + name).c_str());
}

}  // namespace sim
