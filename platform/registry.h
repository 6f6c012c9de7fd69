#pragma once
// The registry, as the program uses it: two hives of typed values under keys, with the Win32
// calls' names, arguments and result codes.
//
// HKEY_CURRENT_USER lives in <dir>/user.reg and HKEY_LOCAL_MACHINE in <dir>/machine.reg, where
// <dir> is $XDG_CONFIG_HOME/farcast (default ~/.config/farcast). The files are REGEDIT4 text;
// a value keeps its type and its exact bytes. Every change is written at once, atomically
// (temporary file, then rename): a call that changes a hive succeeds only when the file was
// written, and leaves the hive as it was otherwise.
//
// A hive file that cannot be read is reported once on standard error and moved aside
// (user.reg.damaged-<time>); the hive then starts empty. When it cannot be moved aside the hive
// is read-only for the rest of the process, so that the damaged file is never replaced by an
// emptier one. The desktop program also says it in its window (TakeRegistryProblems).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_services.h"

namespace win {

using HKEY = std::uintptr_t;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

// Value types.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_MULTI_SZ = 7;

// RegCreateKeyEx dispositions.
constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

// Result codes besides those of file_services.h (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER,
// ERROR_DISK_FULL, ERROR_MORE_DATA).

// Creates the key subKey below key (with any missing keys between), or opens it when it
// exists. disposition (optional) receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
std::uint32_t RegCreateKeyEx(HKEY key, const char* subKey, HKEY* result,
                             std::uint32_t* disposition);
// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist.
std::uint32_t RegOpenKeyEx(HKEY key, const char* subKey, HKEY* result);
std::uint32_t RegCloseKey(HKEY key);

// Reads a value (name null or "" is the key's default value). type (optional) receives its
// type. With data null, *size receives the value's size. Otherwise *size is the buffer's size
// on entry and the value's size on return; a buffer too small gives ERROR_MORE_DATA and
// writes nothing into data.
std::uint32_t RegQueryValueEx(HKEY key, const char* name, std::uint32_t* type, void* data,
                              std::uint32_t* size);
// Stores size bytes of data as a value of that type.
std::uint32_t RegSetValueEx(HKEY key, const char* name, std::uint32_t type, const void* data,
                            std::uint32_t size);
// Removes a value; ERROR_FILE_NOT_FOUND when there is none.
std::uint32_t RegDeleteValue(HKEY key, const char* name);

// The directory the hive files are kept in. An empty path (the default) means
// $XDG_CONFIG_HOME/farcast, or ~/.config/farcast, looked up afresh at every key opening.
// Setting it forgets what was read from the previous directory. Tests point it at a
// temporary directory.
void SetRegistryDirectory(const std::string& directory);
std::string RegistryDirectory();
// Forgets everything read from the hive files, as if the process had just started: the next
// key opening reads them again. Open key handles stay valid.
void ResetRegistry();

// A hive file the registry could not use, as it was reported on standard error.
struct RegistryProblem {
    std::string path;       // the hive file
    int line = 0;           // the first line that cannot be read; 0 when the file cannot be opened
    std::string keptAs;     // where the damaged file was moved; empty when it was left in place
    bool readOnly = false;  // the hive keeps nothing this process changes
};
// The problems reported since the last call (or since ResetRegistry), oldest first; taking
// them forgets them.
std::vector<RegistryProblem> TakeRegistryProblems();

// Closes a registry key when it goes out of scope.
class ScopedKey {
  public:
    ScopedKey() = default;
    explicit ScopedKey(HKEY key) : key_(key) {}
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    ~ScopedKey() { Close(); }

    HKEY Get() const { return key_; }
    HKEY* Receive() {
        Close();
        return &key_;
    }
    void Close() {
        if (key_ != 0)
            RegCloseKey(key_);
        key_ = 0;
    }

  private:
    HKEY key_ = 0;
};

}  // namespace win
