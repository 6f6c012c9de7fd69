#include "platform/registry_hive_file.h"

#include <algorithm>

#include <cstdio>

namespace win::regfile {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::size_t kHexBytesPerLine = 25;

bool IsPlainText(const std::vector<unsigned char>& data) {
    if (data.empty() || data.back() != 0)
        return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        unsigned char c = data[i];
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHex(std::string& out, std::uint32_t type, const std::vector<unsigned char>& data) {
    char buffer[16];
    if (type == kRegBinary) {
        out += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", type);
        out += buffer;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out += ',';
            if (i % kHexBytesPerLine == 0)
                out += "\\\n  ";
        }
        std::snprintf(buffer, sizeof buffer, "%02x", data[i]);
        out += buffer;
    }
}

void AppendValue(std::string& out, const Value& value) {
    if (value.name.empty())
        out += '@';
    else
        AppendQuoted(out, value.name);
    out += '=';
    if (value.type == kRegDword && value.data.size() == 4) {
        std::uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                          (static_cast<std::uint32_t>(value.data[3]) << 24);
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", v);
        out += buffer;
    } else if (value.type == kRegSz && IsPlainText(value.data)) {
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                           value.data.size() - 1));
    } else {
        AppendHex(out, value.type, value.data);
    }
    out += '\n';
}

// ---- reading ----

void SkipSpaces(std::string_view s, std::size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
}

// A quoted string starting at s[i] == '"'; i ends past the closing quote.
bool ReadQuoted(std::string_view s, std::size_t& i, std::string* text) {
    if (i >= s.size() || s[i] != '"')
        return false;
    ++i;
    text->clear();
    while (i < s.size()) {
        char c = s[i++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (i >= s.size() || (s[i] != '\\' && s[i] != '"'))
                return false;
            c = s[i++];
        }
        *text += c;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads 1 to maxDigits hex digits at s[i].
bool ReadHexNumber(std::string_view s, std::size_t& i, std::size_t maxDigits,
                   std::uint32_t* value) {
    std::size_t start = i;
    std::uint32_t v = 0;
    while (i < s.size() && HexDigit(s[i]) >= 0 && i - start < maxDigits)
        v = v * 16 + HexDigit(s[i++]);
    *value = v;
    return i > start && (i >= s.size() || HexDigit(s[i]) < 0);
}

bool ReadHexBytes(std::string_view s, std::size_t& i, std::vector<unsigned char>* data) {
    data->clear();
    SkipSpaces(s, i);
    if (i >= s.size())
        return true;
    while (true) {
        SkipSpaces(s, i);
        std::uint32_t byte = 0;
        if (!ReadHexNumber(s, i, 2, &byte))
            return false;
        data->push_back(static_cast<unsigned char>(byte));
        SkipSpaces(s, i);
        if (i >= s.size())
            return true;
        if (s[i] != ',')
            return false;
        ++i;
    }
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && FoldName(s.substr(0, prefix.size())) == FoldName(prefix);
}

bool ReadData(std::string_view s, std::size_t& i, Value* value) {
    std::string_view rest = s.substr(i);
    if (!rest.empty() && rest[0] == '"') {
        std::string text;
        if (!ReadQuoted(s, i, &text))
            return false;
        value->type = kRegSz;
        value->data.assign(text.begin(), text.end());
        value->data.push_back(0);
        return true;
    }
    if (StartsWithFolded(rest, "dword:")) {
        i += 6;
        std::uint32_t v = 0;
        if (!ReadHexNumber(s, i, 8, &v))
            return false;
        value->type = kRegDword;
        value->data = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                       static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
        return true;
    }
    if (StartsWithFolded(rest, "hex:")) {
        i += 4;
        value->type = kRegBinary;
        return ReadHexBytes(s, i, &value->data);
    }
    if (StartsWithFolded(rest, "hex(")) {
        i += 4;
        std::uint32_t type = 0;
        if (!ReadHexNumber(s, i, 8, &type) || s.substr(i, 2) != "):")
            return false;
        i += 2;
        value->type = type;
        return ReadHexBytes(s, i, &value->data);
    }
    return false;
}

bool ReadValueLine(std::string_view line, Key* key) {
    std::size_t i = 0;
    Value value;
    if (line[0] == '@') {
        i = 1;
    } else if (!ReadQuoted(line, i, &value.name) || value.name.empty()) {
        return false;
    }
    SkipSpaces(line, i);
    if (i >= line.size() || line[i] != '=')
        return false;
    ++i;
    SkipSpaces(line, i);
    if (!ReadData(line, i, &value))
        return false;
    SkipSpaces(line, i);
    if (i != line.size())
        return false;
    if (Value* existing = FindValue(*key, value.name))
        *existing = std::move(value);
    else
        key->values.push_back(std::move(value));
    return true;
}

// "[ROOT\path]" -> path below the root.
bool ReadKeyLine(std::string_view line, const std::string& rootName, std::string* path) {
    if (line.size() < 2 || line.back() != ']')
        return false;
    std::string_view full = line.substr(1, line.size() - 2);
    if (!StartsWithFolded(full, rootName))
        return false;
    std::string_view rest = full.substr(rootName.size());
    if (rest.empty()) {
        path->clear();
        return true;
    }
    if (rest[0] != '\\' || rest.size() < 2)
        return false;
    rest.remove_prefix(1);
    // Every component must be a name: no empty component, no control character.
    std::size_t start = 0;
    for (std::size_t k = 0; k <= rest.size(); ++k) {
        if (k == rest.size() || rest[k] == '\\') {
            if (k == start)
                return false;
            start = k + 1;
        } else if (static_cast<unsigned char>(rest[k]) < 0x20) {
            return false;
        }
    }
    path->assign(rest);
    return true;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

}  // namespace

std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::size_t KeyDepth(const std::string& path) {
    return path.empty() ? 0
                        : 1 + static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

Key& AddKey(KeyMap& keys, const std::string& path) {
    for (std::size_t k = 0; k <= path.size(); ++k) {
        if (k == path.size() || path[k] == '\\') {
            std::string prefix = path.substr(0, k);
            auto [it, inserted] = keys.try_emplace(FoldName(prefix));
            if (inserted)
                it->second.path = prefix;
        }
    }
    return keys[FoldName(path)];
}

Value* FindValue(Key& key, std::string_view name) {
    std::string folded = FoldName(name);
    for (Value& value : key.values) {
        if (FoldName(value.name) == folded)
            return &value;
    }
    return nullptr;
}

std::string WriteHiveText(const std::string& rootName, const KeyMap& keys) {
    std::string out = "REGEDIT4\n";
    for (const auto& [folded, key] : keys) {
        // The root appears only when it holds values of its own.
        if (key.path.empty() && key.values.empty())
            continue;
        out += "\n[";
        out += rootName;
        if (!key.path.empty()) {
            out += '\\';
            out += key.path;
        }
        out += "]\n";
        for (const Value& value : key.values)
            AppendValue(out, value);
    }
    return out;
}

bool ReadHiveText(const std::string& text, const std::string& rootName, KeyMap* keys,
                  int* badLine) {
    keys->clear();
    AddKey(*keys, "");
    Key* current = nullptr;
    bool sawHeader = false;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // One logical line: physical lines ending in a backslash continue on the next.
        int firstLine = ++lineNumber;
        std::string logical;
        while (true) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                end = text.size();
            std::string_view physical = TrimRight(std::string_view(text).substr(pos, end - pos));
            pos = end < text.size() ? end + 1 : end;
            if (!logical.empty())
                physical = TrimLeft(physical);
            if (!physical.empty() && physical.back() == '\\' && pos < text.size()) {
                logical += physical.substr(0, physical.size() - 1);
                ++lineNumber;
                continue;
            }
            logical += physical;
            break;
        }
        std::string_view line = TrimLeft(logical);
        *badLine = firstLine;
        if (line.empty() || line[0] == ';')
            continue;
        if (!sawHeader) {
            if (line != "REGEDIT4")
                return false;
            sawHeader = true;
            continue;
        }
        if (line[0] == '[') {
            std::string path;
            if (!ReadKeyLine(line, rootName, &path) || KeyDepth(path) > kMaxKeyDepth)
                return false;
            current = &AddKey(*keys, path);
            continue;
        }
        if (current == nullptr || !ReadValueLine(line, current))
            return false;
    }
    if (!sawHeader) {
        // An empty file is an empty hive; anything else without the header is not a hive.
        *badLine = 1;
        return text.find_first_not_of(" \t\r\n") == std::string::npos;
    }
    *badLine = 0;
    return true;
}

}  // namespace win::regfile
