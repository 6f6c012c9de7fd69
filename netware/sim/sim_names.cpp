#include "netware/sim/sim_names.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace sim {

namespace {

char UpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string Upper(std::string text) {
    for (char& c : text)
        c = UpperChar(c);
    return text;
}

// Compared in place: every call compares server, volume and entry names, and copies of them
// cost more than the comparison.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return UpperChar(x) == UpperChar(y);
           });
}

bool IsNetWareName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '\\' || c == '/')
            return false;
    }
    return true;
}

bool HasControlCharacter(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return true;
        // U+0080 to U+009F are the bytes C2 80 to C2 9F.
        if (c == 0xC2 && i + 1 < text.size()) {
            const unsigned char next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F)
                return true;
        }
    }
    return false;
}

bool IsBinderyName(const std::string& name) {
    if (name.empty() || name.size() > 47 || HasControlCharacter(name))
        return false;
    return name.find_first_of(" /\\:;,*?") == std::string::npos;
}

namespace {

bool IsDosChar(unsigned char c) {
    if (c < 0x20 || c == 0x7F)
        return false;
    return std::strchr(" .\"*+,/:;<=>?[\\]|", c) == nullptr;
}

}  // namespace

bool IsDosName(const std::string& name) {
    if (name.empty() || name.size() > 12)
        return false;
    std::size_t dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3)
        return false;
    if (dot != std::string::npos && ext.empty())
        return false;
    for (unsigned char c : base + ext) {
        if (!IsDosChar(c))
            return false;
    }
    return true;
}

bool IsUpperDosName(const std::string& name) {
    return IsDosName(name) && Upper(name) == name;
}

void AliasParts(const std::string& longName, std::string* base, std::string* ext) {
    std::string name = longName;
    // Leading dots and spaces are dropped; the extension follows the last dot.
    std::size_t first = name.find_first_not_of(". ");
    name = first == std::string::npos ? "" : name.substr(first);
    std::size_t dot = name.rfind('.');
    std::string b = dot == std::string::npos ? name : name.substr(0, dot);
    std::string e = dot == std::string::npos ? "" : name.substr(dot + 1);
    auto clean = [](const std::string& in, std::size_t max) {
        std::string out;
        for (unsigned char c : in) {
            if (out.size() >= max)
                break;
            if (c == ' ' || c == '.')
                continue;
            out += IsDosChar(c) && c < 0x80 ? static_cast<char>(c) : '_';
        }
        return Upper(out);
    };
    *base = clean(b, 6);
    *ext = clean(e, 3);
    if (base->empty())
        *base = "_";
}

std::string AliasCandidate(const std::string& base, const std::string& ext, unsigned n) {
    std::string tail = "~" + std::to_string(n);
    std::string b = base.substr(0, 8 - tail.size());
    std::string out = b + tail;
    if (!ext.empty())
        out += "." + ext;
    return out;
}

namespace {

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

// The greedy star algorithm: characters are matched left to right; at a star the match first
// assumes it covers nothing and remembers where it stood. On a mismatch only the latest star
// is widened by one character and the match resumes behind it; an earlier star never needs
// widening, because the latest one can take up whatever it would have. No recursion: between
// two widenings the pattern only moves forward, and the mark moves at most the name's length,
// so a hostile pattern (twenty stars against a long name) costs at most pattern times name
// steps, never the exponential time of trying every split.
bool WildcardMatch(const std::string& pattern, const std::string& text) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    const std::size_t none = std::string::npos;
    std::size_t p = 0, t = 0;
    std::size_t star = none;  // pattern index of the latest star
    std::size_t mark = 0;     // where in text that star's run ends so far
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(text[t]))) {
            ++p;
            ++t;
        } else if (star != none) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool HasWildcard(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

std::vector<std::string> SplitPath(std::string_view path, bool alsoSlash) {
    std::vector<std::string> parts;
    parts.reserve(SeparatorCount(path, alsoSlash) + 1);
    ForEachName(path, alsoSlash, [&](std::string_view name) { parts.emplace_back(name); });
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts, char separator) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            out += separator;
        out += parts[i];
    }
    return out;
}

namespace {

// The time zone as TZ names it now. localtime_r loads the zone once; a TZ changed since is
// taken up here, while the zone file is not looked at again on every call (mktime would).
void KeepZoneCurrent() {
    static bool loaded = false;
    static std::string seen;
    const char* tz = std::getenv("TZ");
    const std::string now = tz ? std::string("=") + tz : std::string();
    if (loaded && now == seen)
        return;
    tzset();
    loaded = true;
    seen = now;
}

// Local date and time fields (normalised in *tm, as mktime does) to seconds since the epoch;
// -1 when they cannot be told. A time the clocks skip or pass twice gets one of its readings.
std::time_t LocalToEpoch(std::tm* tm) {
    KeepZoneCurrent();
    const std::time_t asUtc = timegm(tm);
    if (asUtc == -1)
        return -1;
    // The local offset at the time found, until it holds for the time itself.
    std::time_t t = asUtc;
    for (int tries = 0; tries < 3; ++tries) {
        std::tm local{};
        if (!localtime_r(&t, &local))
            return -1;
        const std::time_t next = asUtc - local.tm_gmtoff;
        if (next == t)
            break;
        t = next;
    }
    return t;
}

}  // namespace

void PackDosTime(std::time_t t, std::uint16_t* date, std::uint16_t* time) {
    KeepZoneCurrent();
    std::tm tm{};
    localtime_r(&t, &tm);
    int year = tm.tm_year + 1900 - 1980;
    if (year < 0) {
        *date = (1 << 5) | 1;  // 1980-01-01, the earliest DOS date
        *time = 0;
        return;
    }
    if (year > 127)
        year = 127;
    *date = static_cast<std::uint16_t>((year << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    *time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

std::time_t UnpackDosTime(std::uint16_t date, std::uint16_t time) {
    std::tm tm{};
    tm.tm_year = (date >> 9) + 1980 - 1900;
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_mday = date & 0x1F;
    tm.tm_hour = time >> 11;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_sec = (time & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 59)
        return -1;
    std::tm check = tm;
    std::time_t t = LocalToEpoch(&check);
    if (t == -1 || check.tm_mday != tm.tm_mday)
        return -1;  // e.g. February 30th
    return t;
}

void CopyOut(char* out, std::size_t size, const std::string& text) {
    if (!out || size == 0)
        return;
    std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace sim
