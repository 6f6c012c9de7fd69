#pragma once
// Name rules of the simulated NetWare volumes: case folding, which Linux file names can be
// NetWare names, DOS 8.3 names and their aliases, wildcard matching, and DOS packed times.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// ASCII upper case (NetWare folds only the ASCII letters for name comparison).
std::string Upper(std::string text);
bool SameName(std::string_view a, std::string_view b);

// A Linux file name that can stand for a NetWare entry: 1 to 255 characters, no backslash,
// no control character, not "." or "..".
bool IsNetWareName(const std::string& name);

// True when text holds a control character: C0, DEL, or a C1 control as UTF-8 encodes it.
bool HasControlCharacter(const std::string& text);

// A bindery object name (a user, a server, a tree): 1 to 47 bytes (the 48-byte name buffers
// hold it whole), no control character, no blank, none of / \ : ; , * ? (NetWare keeps them
// out of object names: they separate paths and lists, or are wildcards of the bindery scan).
bool IsBinderyName(const std::string& name);

// A valid DOS 8.3 name in any case (base of 1-8 characters, optional extension of 1-3).
bool IsDosName(const std::string& name);
// A valid DOS name that is also all upper case, as a DOS-only volume holds them.
bool IsUpperDosName(const std::string& name);

// The two halves of an alias "BASE~N.EXT": the cleaned base (at most 6 characters) and the
// extension (at most 3), both upper case, from a long name.
void AliasParts(const std::string& longName, std::string* base, std::string* ext);
std::string AliasCandidate(const std::string& base, const std::string& ext, unsigned n);

// Wildcard match ignoring case: '*' any run of characters, '?' one character. DOS style "*.*"
// matches every name, with or without a dot. Costs at most pattern length times text length
// steps, whatever the pattern.
bool WildcardMatch(const std::string& pattern, const std::string& text);
bool HasWildcard(const std::string& text);

// Calls take with each name of path, split on '\' (and '/' when alsoSlash), empty names
// dropped. The names are views into path: nothing is copied.
template <class Take>
void ForEachName(std::string_view path, bool alsoSlash, Take&& take) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\' && !(alsoSlash && path[i] == '/'))
            continue;
        if (i > start)
            take(path.substr(start, i - start));
        start = i + 1;
    }
}

// The separators in path: no name list made from it holds more names than this plus one.
inline std::size_t SeparatorCount(std::string_view path, bool alsoSlash) {
    std::size_t count = 0;
    for (char c : path)
        count += c == '\\' || (alsoSlash && c == '/');
    return count;
}

// Splits on '\' (and '/' when alsoSlash), dropping empty parts.
std::vector<std::string> SplitPath(std::string_view path, bool alsoSlash);
std::string JoinPath(const std::vector<std::string>& parts, char separator);

// DOS packed date and time of a local time, and back (seconds in two-second steps).
void PackDosTime(std::time_t t, std::uint16_t* date, std::uint16_t* time);
// -1 when the date and time are not a valid calendar time.
std::time_t UnpackDosTime(std::uint16_t date, std::uint16_t time);

// Copies text into a fixed buffer of size bytes, always terminated.
void CopyOut(char* out, std::size_t size, const std::string& text);

}  // namespace sim
