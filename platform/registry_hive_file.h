#pragma once
// The registry hive's contents and their REGEDIT4 text form.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Ostrand\Farcast]
//   "CreateLogfile"=dword:00000001
//   "LogFileName"="C:\\LOGS\\FARCAST.LOG"
//   "TargetPath"=hex(7):5c,53,59,53,00,00
//   "Odd"=hex(1):61,00,62,00
//
// A DWORD of exactly four bytes is written "dword:"; a REG_SZ that is a plain text (one
// terminating NUL, no other NUL, no control character) as a quoted string with \\ and \"
// escapes; every other value as hex bytes, "hex:" for REG_BINARY and "hex(N):" for type N, so
// that every value comes back with its type and exact bytes. Long hex values continue on the
// next line after a trailing backslash. "@" names a key's default value.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace win::regfile {

struct Value {
    std::string name;  // as given (names compare ignoring ASCII case)
    std::uint32_t type = 0;
    std::vector<unsigned char> data;
};

struct Key {
    std::string path;           // below the root, components joined by '\'; "" is the root itself
    std::vector<Value> values;  // in the order they were first set
};

// Keys by their folded path (see FoldName); a key's parents are always present too.
using KeyMap = std::map<std::string, Key>;

// Registry names compare ignoring ASCII letter case.
std::string FoldName(std::string_view name);

// Adds the key and any missing parents; returns the key.
// As in the registry it stands in for, a key lies at most 512 levels deep: a hive with a deeper
// one is damaged (and reading it costs nothing unbounded).
constexpr std::size_t kMaxKeyDepth = 512;
std::size_t KeyDepth(const std::string& path);
Key& AddKey(KeyMap& keys, const std::string& path);
Value* FindValue(Key& key, std::string_view name);

std::string WriteHiveText(const std::string& rootName, const KeyMap& keys);
// Reads a hive file's text; keys must lie under rootName. False with the number of the first
// line (from 1) that cannot be read; keys is then unspecified.
bool ReadHiveText(const std::string& text, const std::string& rootName, KeyMap* keys, int* badLine);

}  // namespace win::regfile
