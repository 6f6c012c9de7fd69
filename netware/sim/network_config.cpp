#include "netware/sim/network_config.h"

#include <fcntl.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <optional>
#include <set>
#include <string_view>

#include "netware/sim/sim_names.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace sim {

namespace {

const std::set<std::string>& FaultableCalls() {
    static const std::set<std::string> calls = {
        // NetWare operations
        "NWCallsInit", "NWGetPrimaryConnectionID", "NWGetConnectionNumber",
        "NWGetConnectionInformation", "NWGetConnectionStatus", "NWScanObject",
        "NWGetConnectionHandle", "NWAttachToFileServer", "NWGetFileServerName",
        "NWLoginToFileServer", "NWLogoutFromFileServer", "NWDetachFromFileServer", "NWIsDSServer",
        "NWIsDSAuthenticated", "NWDSAuthenticate", "NWDSLockConnection", "NWDSUnlockConnection",
        "NWFreeConnectionSlot", "NWDSCreateContext", "NWDSFreeContext", "NWDSMapIDToName",
        "NWDSMapNameToID", "NWIntScanForTrustees", "NWAddTrustee", "NWLlocaleconv",
        "NWInitUnicodeTables", "NWFreeUnicodeTables", "NWParsePath", "NWParseNetWarePath",
        "NWGetVolumeNumber", "NWGetVolumeInfoWithNumber", "NWGetFileServerInformation",
        "NWGetExtendedVolumeInfo", "NWAllocTemporaryDirectoryHandle", "NWGetOwningNameSpace",
        "NWGetNSEntryInfo", "NWIntScanDirectoryInformation2", "NWCreateDirectory",
        "NWSetNSEntryDOSInfo", "NWOpenNSEntry", "NWSetCompressedFileSize", "NWGetLongName",
        "NWUnpackDateTime", "NWDeleteDirectory",
        // file services
        "FindFirstFile", "FindNextFile", "FindClose", "GetFileAttributes", "SetFileAttributes",
        "GetShortPathName", "GetTempFileName", "MoveFile", "MoveFileEx", "DeleteFile",
        "CreateDirectory", "RemoveDirectory", "CreateFile", "ReadFile", "WriteFile",
        "SetFilePointer", "SetEndOfFile", "CloseHandle", "GetVolumeInformation",
        "GetFileInformationByHandle", "GetFileInformationByName",
        // the simulator's own metadata store: a write of a matching entry's row is refused
        "MetadataStore"};
    return calls;
}

// Control characters shown as \xNN (C1 controls as \u00NN), so that a message quoting a hostile
// value can neither break its line nor send a terminal escape sequence.
std::string Printable(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    auto hex = [](unsigned char c) { return std::string{kHex[c >> 4], kHex[c & 0x0F]}; };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned char next =
            i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            out += "\\x" + hex(c);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            out += "\\u00" + hex(next);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Collects the first problem with its line; later problems are not looked at.
class Reader {
  public:
    explicit Reader(std::string file) : file_(std::move(file)) {}

    bool Failed() const { return !problem_.empty(); }
    std::string Message() const {
        if (line_ == 0)
            return Printable(
                FormatText(LoadResString(IDS_SIM_IN_FILE), file_.c_str(), problem_.c_str()));
        return Printable(
            FormatText(LoadResString(IDS_SIM_AT_LINE), file_.c_str(), line_, problem_.c_str()));
    }

    void Fail(const toml::node* at, const std::string& problem) {
        if (Failed())
            return;
        problem_ = problem;
        line_ = at ? static_cast<unsigned>(at->source().begin.line) : 0;
    }
    void FailAtLine(unsigned line, const std::string& problem) {
        if (Failed())
            return;
        problem_ = problem;
        line_ = line;
    }

    // Unknown keys are errors so that a misspelt key is never silently ignored.
    void OnlyKeys(const toml::table& table, std::initializer_list<const char*> keys) {
        for (auto&& [key, node] : table) {
            bool known = false;
            for (const char* k : keys)
                known = known || key.str() == k;
            if (!known)
                Fail(&node, FormatText(LoadResString(IDS_SIM_UNKNOWN_KEY),
                                       std::string(key.str()).c_str()));
        }
    }

    bool String(const toml::table& t, const char* key, std::string* out, bool required) {
        const toml::node* n = t.get(key);
        if (!n) {
            if (required)
                Fail(&t, FormatText(LoadResString(IDS_SIM_KEY_REQUIRED), key));
            return false;
        }
        if (!n->is_string()) {
            Fail(n, FormatText(LoadResString(IDS_SIM_NOT_STRING), key));
            return false;
        }
        *out = n->as_string()->get();
        return true;
    }
    // A name of at most 47 characters (48 with some, but 47 keeps every buffer safe).
    bool Name(const toml::table& t, const char* key, std::string* out, bool required) {
        if (!String(t, key, out, required))
            return false;
        if (out->size() > 47) {
            Fail(t.get(key), FormatText(LoadResString(IDS_SIM_NAME_TOO_LONG), key));
            return false;
        }
        return true;
    }
    // A name that must also pass valid(); otherwise the refusal quotes it in message.
    bool Name(const toml::table& t, const char* key, std::string* out, bool required,
              bool (*valid)(const std::string&), unsigned message) {
        if (!Name(t, key, out, required))
            return false;
        if (!valid(*out)) {
            Fail(t.get(key), FormatText(LoadResString(message), out->c_str()));
            return false;
        }
        return true;
    }
    void Bool(const toml::table& t, const char* key, bool* out) {
        const toml::node* n = t.get(key);
        if (!n)
            return;
        if (!n->is_boolean())
            Fail(n, FormatText(LoadResString(IDS_SIM_NOT_BOOL), key));
        else
            *out = n->as_boolean()->get();
    }
    bool Integer(const toml::table& t, const char* key, std::int64_t* out) {
        const toml::node* n = t.get(key);
        if (!n)
            return false;
        if (!n->is_integer()) {
            Fail(n, FormatText(LoadResString(IDS_SIM_NOT_INTEGER), key));
            return false;
        }
        *out = n->as_integer()->get();
        return true;
    }
    // A decimal number of milliseconds (integer or not) from 0 to kMaxLatencyMs.
    void Milliseconds(const toml::table& t, const char* key, double* out) {
        const toml::node* n = t.get(key);
        if (!n)
            return;
        const std::optional<double> value = n->value_exact<double>();
        const std::optional<std::int64_t> whole = n->value_exact<std::int64_t>();
        const double ms = whole ? static_cast<double>(*whole) : value.value_or(-1);
        if ((!value && !whole) || !(ms >= 0 && ms <= kMaxLatencyMs))
            Fail(n, FormatText(LoadResString(IDS_SIM_BAD_LATENCY), key));
        else
            *out = ms;
    }
    bool Number32(const toml::node* n, const char* key, std::uint32_t* out) {
        if (!n->is_integer()) {
            Fail(n, FormatText(LoadResString(IDS_SIM_NOT_INTEGER), key));
            return false;
        }
        std::int64_t v = n->as_integer()->get();
        if (v < 0 || v > 0xFFFFFFFFLL) {
            Fail(n, FormatText(LoadResString(IDS_SIM_BAD_NUMBER), key));
            return false;
        }
        *out = static_cast<std::uint32_t>(v);
        return true;
    }
    const toml::table* Table(const toml::table& t, const char* key) {
        const toml::node* n = t.get(key);
        if (!n)
            return nullptr;
        if (!n->is_table()) {
            Fail(n, FormatText(LoadResString(IDS_SIM_NOT_TABLE), key));
            return nullptr;
        }
        return n->as_table();
    }
    // The tables of an array of tables, or none.
    std::vector<const toml::table*> Tables(const toml::table& t, const char* key) {
        std::vector<const toml::table*> out;
        const toml::node* n = t.get(key);
        if (!n)
            return out;
        const toml::array* a = n->as_array();
        if (!a || !a->is_array_of_tables()) {
            Fail(n, FormatText(LoadResString(IDS_SIM_NOT_TABLE_ARRAY), key, key));
            return out;
        }
        for (const toml::node& e : *a)
            out.push_back(e.as_table());
        return out;
    }

  private:
    std::string file_;
    std::string problem_;
    unsigned line_ = 0;
};

// Servers and volumes are also folders of the network root, named as NetWare shows them:
// upper case, and without the dot that would make them look like files.
bool ValidServerOrVolumeName(const std::string& name) {
    return IsBinderyName(name) && Upper(name) == name && name.find('.') == std::string::npos;
}

// A Directory Services name such as CN=JSMITH.OU=SALES.O=ACME, handled in 260-byte buffers.
bool ValidObjectName(const std::string& name) {
    return !name.empty() && name.size() <= 259 && !HasControlCharacter(name);
}

// "major.minor": two decimal numbers and a dot, nothing else. *inRange is false when a number
// is above 255 (the server reports each in one byte).
bool ParseVersion(const std::string& text, std::uint8_t* major, std::uint8_t* minor,
                  bool* inRange) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos)
        return false;
    auto number = [inRange](std::string_view digits, std::uint8_t* out) {
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        std::uint64_t value = 0;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (result.ec != std::errc() || value > 255)
            *inRange = false;  // digits only, so the one possible error is a number too large
        else
            *out = static_cast<std::uint8_t>(value);
        return true;
    };
    *inRange = true;
    const std::string_view all(text);
    return number(all.substr(0, dot), major) && number(all.substr(dot + 1), minor);
}

// A drive's directory below the volume: every component a NetWare name, no wildcard.
bool ValidDriveDirectories(const std::vector<std::string>& parts) {
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (!IsNetWareName(parts[i]) || HasWildcard(parts[i]) || HasControlCharacter(parts[i]))
            return false;
    }
    return true;
}

void ReadVolume(Reader& r, const toml::table& t, ServerConfig* server) {
    r.OnlyKeys(t, {"name", "long_names", "compression", "block_size", "total_blocks"});
    VolumeConfig v;
    r.Name(t, "name", &v.name, true, ValidServerOrVolumeName, IDS_INPUT_BAD_VOLUME_NAME);
    for (const VolumeConfig& other : server->volumes) {
        if (other.name == v.name)
            r.Fail(t.get("name"), FormatText(LoadResString(IDS_SIM_VOLUME_TWICE), v.name.c_str(),
                                             server->name.c_str()));
    }
    r.Bool(t, "long_names", &v.longNames);
    r.Bool(t, "compression", &v.compression);
    std::int64_t n = 0;
    if (r.Integer(t, "block_size", &n)) {
        if (n <= 0 || n % 512 != 0)
            r.Fail(t.get("block_size"), LoadResString(IDS_SIM_BAD_BLOCK_SIZE));
        else if (n > kMaxBlockSize)
            r.Fail(t.get("block_size"), LoadResString(IDS_INPUT_BLOCK_SIZE_RANGE));
        else
            v.blockSize = static_cast<std::uint32_t>(n);
    }
    if (r.Integer(t, "total_blocks", &n)) {
        if (n < 1)
            r.Fail(t.get("total_blocks"), LoadResString(IDS_SIM_BAD_TOTAL_BLOCKS));
        else if (static_cast<std::uint64_t>(n) > kMaxTotalBlocks)
            r.Fail(t.get("total_blocks"), LoadResString(IDS_INPUT_TOTAL_BLOCKS_RANGE));
        else
            v.totalBlocks = static_cast<std::uint64_t>(n);
    }
    server->volumes.push_back(v);
}

void ReadUser(Reader& r, const toml::table& t, ServerConfig* server) {
    r.OnlyKeys(t, {"name", "password", "expired"});
    UserConfig u;
    r.Name(t, "name", &u.name, true, IsBinderyName, IDS_INPUT_BAD_USER_NAME);
    r.Name(t, "password", &u.password, false);
    r.Bool(t, "expired", &u.expired);
    for (const UserConfig& other : server->users) {
        if (SameName(other.name, u.name))
            r.Fail(t.get("name"), FormatText(LoadResString(IDS_SIM_USER_TWICE), u.name.c_str(),
                                             server->name.c_str()));
    }
    server->users.push_back(u);
}

void ReadServer(Reader& r, const toml::table& t, NetworkConfig* config) {
    r.OnlyKeys(t, {"name", "version", "directory_services", "connection", "listed", "latency_ms",
                   "volume", "user"});
    ServerConfig s;
    r.Name(t, "name", &s.name, true, ValidServerOrVolumeName, IDS_INPUT_BAD_SERVER_NAME);
    for (const ServerConfig& other : config->servers) {
        if (other.name == s.name)
            r.Fail(t.get("name"), FormatText(LoadResString(IDS_SIM_SERVER_TWICE), s.name.c_str()));
    }
    std::string text;
    if (r.String(t, "version", &text, false)) {
        bool inRange = true;
        if (!ParseVersion(text, &s.majorVersion, &s.minorVersion, &inRange))
            r.Fail(t.get("version"), FormatText(LoadResString(IDS_SIM_BAD_VERSION), text.c_str()));
        else if (!inRange)
            r.Fail(t.get("version"),
                   FormatText(LoadResString(IDS_INPUT_VERSION_RANGE), text.c_str()));
    }
    r.Bool(t, "directory_services", &s.directoryServices);
    if (r.String(t, "connection", &text, false)) {
        if (text == "none")
            s.connection = StartConnection::None;
        else if (text == "attached")
            s.connection = StartConnection::Attached;
        else if (text == "logged_in")
            s.connection = StartConnection::LoggedIn;
        else
            r.Fail(t.get("connection"),
                   FormatText(LoadResString(IDS_SIM_BAD_CONNECTION), text.c_str()));
    }
    r.Bool(t, "listed", &s.listed);
    r.Milliseconds(t, "latency_ms", &s.latencyMs);
    for (const toml::table* v : r.Tables(t, "volume"))
        ReadVolume(r, *v, &s);
    for (const toml::table* u : r.Tables(t, "user"))
        ReadUser(r, *u, &s);
    config->servers.push_back(s);
}

const ServerConfig* FindServerConfig(const NetworkConfig& c, const std::string& name) {
    for (const ServerConfig& s : c.servers) {
        if (SameName(s.name, name))
            return &s;
    }
    return nullptr;
}

void ReadObject(Reader& r, const toml::table& t, NetworkConfig* config) {
    r.OnlyKeys(t, {"name", "ids"});
    ObjectConfig o;
    if (r.String(t, "name", &o.name, true) && !ValidObjectName(o.name))
        r.Fail(t.get("name"), FormatText(LoadResString(IDS_INPUT_BAD_OBJECT_NAME), o.name.c_str()));
    for (const ObjectConfig& other : config->objects) {
        if (SameName(other.name, o.name))
            r.Fail(t.get("name"), FormatText(LoadResString(IDS_SIM_OBJECT_TWICE), o.name.c_str()));
    }
    if (const toml::table* ids = r.Table(t, "ids")) {
        for (auto&& [key, node] : *ids) {
            std::string server = Upper(std::string(key.str()));
            if (!FindServerConfig(*config, server))
                r.Fail(&node, FormatText(LoadResString(IDS_SIM_BAD_OBJECT_SERVER), o.name.c_str(),
                                         server.c_str()));
            if (o.ids.count(server) != 0)
                r.Fail(&node, FormatText(LoadResString(IDS_INPUT_OBJECT_ID_TWICE), o.name.c_str(),
                                         server.c_str()));
            std::uint32_t id = 0;
            if (r.Number32(&node, server.c_str(), &id))
                o.ids[server] = id;
        }
    }
    config->objects.push_back(o);
}

void ReadFault(Reader& r, const toml::table& t, NetworkConfig* config) {
    r.OnlyKeys(t, {"call", "server", "path", "code", "times"});
    FaultConfig f;
    if (r.String(t, "call", &f.call, true) && !IsFaultableCall(f.call))
        r.Fail(t.get("call"), FormatText(LoadResString(IDS_SIM_BAD_FAULT_CALL), f.call.c_str()));
    if (r.String(t, "server", &f.server, false)) {
        f.server = Upper(f.server);
        if (!FindServerConfig(*config, f.server))
            r.Fail(t.get("server"),
                   FormatText(LoadResString(IDS_SIM_BAD_FAULT_SERVER), f.server.c_str()));
    }
    r.String(t, "path", &f.path, false);
    if (const toml::node* n = t.get("code"))
        r.Number32(n, "code", &f.code);
    else
        r.Fail(&t, FormatText(LoadResString(IDS_SIM_KEY_REQUIRED), "code"));
    std::int64_t times = 0;
    if (r.Integer(t, "times", &times)) {
        if (times < 1)
            r.Fail(t.get("times"), LoadResString(IDS_SIM_BAD_TIMES));
        f.times = times;
    }
    config->faults.push_back(f);
}

void ReadWorkstation(Reader& r, const toml::table& root, NetworkConfig* config) {
    const toml::table* w = r.Table(root, "workstation");
    if (!w) {
        r.FailAtLine(1, FormatText(LoadResString(IDS_SIM_KEY_REQUIRED), "workstation"));
        return;
    }
    r.OnlyKeys(*w, {"primary_server", "login_name", "ds_authenticated", "drives"});
    if (r.Name(*w, "primary_server", &config->primaryServer, true))
        config->primaryServer = Upper(config->primaryServer);
    r.Name(*w, "login_name", &config->loginName, true, IsBinderyName, IDS_INPUT_BAD_LOGIN_NAME);
    r.Bool(*w, "ds_authenticated", &config->dsAuthenticated);
    if (const toml::table* d = r.Table(*w, "drives")) {
        for (auto&& [key, node] : *d) {
            std::string letter = Upper(std::string(key.str()));
            if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Z') {
                r.Fail(&node, FormatText(LoadResString(IDS_SIM_BAD_DRIVE_LETTER), letter.c_str()));
                continue;
            }
            if (!node.is_string()) {
                r.Fail(&node, FormatText(LoadResString(IDS_SIM_NOT_STRING), letter.c_str()));
                continue;
            }
            // "f" and "F" are one drive.
            if (config->drives.count(letter[0]) != 0)
                r.Fail(&node, FormatText(LoadResString(IDS_INPUT_DRIVE_TWICE), letter.c_str()));
            config->drives[letter[0]] = node.as_string()->get();
        }
    }
}

// Cross-references that need the whole file: primary server and drive targets.
void CheckReferences(Reader& r, const toml::table& root, NetworkConfig* config) {
    const toml::table* w = root.get_as<toml::table>("workstation");
    if (!w)
        return;
    if (!config->primaryServer.empty() && !FindServerConfig(*config, config->primaryServer))
        r.Fail(w->get("primary_server"),
               FormatText(LoadResString(IDS_SIM_UNKNOWN_PRIMARY), config->primaryServer.c_str()));
    const toml::table* d = w->get_as<toml::table>("drives");
    for (const auto& [letter, target] : config->drives) {
        std::vector<std::string> parts = SplitPath(target, false);
        bool ok = target.rfind("\\\\", 0) == 0 && parts.size() >= 2;
        const ServerConfig* s = ok ? FindServerConfig(*config, parts[0]) : nullptr;
        ok = false;
        if (s) {
            for (const VolumeConfig& v : s->volumes)
                ok = ok || SameName(v.name, parts[1]);
        }
        std::string key(1, letter);
        const toml::node* at = d ? d->get(key) : nullptr;
        if (!at && d)
            at = d->get(std::string(1, static_cast<char>(letter - 'A' + 'a')));
        if (!ok)
            r.Fail(at, FormatText(LoadResString(IDS_SIM_BAD_DRIVE_TARGET), key.c_str(),
                                  target.c_str()));
        else if (target.size() > 259 || !ValidDriveDirectories(parts))
            r.Fail(at, FormatText(LoadResString(IDS_INPUT_BAD_DRIVE_PATH), key.c_str(),
                                  target.c_str()));
    }
}

// The whole file; false when it cannot be read (missing, a directory, no permission).
bool ReadFileText(const std::string& file, std::string* text) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[8192];
    bool ok = true;
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n >= 0;
        if (n <= 0)
            break;
        text->append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return ok;
}

// The parser descends once for every part of a dotted key or table name, so that a name of
// a hundred thousand parts overflows the stack before any of its own limits applies. No key
// of network.toml has more than two parts: the first line whose key has more than
// kMaxKeyDots dots is refused before the text reaches the parser. Dots inside strings and
// comments do not count; any other character but a key's own (letters, digits, _ and -,
// blanks, quoted parts) ends a key.
constexpr std::size_t kMaxKeyDots = 63;

unsigned LineOfOverlongKey(std::string_view text) {
    unsigned line = 1;
    std::size_t dots = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            // A string: to its closing quote, or three of them for a multi-line one.
            const bool multiLine = text.compare(i, 3, std::string(3, c)) == 0;
            const std::string close = multiLine ? std::string(3, c) : std::string(1, c);
            std::size_t j = i + close.size();
            while (j < text.size() && text.compare(j, close.size(), close) != 0) {
                if (text[j] == '\n' && !multiLine)
                    break;  // an unclosed string: the parser says so
                line += text[j] == '\n';
                if (text[j] == '\\' && c == '"' && j + 1 < text.size()) {
                    ++j;
                    line += text[j] == '\n';
                }
                ++j;
            }
            i = text.compare(j, close.size(), close) == 0 ? j + close.size() - 1 : j - 1;
        } else if (c == '#') {
            while (i + 1 < text.size() && text[i + 1] != '\n')
                ++i;
        } else if (c == '.') {
            if (++dots > kMaxKeyDots)
                return line;
        } else if (c == '\n') {
            ++line;
            dots = 0;
        } else if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' &&
                   c != ' ' && c != '\t') {
            dots = 0;
        }
    }
    return 0;
}

}  // namespace

bool IsFaultableCall(const std::string& name) {
    return FaultableCalls().count(name) != 0;
}

bool LoadNetworkConfig(const std::string& file, NetworkConfig* config, std::string* error) {
    *config = NetworkConfig();
    Reader r(file);
    std::string text;
    if (!ReadFileText(file, &text)) {
        *error = FormatText(LoadResString(IDS_SIM_IN_FILE), file.c_str(),
                            LoadResString(IDS_SIM_UNREADABLE));
        return false;
    }
    if (const unsigned line = LineOfOverlongKey(text)) {
        r.FailAtLine(line, LoadResString(IDS_INPUT_KEY_TOO_DEEP));
        *error = r.Message();
        return false;
    }
    toml::table root;
    try {
        root = toml::parse(text, file);
    } catch (const toml::parse_error& e) {
        r.FailAtLine(static_cast<unsigned>(e.source().begin.line), std::string(e.description()));
        *error = r.Message();
        return false;
    }
    r.OnlyKeys(root, {"tree", "workstation", "server", "object", "fault"});
    if (root.get("tree"))
        r.Name(root, "tree", &config->tree, false, IsBinderyName, IDS_INPUT_BAD_TREE_NAME);
    for (const toml::table* s : r.Tables(root, "server"))
        ReadServer(r, *s, config);
    ReadWorkstation(r, root, config);
    for (const toml::table* o : r.Tables(root, "object"))
        ReadObject(r, *o, config);
    for (const toml::table* f : r.Tables(root, "fault"))
        ReadFault(r, *f, config);
    CheckReferences(r, root, config);
    if (r.Failed()) {
        *error = r.Message();
        return false;
    }
    return true;
}

}  // namespace sim
