#include "copy/path_utils.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "copy/copy_run.h"
#include "netware/netware_client.h"
#include "netware/volume_checks.h"
#include "platform/file_services.h"
#include "resources/string_ids.h"
#include "util/characters.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// The parts NWParsePath gives for a path on a NetWare volume.
struct ParsedPath {
    std::string server;
    NWCONN_HANDLE connection = 0;
    std::string volume;
    std::string directory;  // below the volume, without its leading backslash
};

bool ParseNetWarePath(const std::string& path, ParsedPath* parsed) {
    char server[nw::kNameSize] = {};
    char volume[nw::kNameSize] = {};
    char directory[win::kPathBufferSize] = {};
    NWCONN_HANDLE connection = 0;
    if (NetWare().NWParsePath(path.c_str(), server, &connection, volume, directory) !=
        nw::SUCCESSFUL)
        return false;
    server[nw::kNameSize - 1] = volume[nw::kNameSize - 1] = '\0';
    directory[win::kPathBufferSize - 1] = '\0';
    parsed->server = server;
    parsed->connection = connection;
    parsed->volume = volume;
    parsed->directory = directory[0] == '\\' ? directory + 1 : directory;
    return true;
}

void UpperCaseInPlace(std::string& text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool VolumeHasLongNames(const ParsedPath& parsed) {
    if (CopyRun.SourceLongNamesKnown)
        return CopyRun.SourceHasLongNames;
    const std::string root = FormatText(LoadResString(IDS_FMT_SERVER_VOLUME), parsed.server.c_str(),
                                        parsed.volume.c_str()) +
                             "\\";
    return SupportsLongNames(root);
}

// The directory path with every component in its long name, asked of the server from the
// last component to the first.
bool LongDirectoryPath(const ParsedPath& parsed, std::string* longPath) {
    std::vector<std::string> components;  // last component first
    std::string current = parsed.directory;
    for (;;) {
        const std::string entry = FormatText(LoadResString(IDS_FMT_VOLUME_RELATIVE),
                                             parsed.volume.c_str(), current.c_str());
        char longName[nw::kLongNameSize] = {};
        if (NetWare().NWGetLongName(parsed.connection, 0, entry.c_str(), nw::NS_DOS, nw::NS_LONG,
                                    longName) != nw::SUCCESSFUL)
            return false;
        longName[sizeof longName - 1] = '\0';
        components.emplace_back(longName);
        const std::size_t cut = current.rfind('\\');
        if (cut == std::string::npos)
            break;
        current.resize(cut);
    }
    longPath->clear();
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        if (!longPath->empty())
            *longPath += '\\';
        *longPath += *it;
    }
    return true;
}

std::string Format(const ParsedPath& parsed, bool withServer) {
    const char* server = parsed.server.c_str();
    const char* volume = parsed.volume.c_str();
    const char* directory = parsed.directory.c_str();
    if (withServer)
        return parsed.directory.empty()
                   ? FormatText(LoadResString(IDS_FMT_SERVER_VOLUME), server, volume)
                   : FormatText(LoadResString(IDS_FMT_UNC_PATH), server, volume, directory);
    return parsed.directory.empty()
               ? FormatText(LoadResString(IDS_FMT_VOLUME_ONLY), volume)
               : FormatText(LoadResString(IDS_FMT_VOLUME_PATH), volume, directory);
}

}  // namespace

namespace {

// The path's short (8.3) form, parsed: every component by its alias, so that each names exactly
// one entry whatever spelling the path used.
bool ParseShortForm(const std::string& path, ParsedPath* parsed) {
    char shortPath[win::kPathBufferSize] = {};
    const std::uint32_t length =
        win::Files().GetShortPathName(path.c_str(), shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath)
        return false;
    return ParseNetWarePath(shortPath, parsed);
}

}  // namespace

bool CanonicalNetWarePath(std::string& path, bool withServer) {
    std::string result;
    // Never cut a path: a result beyond the program's limit is refused.
    if (!CanonicalNetWarePathAnyLength(path, withServer, &result) || !WithinPathLimit(result))
        return false;
    path = result;
    return true;
}

bool CanonicalNetWarePathAnyLength(std::string path, bool withServer, std::string* result) {
    // A file dropped from a Linux file manager arrives as a local path under the network
    // root; it names the NetWare path it is.
    std::string netPath;
    if (!path.empty() && path[0] == '/' && NetWare().LocalPathToNetWarePath(path, &netPath))
        path = netPath;

    // The path is looked up as it was given: upper-casing it first would find, of two entries
    // whose names differ only in case, the upper-case one for either.
    ParsedPath parsed;
    if (!ParseNetWarePath(path, &parsed) && !ParseShortForm(path, &parsed))
        return false;
    if (!parsed.directory.empty()) {
        if (VolumeHasLongNames(parsed)) {
            // Each component gets the name the volume holds: the long name for an alias, the
            // stored case for any other spelling. The way there is the 8.3 form, whose every
            // component names one entry, and the long name of each.
            ParsedPath shortForm;
            std::string longPath;
            if (!ParseShortForm(path, &shortForm) || !LongDirectoryPath(shortForm, &longPath))
                return false;
            parsed.directory = longPath;
        } else {
            // A volume without long names holds upper-case 8.3 names only.
            UpperCaseInPlace(parsed.directory);
        }
    }

    *result = Format(parsed, withServer);
    return true;
}

bool WithinPathLimit(const std::string& path) {
    return CharacterCount(path) <= kMaxPath;
}

bool NormaliseTargetPath(const std::string& given, std::string* targetPath,
                         bool (*canonical)(std::string&, bool)) {
    // A place on the network in any form a path can take there becomes its volume path, as a
    // folder picked with "Select..." does.
    std::string onNetwork = given;
    const bool drive =
        given.size() >= 2 && given[1] == ':' && std::isalpha(static_cast<unsigned char>(given[0]));
    if ((given.rfind("\\\\", 0) == 0 || drive || (!given.empty() && given[0] == '/')) &&
        canonical(onNetwork, false)) {
        *targetPath = onNetwork;
        return true;
    }
    // \VOLUME\path as written: the same path on every server. Doubled and trailing
    // backslashes go; ".", ".." and names that cannot be NetWare names never make a path.
    if (given.size() < 2 || given[0] != '\\' || given[1] == '\\')
        return false;
    std::string result;
    std::string name;
    bool first = true;
    for (std::size_t i = 1; i <= given.size(); ++i) {
        const char c = i < given.size() ? given[i] : '\\';
        if (c != '\\') {
            name += c;
            continue;
        }
        if (name.empty())
            continue;
        if (name == "." || name == ".." || name.find_first_of(":/*?") != std::string::npos ||
            CharacterCount(name) > 255 || std::any_of(name.begin(), name.end(), [](char ch) {
                return static_cast<unsigned char>(ch) < 0x20;
            }))
            return false;
        if (first) {
            if (name.size() >= nw::kNameSize)
                return false;
            UpperCaseInPlace(name);  // volume names are upper case
            first = false;
        }
        result += "\\" + name;
        name.clear();
    }
    if (result.empty() || !WithinPathLimit(result))
        return false;
    *targetPath = result;
    return true;
}

std::string FitPathToControl(win::WindowId dialog, int control, const std::string& path) {
    ParsedPath parsed;
    if (!ParseNetWarePath(path, &parsed))
        return path;

    const char* server = parsed.server.c_str();
    const char* volume = parsed.volume.c_str();
    std::string text =
        FormatText(LoadResString(IDS_FMT_UNC_PATH), server, volume, parsed.directory.c_str());
    int textWidth = 0, clientWidth = 0;
    if (!win::Ui().MeasureControlText(dialog, control, text, &textWidth, &clientWidth))
        return path;

    // Drop one leading directory per step behind " ...\", never the last component.
    std::string directory = parsed.directory;
    while (textWidth > clientWidth) {
        const std::size_t first = directory.find('\\');
        if (first == std::string::npos)
            break;
        directory.erase(0, first + 1);
        text = FormatText(LoadResString(IDS_FMT_UNC_SHORTENED), server, volume, directory.c_str());
        if (!win::Ui().MeasureControlText(dialog, control, text, &textWidth, &clientWidth))
            return path;
    }
    return text;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return directory + "\\" + name;
}

std::string LastComponent(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string LandingName(const std::string& item) {
    if (!CopyRun.SourceHasLongNames || CopyRun.DestHasLongNames)
        return LastComponent(item);
    char shortPath[win::kPathBufferSize] = {};
    const std::uint32_t length =
        win::Files().GetShortPathName(item.c_str(), shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath)
        return {};
    return LastComponent(shortPath);
}
