// The registry over two REGEDIT4 hive files. Hives are read at first use and read again when
// their file changes on disk (another Farcast process saved its settings); every change is
// written at once through a temporary file and a rename, so a hive file is always whole.

#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

#include "platform/registry_hive_file.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace win {

namespace {

struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

struct HiveState {
    HiveState(const char* file, const char* root) : fileName(file), rootName(root) {}

    const char* fileName;
    const char* rootName;
    bool loaded = false;
    bool readOnly = false;  // the file could not be read and could not be moved aside
    regfile::KeyMap keys;
    FileStamp stamp;

    void Forget() {
        loaded = false;
        readOnly = false;
        keys.clear();
        stamp = {};
    }
};

struct OpenKey {
    HiveState* hive;
    std::string path;
};

struct RegistryState {
    std::string overrideDirectory;
    std::string directory;  // the one the hives were read from
    HiveState user{"user.reg", "HKEY_CURRENT_USER"};
    HiveState machine{"machine.reg", "HKEY_LOCAL_MACHINE"};
    std::map<HKEY, OpenKey> open;
    HKEY nextHandle = 0x1000;
    std::vector<RegistryProblem> problems;  // reported, not yet taken by the program
};

RegistryState& State() {
    static RegistryState state;
    return state;
}

std::string DefaultDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/farcast";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : "/tmp";
    }
    return std::string(home) + "/.config/farcast";
}

// Switches to the directory now in effect, forgetting hives read from another one.
void UseCurrentDirectory() {
    RegistryState& s = State();
    std::string dir = s.overrideDirectory.empty() ? DefaultDirectory() : s.overrideDirectory;
    if (dir != s.directory) {
        s.directory = dir;
        s.user.Forget();
        s.machine.Forget();
    }
}

std::string HivePath(const HiveState& hive) {
    return State().directory + "/" + hive.fileName;
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    FileStamp stamp;
    if (stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

std::uint32_t ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

// A free name next to path for keeping a damaged file: path.damaged-YYYYMMDD-HHMMSS[-N].
std::string DamagedName(const std::string& path) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; access(name.c_str(), F_OK) == 0; ++n)
        name = base + "-" + std::to_string(n);
    return name;
}

// A hive file that cannot be used: say so once, and keep it where nothing overwrites it.
void SetAsideDamaged(HiveState& hive, const std::string& path, int badLine) {
    std::string aside = DamagedName(path);
    std::string message;
    if (std::rename(path.c_str(), aside.c_str()) == 0) {
        message = FormatText(LoadResString(IDS_REGISTRY_HIVE_DAMAGED), path.c_str(), badLine,
                             aside.c_str());
        hive.readOnly = false;
        hive.stamp = {};
    } else {
        message = FormatText(LoadResString(IDS_REGISTRY_HIVE_DAMAGED_KEPT), path.c_str(), badLine);
        hive.readOnly = true;
        hive.stamp = StampOf(path);
    }
    std::fprintf(stderr, "%s\n", message.c_str());
    State().problems.push_back(
        RegistryProblem{path, badLine, hive.readOnly ? std::string() : aside, hive.readOnly});
    hive.keys.clear();
    regfile::AddKey(hive.keys, "");
}

// The whole content of a file; false when it cannot be read.
bool ReadWhole(const std::string& path, std::string* text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    text->clear();
    char buffer[8192];
    bool ok = true;
    while (true) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        text->append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return ok;
}

void Load(HiveState& hive) {
    std::string path = HivePath(hive);
    hive.loaded = true;
    hive.readOnly = false;
    hive.keys.clear();
    regfile::AddKey(hive.keys, "");
    hive.stamp = StampOf(path);
    if (!hive.stamp.exists)
        return;
    std::string text;
    if (!ReadWhole(path, &text)) {
        // Present but unreadable (a directory, no permission): leave it alone entirely.
        std::fprintf(stderr, "%s\n",
                     FormatText(LoadResString(IDS_REGISTRY_HIVE_UNREADABLE), path.c_str()).c_str());
        State().problems.push_back(RegistryProblem{path, 0, std::string(), true});
        hive.readOnly = true;
        return;
    }
    int badLine = 0;
    if (!regfile::ReadHiveText(text, hive.rootName, &hive.keys, &badLine))
        SetAsideDamaged(hive, path, badLine);
}

// Reads the hive when it was not read yet or its file changed since.
void Refresh(HiveState& hive) {
    if (!hive.loaded || StampOf(HivePath(hive)) != hive.stamp)
        Load(hive);
}

bool MakeDirectories(const std::string& dir, int* error) {
    for (std::size_t k = 1; k <= dir.size(); ++k) {
        if (k == dir.size() || dir[k] == '/') {
            std::string part = dir.substr(0, k);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                *error = errno;
                return false;
            }
        }
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = ENOTDIR;
        return false;
    }
    return true;
}

bool WriteWhole(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return fsync(fd) == 0;
}

// Writes the hive's file in one step: a temporary file beside it, renamed over it.
std::uint32_t Persist(HiveState& hive) {
    std::string path = HivePath(hive);
    int error = 0;
    if (!MakeDirectories(State().directory, &error))
        return ErrorFromErrno(error);
    std::string temp = path + ".tmp-" + std::to_string(getpid());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return ErrorFromErrno(errno);
    bool written = WriteWhole(fd, regfile::WriteHiveText(hive.rootName, hive.keys));
    error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written || std::rename(temp.c_str(), path.c_str()) != 0) {
        if (written)
            error = errno;
        unlink(temp.c_str());
        return ErrorFromErrno(error);
    }
    hive.stamp = StampOf(path);
    return ERROR_SUCCESS;
}

// Applies a change to the hive and writes it; on failure the hive is put back as it was.
template <typename Change>
std::uint32_t Modify(HiveState& hive, Change change) {
    if (hive.readOnly)
        return ERROR_ACCESS_DENIED;
    regfile::KeyMap before = hive.keys;
    std::uint32_t result = change();
    if (result != ERROR_SUCCESS)
        return result;
    result = Persist(hive);
    if (result != ERROR_SUCCESS)
        hive.keys = std::move(before);
    return result;
}

bool ValidName(const char* name) {
    for (const char* p = name; *p != '\0'; ++p) {
        if (static_cast<unsigned char>(*p) < 0x20)
            return false;
    }
    return true;
}

// Joins base and the components of subKey, dropping empty ones. False for a name that cannot
// be a key's.
bool JoinKeyPath(const std::string& base, const char* subKey, std::string* path) {
    *path = base;
    if (subKey == nullptr)
        return true;
    if (!ValidName(subKey))
        return false;
    std::string_view rest(subKey);
    while (!rest.empty()) {
        std::size_t cut = rest.find('\\');
        std::string_view part = rest.substr(0, cut);
        if (!part.empty()) {
            if (!path->empty())
                *path += '\\';
            *path += part;
        }
        if (cut == std::string_view::npos)
            break;
        rest.remove_prefix(cut + 1);
    }
    return true;
}

// The hive and key path of a handle, with the hive brought up to date.
const OpenKey* Resolve(HKEY key, OpenKey* scratch) {
    UseCurrentDirectory();
    RegistryState& s = State();
    const OpenKey* open = nullptr;
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
        scratch->hive = key == HKEY_CURRENT_USER ? &s.user : &s.machine;
        scratch->path.clear();
        open = scratch;
    } else {
        auto it = s.open.find(key);
        if (it == s.open.end())
            return nullptr;
        open = &it->second;
    }
    Refresh(*open->hive);
    return open;
}

regfile::Key* FindKey(HiveState& hive, const std::string& path) {
    auto it = hive.keys.find(regfile::FoldName(path));
    return it == hive.keys.end() ? nullptr : &it->second;
}

HKEY NewHandle(HiveState* hive, const std::string& path) {
    RegistryState& s = State();
    HKEY handle = s.nextHandle++;
    s.open[handle] = OpenKey{hive, path};
    return handle;
}

const char* ValueName(const char* name) {
    return name == nullptr ? "" : name;
}

}  // namespace

std::uint32_t RegCreateKeyEx(HKEY key, const char* subKey, HKEY* result,
                             std::uint32_t* disposition) {
    OpenKey scratch;
    const OpenKey* parent = Resolve(key, &scratch);
    if (parent == nullptr)
        return ERROR_INVALID_HANDLE;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    if (!JoinKeyPath(parent->path, subKey, &path))
        return ERROR_INVALID_PARAMETER;
    HiveState* hive = parent->hive;
    std::uint32_t how = REG_OPENED_EXISTING_KEY;
    if (FindKey(*hive, path) == nullptr) {
        std::uint32_t made = Modify(*hive, [&] {
            regfile::AddKey(hive->keys, path);
            return ERROR_SUCCESS;
        });
        if (made != ERROR_SUCCESS)
            return made;
        how = REG_CREATED_NEW_KEY;
    }
    *result = NewHandle(hive, path);
    if (disposition != nullptr)
        *disposition = how;
    return ERROR_SUCCESS;
}

std::uint32_t RegOpenKeyEx(HKEY key, const char* subKey, HKEY* result) {
    OpenKey scratch;
    const OpenKey* parent = Resolve(key, &scratch);
    if (parent == nullptr)
        return ERROR_INVALID_HANDLE;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::string path;
    if (!JoinKeyPath(parent->path, subKey, &path))
        return ERROR_FILE_NOT_FOUND;
    if (FindKey(*parent->hive, path) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(parent->hive, path);
    return ERROR_SUCCESS;
}

std::uint32_t RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    return State().open.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::uint32_t RegQueryValueEx(HKEY key, const char* name, std::uint32_t* type, void* data,
                              std::uint32_t* size) {
    OpenKey scratch;
    const OpenKey* open = Resolve(key, &scratch);
    if (open == nullptr)
        return ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    regfile::Key* found = FindKey(*open->hive, open->path);
    regfile::Value* value = found ? regfile::FindValue(*found, ValueName(name)) : nullptr;
    if (value == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if (type != nullptr)
        *type = value->type;
    auto length = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr && *size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && length > 0)
        std::memcpy(data, value->data.data(), length);
    if (size != nullptr)
        *size = length;
    return ERROR_SUCCESS;
}

std::uint32_t RegSetValueEx(HKEY key, const char* name, std::uint32_t type, const void* data,
                            std::uint32_t size) {
    OpenKey scratch;
    const OpenKey* open = Resolve(key, &scratch);
    if (open == nullptr)
        return ERROR_INVALID_HANDLE;
    if ((data == nullptr && size > 0) || !ValidName(ValueName(name)))
        return ERROR_INVALID_PARAMETER;
    HiveState& hive = *open->hive;
    const std::string& path = open->path;
    return Modify(hive, [&] {
        // The key may have gone from the file meanwhile; setting a value brings it back.
        regfile::Key& target = regfile::AddKey(hive.keys, path);
        const auto* bytes = static_cast<const unsigned char*>(data);
        std::vector<unsigned char> stored(bytes, bytes + size);
        if (regfile::Value* existing = regfile::FindValue(target, ValueName(name))) {
            existing->type = type;
            existing->data = std::move(stored);
        } else {
            target.values.push_back(regfile::Value{ValueName(name), type, std::move(stored)});
        }
        return ERROR_SUCCESS;
    });
}

std::uint32_t RegDeleteValue(HKEY key, const char* name) {
    OpenKey scratch;
    const OpenKey* open = Resolve(key, &scratch);
    if (open == nullptr)
        return ERROR_INVALID_HANDLE;
    regfile::Key* found = FindKey(*open->hive, open->path);
    if (found == nullptr || regfile::FindValue(*found, ValueName(name)) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    HiveState& hive = *open->hive;
    const std::string& path = open->path;
    return Modify(hive, [&] {
        regfile::Key& target = *FindKey(hive, path);
        std::string folded = regfile::FoldName(ValueName(name));
        std::erase_if(target.values,
                      [&](const regfile::Value& v) { return regfile::FoldName(v.name) == folded; });
        return ERROR_SUCCESS;
    });
}

void SetRegistryDirectory(const std::string& directory) {
    State().overrideDirectory = directory;
    UseCurrentDirectory();
}

std::string RegistryDirectory() {
    UseCurrentDirectory();
    return State().directory;
}

void ResetRegistry() {
    State().user.Forget();
    State().machine.Forget();
    State().problems.clear();
}

std::vector<RegistryProblem> TakeRegistryProblems() {
    std::vector<RegistryProblem> taken;
    taken.swap(State().problems);
    return taken;
}

}  // namespace win
