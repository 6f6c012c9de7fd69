// The settings key "Software\Ostrand\Farcast" of the current user: the options are read once
// at start-up and written once at exit; nothing else touches the key. Every failure here is
// silent: an unreadable value takes its default, an unwritable key keeps what it had.

#include "settings/settings_store.h"

#include <unistd.h>

#include <cstring>

#include "platform/registry.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "settings/option_values.h"
#include "util/characters.h"
#include "util/string_table.h"

namespace {

constexpr std::uint32_t kTextReadSize = 260;  // 259 characters and a terminator

// Creates or opens the settings key; false when neither is possible.
bool OpenSettingsKey(win::ScopedKey& key, std::uint32_t* disposition = nullptr,
                     std::uint32_t* result = nullptr) {
    std::uint32_t code = win::RegCreateKeyEx(
        win::HKEY_CURRENT_USER, LoadResString(IDS_REG_SETTINGS_KEY), key.Receive(), disposition);
    if (result != nullptr)
        *result = code;
    return code == win::ERROR_SUCCESS;
}

// A DWORD value read into four bytes that start at 0: an absent value, or one longer than
// four bytes, reads as 0.
std::uint32_t ReadDword(win::HKEY key, unsigned nameId) {
    unsigned char bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    win::RegQueryValueEx(key, LoadResString(nameId), nullptr, bytes, &size);
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void WriteDword(win::HKEY key, unsigned nameId, std::uint32_t value) {
    unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    win::RegSetValueEx(key, LoadResString(nameId), win::REG_DWORD, bytes, sizeof bytes);
}

void WriteText(win::HKEY key, const char* name, const std::string& text) {
    win::RegSetValueEx(key, name, win::REG_SZ, text.c_str(),
                       static_cast<std::uint32_t>(text.size() + 1));
}

// A text value read into 260 bytes; false when it is absent or longer than 259 characters.
bool ReadText(win::HKEY key, const char* name, std::string* text) {
    // Room for 259 characters of any width; the limit counts characters, not bytes.
    char buffer[win::kPathBufferSize];
    std::uint32_t size = sizeof buffer;
    if (win::RegQueryValueEx(key, name, nullptr, buffer, &size) != win::ERROR_SUCCESS)
        return false;
    const void* nul = std::memchr(buffer, '\0', size);
    std::size_t length = nul ? static_cast<const char*>(nul) - buffer : size;
    const std::string value(buffer, length);
    if (length >= sizeof buffer || CharacterCount(value) >= kTextReadSize)
        return false;
    *text = value;
    return true;
}

// "TargetPath", read into 3,900 bytes. A larger value (only a hand edit makes one) is read
// whole and loads like any other: its first 15 usable entries are kept.
void ReadTargetPath(win::HKEY key) {
    const std::string nameText = LoadResString(IDS_REG_TARGET_PATH);
    const char* name = nameText.c_str();
    std::vector<char> buffer(kTargetPathReadSize);
    std::uint32_t size = kTargetPathReadSize;
    std::uint32_t result = win::RegQueryValueEx(key, name, nullptr, buffer.data(), &size);
    if (result == win::ERROR_MORE_DATA) {
        buffer.resize(size);
        result = win::RegQueryValueEx(key, name, nullptr, buffer.data(), &size);
    }
    if (result == win::ERROR_SUCCESS)
        ParseTargetPathValue(buffer.data(), size);
}

// Window coordinates and sizes travel as 16-bit numbers in the window system (X11 keeps a
// window's position signed and its size unsigned in 16 bits), so a stored value outside them
// (a hand edit, another program's write) cannot describe a window: it takes the default, as 0
// does. A DWORD stores a negative edge (a window left of or above the primary screen) as its
// two's complement.
constexpr std::int64_t kMaxWindowCoordinate = 32767;

int PositionOrDefault(std::uint32_t stored, int fallback) {
    const std::int64_t value = static_cast<std::int32_t>(stored);
    if (value == 0 || value < -kMaxWindowCoordinate - 1 || value > kMaxWindowCoordinate)
        return fallback;
    return static_cast<int>(value);
}

int SizeOrDefault(std::uint32_t stored, int fallback) {
    if (stored == 0 || stored > kMaxWindowCoordinate)
        return fallback;
    return static_cast<int>(stored);
}

// The directory of the running program, without a trailing slash; false when the program's
// path cannot be had or is longer than 259 characters.
bool ExecutableDirectory(std::string* directory) {
    char path[kTextReadSize];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return false;
    std::string full(path, static_cast<std::size_t>(length));
    std::size_t slash = full.rfind('/');
    if (slash == std::string::npos)
        return false;
    *directory = slash == 0 ? "/" : full.substr(0, slash);
    return true;
}

}  // namespace

bool OpenSettingsKeyAtStartup(WindowPlacement* placement, std::uint32_t* errorCode) {
    win::ScopedKey key;
    std::uint32_t disposition = 0;
    std::uint32_t result = 0;
    if (!OpenSettingsKey(key, &disposition, &result)) {
        if (errorCode != nullptr)
            *errorCode = result;
        return false;
    }
    if (disposition == win::REG_CREATED_NEW_KEY)
        WriteText(key.Get(), LoadResString(IDS_REG_LOG_FILE_NAME), "");
    WindowPlacement defaults;
    placement->left = PositionOrDefault(ReadDword(key.Get(), IDS_REG_LEFT), defaults.left);
    placement->top = PositionOrDefault(ReadDword(key.Get(), IDS_REG_TOP), defaults.top);
    placement->width = SizeOrDefault(ReadDword(key.Get(), IDS_REG_WIDTH), defaults.width);
    placement->height = SizeOrDefault(ReadDword(key.Get(), IDS_REG_HEIGHT), defaults.height);
    return true;
}

// Opens the key without creating it: start-up has created it already, and a program that only
// reads the settings (farcast-run) then never writes the hive. Without a key nothing is read,
// as when it cannot be opened, and the options keep their defaults.
void LoadOptions() {
    RecordHelpFileLocation();
    win::ScopedKey key;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, LoadResString(IDS_REG_SETTINGS_KEY),
                          key.Receive()) != win::ERROR_SUCCESS)
        return;
    win::HKEY k = key.Get();
    CopyOptionsRecord& o = CopyOptions;
    // Flags keep the stored value itself: any non-zero value is on, and SaveOptions writes
    // back exactly what was read unless the options sheet changed it.
    o.CreateLogfile = ReadDword(k, IDS_REG_CREATE_LOGFILE);
    o.LogFileName.clear();
    ReadText(k, LoadResString(IDS_REG_LOG_FILE_NAME), &o.LogFileName);
    // The stored history replaces whatever the list held.
    TargetPathHistory.clear();
    ReadTargetPath(k);
    o.TrackDirectory = ReadDword(k, IDS_REG_TRACK_DIRECTORY);
    o.VerboseLogging = ReadDword(k, IDS_REG_VERBOSE_LOGGING);
    o.UnattendedMode = ReadDword(k, IDS_REG_UNATTENDED_MODE);
    o.Netware4xServers = ReadDword(k, IDS_REG_NETWARE4X_SERVERS);
    o.LogoutTargetFileUser = ReadDword(k, IDS_REG_LOGOUT_TARGET_FILE_USER);
    o.NeverOverwrite = ReadDword(k, IDS_REG_NEVER_OVERWRITE);
    o.OverwriteOlder = ReadDword(k, IDS_REG_OVERWRITE_OLDER);
    o.PromptOnOverwrite = ReadDword(k, IDS_REG_PROMPT_ON_OVERWRITE);
    o.SyncDirs = ReadDword(k, IDS_REG_SYNC_DIRS);
    o.CopySubDirs = ReadDword(k, IDS_REG_COPY_SUB_DIRS);
    o.OnlyCopyExistingFiles = ReadDword(k, IDS_REG_ONLY_COPY_EXISTING_FILES);
    o.PromptOnDeletion = ReadDword(k, IDS_REG_PROMPT_ON_DELETION);
    o.CopyAttributes = ReadDword(k, IDS_REG_COPY_ATTRIBUTES);
    o.CopyInheritedRightsMask = ReadDword(k, IDS_REG_COPY_INHERITED_RIGHTS_MASK);
    o.CopyTrustees = ReadDword(k, IDS_REG_COPY_TRUSTEES);
    o.CopyCompressed = ReadDword(k, IDS_REG_COPY_COMPRESSED);
    AlreadyRun = ReadDword(k, IDS_REG_ALREADY_RUN);
    o.BufferSize = BufferSizeOrDefault(ReadDword(k, IDS_REG_BUFFER_SIZE));
}

void SaveOptions() {
    win::ScopedKey key;
    if (!OpenSettingsKey(key))
        return;
    win::HKEY k = key.Get();
    const CopyOptionsRecord& o = CopyOptions;
    WriteDword(k, IDS_REG_CREATE_LOGFILE, o.CreateLogfile);
    WriteText(k, LoadResString(IDS_REG_LOG_FILE_NAME), o.LogFileName);
    std::string history = BuildTargetPathValue();
    win::RegSetValueEx(k, LoadResString(IDS_REG_TARGET_PATH), win::REG_MULTI_SZ, history.data(),
                       static_cast<std::uint32_t>(history.size()));
    WriteDword(k, IDS_REG_TRACK_DIRECTORY, o.TrackDirectory);
    WriteDword(k, IDS_REG_VERBOSE_LOGGING, o.VerboseLogging);
    WriteDword(k, IDS_REG_UNATTENDED_MODE, o.UnattendedMode);
    WriteDword(k, IDS_REG_NETWARE4X_SERVERS, o.Netware4xServers);
    WriteDword(k, IDS_REG_LOGOUT_TARGET_FILE_USER, o.LogoutTargetFileUser);
    WriteDword(k, IDS_REG_NEVER_OVERWRITE, o.NeverOverwrite);
    WriteDword(k, IDS_REG_OVERWRITE_OLDER, o.OverwriteOlder);
    WriteDword(k, IDS_REG_PROMPT_ON_OVERWRITE, o.PromptOnOverwrite);
    WriteDword(k, IDS_REG_SYNC_DIRS, o.SyncDirs);
    WriteDword(k, IDS_REG_COPY_SUB_DIRS, o.CopySubDirs);
    WriteDword(k, IDS_REG_ONLY_COPY_EXISTING_FILES, o.OnlyCopyExistingFiles);
    WriteDword(k, IDS_REG_PROMPT_ON_DELETION, o.PromptOnDeletion);
    WriteDword(k, IDS_REG_COPY_ATTRIBUTES, o.CopyAttributes);
    WriteDword(k, IDS_REG_COPY_INHERITED_RIGHTS_MASK, o.CopyInheritedRightsMask);
    WriteDword(k, IDS_REG_COPY_TRUSTEES, o.CopyTrustees);
    WriteDword(k, IDS_REG_COPY_COMPRESSED, o.CopyCompressed);
    WriteDword(k, IDS_REG_ALREADY_RUN, 1);
    WriteDword(k, IDS_REG_BUFFER_SIZE, BufferSizeOrDefault(o.BufferSize));
}

void SaveWindowPlacement(const WindowPlacement& placement, bool minimized) {
    // A minimised window's rectangle is no place to open at; the last one stays stored.
    if (minimized)
        return;
    win::ScopedKey key;
    if (!OpenSettingsKey(key))
        return;
    WriteDword(key.Get(), IDS_REG_TOP, static_cast<std::uint32_t>(placement.top));
    WriteDword(key.Get(), IDS_REG_LEFT, static_cast<std::uint32_t>(placement.left));
    WriteDword(key.Get(), IDS_REG_WIDTH, static_cast<std::uint32_t>(placement.width));
    WriteDword(key.Get(), IDS_REG_HEIGHT, static_cast<std::uint32_t>(placement.height));
}

// Records where the help files are: "FARCAST.HLP" under the machine's help key names the
// program's directory. An existing value is never changed. The help key is opened, not
// created, on a system that has one; a fresh machine hive has no such key, so it is created
// there, or the program could never find its help.
void RecordHelpFileLocation() {
    win::ScopedKey key;
    const std::string helpKey = LoadResString(IDS_REG_HELP_KEY);
    std::uint32_t opened =
        win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, helpKey.c_str(), key.Receive());
    if (opened == win::ERROR_FILE_NOT_FOUND)
        opened =
            win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, helpKey.c_str(), key.Receive(), nullptr);
    if (opened != win::ERROR_SUCCESS)
        return;
    const std::string name = LoadResString(IDS_REG_HELP_FILE_VALUE);
    char existing[kTextReadSize];
    std::uint32_t size = sizeof existing;
    std::uint32_t query = win::RegQueryValueEx(key.Get(), name.c_str(), nullptr, existing, &size);
    // A value too long for the buffer exists all the same and stays as it is.
    if (query == win::ERROR_SUCCESS || query == win::ERROR_MORE_DATA)
        return;
    std::string directory;
    if (!ExecutableDirectory(&directory))
        return;
    WriteText(key.Get(), name.c_str(), directory);
}

std::string HelpFileDirectory() {
    win::ScopedKey key;
    if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, LoadResString(IDS_REG_HELP_KEY),
                          key.Receive()) != win::ERROR_SUCCESS)
        return {};
    std::string directory;
    ReadText(key.Get(), LoadResString(IDS_REG_HELP_FILE_VALUE), &directory);
    return directory;
}
