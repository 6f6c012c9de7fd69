// Hostile path arguments, a few hundred from a fixed seed, through every function that takes a
// path from outside: the client's path parsing, local paths under the network root, the
// canonical form, and the file services' lookups. No crash, no hang, no sanitizer report, no
// result longer than its buffer, every failure with its reason, and the network unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "copy/path_utils.h"
#include "netware/netware_client.h"
#include "platform/file_services.h"
#include "scripted/scripted_window_system.h"
#include "tests/fuzz/mutator.h"
#include "tests/support/engine_state.h"
#include "tests/support/test_network.h"
#include "util/characters.h"

namespace {

namespace fs = std::filesystem;

const char* kNetwork = R"(
tree = "TREE"
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
ds_authenticated = true
[workstation.drives]
F = '\\HQ\DATA'
X = '\\HQ\DATA\APPS'
D = '\\HQ\DOS'
[[server]]
name = "HQ"
directory_services = true
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  [[server.volume]]
  name = "DOS"
  long_names = false
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
[[server]]
name = "OLD"
version = "3.12"
  [[server.volume]]
  name = "SYS"
)";

// Path beginnings: every form the program knows, near misses of each, and other places.
const char* kPrefixes = R"(
\\
\\HQ
\\HQ\
\\HQ\DATA
\\hq\data\
\\HQ\DOS\
\\HQ\NOVOL\
\\OLD\SYS\
\\NOSRV\DATA\
\\\
\\.\
\\?\
\\?\UNC\HQ\DATA\
F:
F:\
f:
X:\
D:\
Z:\
\DATA\
DATA:
HQ/DATA:
HQ\DATA:
DATA:\
SYS:PUBLIC
/
/tmp/
C:\tmp
..\
.\
\
/etc/
)";

// Path components: entries of the trees, their aliases in any case, wildcards, dots, names at
// and past the length limits, bytes no name may hold, separators inside names.
const char* kComponents = R"(PROJ
proj
a.txt
A.TXT
LongFileName.txt
LONGFI~1.TXT
LONGFI~9.TXT
APPS
TOOLS
README.TXT
readme.txt
..
.
...
*
?
*.*
*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b
aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa
bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb
ééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééé
^x01
a^x7Fb
^xC2^x85
^xFF^xFE
^xC3
CON
a:b
a/b
^x20
a^x20
^x20a
~1
~
%s%n%x
$
a\\b
)";

// Entries of the DATA volume, in the spellings that reach them (case, 8.3 aliases, both
// separators), to build on: most hostile paths are near misses of real ones.
const char* kEntries = R"(PROJ
PROJ\a.txt
proj\A.TXT
PROJ\LongFileName.txt
proj\longfi~1.txt
PROJ/LongFileName.txt
PROJ\LONGFI~1.TXT\
APPS\TOOLS
apps\tools\
APPS\TOOLS\..
APPS\.\TOOLS
DEEP
PROJ\*.*
PROJ\*
PROJ\?.TXT
)";

// A snapshot of every file of the network's trees: its path and content.
std::map<std::string, std::string> Trees(const std::string& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string relative = fs::relative(it->path(), root).string();
        if (relative.rfind(".netsim", 0) == 0) {
            if (it->is_directory())
                it.disable_recursion_pending();
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream content;
        if (it->is_regular_file())
            content << in.rdbuf();
        files[relative] = it->is_directory() ? "<dir>" : content.str();
    }
    return files;
}

class PathFuzz : public ::testing::Test {
  protected:
    void SetUp() override {
        net_.WriteFile("HQ/DATA/PROJ/a.txt", "hello");
        net_.WriteFile("HQ/DATA/PROJ/LongFileName.txt", "long");
        net_.WriteFile("HQ/DATA/PROJ/" + std::string(200, 'a'), "wide");
        std::string accents;
        for (int i = 0; i < 127; ++i)
            accents += "\xC3\xA9";
        net_.WriteFile("HQ/DATA/PROJ/" + accents, "accents");
        std::string deep = "HQ/DATA/DEEP";
        while (deep.size() < 240)
            deep += "/LEVEL" + std::to_string(deep.size());
        net_.WriteFile(deep + "/end.txt", "deep");
        net_.MakeDir("HQ/DATA/APPS/TOOLS");
        net_.WriteFile("HQ/DOS/README.TXT", "dos");
        ResetEngineState();
        win::SetUi(&ui_);
        net_.Install();
        // The other forms of the same places: local paths under the root.
        prefixes_ = EntryLines(kPrefixes);
        for (const char* local : {"/", "/HQ/DATA/", "/hq/data/", "/HQ/", "/HQ/DOS/", "/.netsim/"})
            prefixes_.push_back(net_.Root() + local);
        components_ = EntryLines(kComponents);
        entries_ = EntryLines(kEntries);
        std::string deepPath = deep.substr(std::strlen("HQ/DATA/"));
        std::replace(deepPath.begin(), deepPath.end(), '/', '\\');
        entries_.push_back(deepPath);
        entries_.push_back(deepPath + "\\end.txt");
        entries_.push_back("PROJ\\" + std::string(200, 'a'));
        volumes_ = {"\\\\HQ\\DATA\\", "\\\\hq\\Data\\",          "F:\\",         "f:",
                    "X:\\..\\",       net_.Root() + "/HQ/DATA/", "\\\\HQ\\DATA/"};
    }
    void TearDown() override { win::SetUi(nullptr); }

    std::string HostilePath(Mutator& mutator) {
        const std::size_t kind = mutator.Below(8);
        if (kind < 3) {  // a real entry, perhaps with a hostile component after it
            std::string path =
                volumes_[mutator.Below(volumes_.size())] + entries_[mutator.Below(entries_.size())];
            if (mutator.Below(2))
                path += "\\" + components_[mutator.Below(components_.size())];
            return path;
        }
        if (kind == 3) {  // bytes of any kind
            std::string path(mutator.Below(600), '\0');
            for (char& c : path)
                c = static_cast<char>(1 + mutator.Below(255));
            return path;
        }
        static const char* const kSeparators[] = {"\\", "\\", "\\", "/", "\\\\", ""};
        std::string path = prefixes_[mutator.Below(prefixes_.size())];
        for (std::size_t n = mutator.Below(9); n > 0; --n) {
            path += components_[mutator.Below(components_.size())];
            if (n > 1 || mutator.Below(4) == 0)
                path += kSeparators[mutator.Below(6)];
        }
        return path;
    }

    void ExerciseClient(const std::string& path) {
        NetWareClient& nw = NetWare();
        std::vector<char> server(nw::kNameSize), volume(nw::kNameSize), dir(win::kPathBufferSize);
        NWCONN_HANDLE conn = 0;
        if (nw.NWParsePath(path.c_str(), server.data(), &conn, volume.data(), dir.data()) == 0) {
            EXPECT_LT(strnlen(server.data(), server.size()), server.size());
            EXPECT_LT(strnlen(volume.data(), volume.size()), volume.size());
            EXPECT_LT(strnlen(dir.data(), dir.size()), dir.size());
        }
        std::vector<char> relative(win::kPathBufferSize);
        NWDIR_HANDLE handle = 0;
        if (nw.NWParseNetWarePath(path.c_str(), &conn, &handle, relative.data()) == 0) {
            EXPECT_LT(strnlen(relative.data(), relative.size()), relative.size());
        }
        std::string netPath;
        if (nw.LocalPathToNetWarePath(path, &netPath)) {
            EXPECT_EQ(netPath.rfind("\\\\", 0), 0u) << netPath;
        }
    }

    void ExerciseCanonical(const std::string& path) {
        for (bool withServer : {true, false}) {
            std::string canonical = path;
            if (CanonicalNetWarePath(canonical, withServer)) {
                EXPECT_LE(CharacterCount(canonical), 259u);  // characters, not bytes
                EXPECT_EQ(canonical.rfind(withServer ? "\\\\" : "\\", 0), 0u) << canonical;
            }
        }
    }

    void ExerciseFiles(const std::string& path) {
        win::FileServices& files = win::Files();
        if (files.GetFileAttributes(path.c_str()) == win::INVALID_FILE_ATTRIBUTES) {
            EXPECT_NE(files.GetLastError(), 0u);
        }

        win::FindData data;
        {
            win::ScopedFind find(files.FindFirstFile(path.c_str(), &data));
            if (!find.Valid()) {
                EXPECT_NE(files.GetLastError(), 0u);
            }
            for (int n = 0; find.Valid() && n < 50 && files.FindNextFile(find.Get(), &data); ++n) {
            }
        }
        std::vector<char> shortPath(win::kPathBufferSize);
        const std::uint32_t length = files.GetShortPathName(
            path.c_str(), shortPath.data(), static_cast<std::uint32_t>(win::kPathBufferSize));
        if (length == 0) {
            EXPECT_NE(files.GetLastError(), 0u);
        } else if (length < win::kPathBufferSize) {
            EXPECT_EQ(strnlen(shortPath.data(), shortPath.size()), length);
        }
        // Opened only where the network's own files are: an ordinary local path could name a
        // pipe of some other program, and opening that would wait for its writer.
        const bool networkForm = path.rfind("\\\\", 0) == 0 ||
                                 (path.size() >= 2 && path[1] == ':') ||
                                 path.rfind(net_.Root() + "/", 0) == 0;
        if (networkForm) {
            win::ScopedHandle file(files.CreateFile(path.c_str(), win::GENERIC_READ,
                                                    win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
            char buffer[64];
            std::uint32_t read = 0;
            if (file.Valid())
                files.ReadFile(file.Get(), buffer, sizeof buffer, &read);
        }
        std::vector<char> volumeName(64), systemName(64);
        std::uint32_t serial = 0, maxComponent = 0, flags = 0;
        files.GetVolumeInformation(path.c_str(), volumeName.data(), 64, &serial, &maxComponent,
                                   &flags, systemName.data(), 64);
    }

    TestNetwork net_{kNetwork};
    win::ScriptedWindowSystem ui_;
    std::vector<std::string> prefixes_;
    std::vector<std::string> components_;
    std::vector<std::string> entries_;
    std::vector<std::string> volumes_;
};

TEST_F(PathFuzz, HostilePathsAreAnsweredAndChangeNothing) {
    const auto before = Trees(net_.Root());
    Mutator mutator(1995, {}, {});
    for (int i = 0; i < 600 && !HasFailure(); ++i) {
        const std::string path = HostilePath(mutator);
        SCOPED_TRACE("path case " + std::to_string(i) + ": " + path);
        ExerciseClient(path);
        ExerciseCanonical(path);
        ExerciseFiles(path);
    }
    EXPECT_EQ(Trees(net_.Root()), before);
}

// Dots never lead out of a volume: a file next to the network root is not reached from any
// network form of a path, however many ".." it climbs.
TEST_F(PathFuzz, DotsNeverLeaveTheNetwork) {
    const fs::path root(net_.Root());
    const fs::path outside = root.string() + "-outside";
    fs::create_directories(outside);
    std::ofstream(outside / "secret.txt") << "secret";
    const std::string target = outside.filename().string() + "\\secret.txt";
    for (const char* start : {"\\\\HQ\\DATA\\", "\\\\HQ\\DATA\\PROJ\\", "F:\\", "F:", "X:\\",
                              "\\\\HQ\\DOS\\", "\\\\HQ\\", "\\\\HQ\\DATA\\.\\"}) {
        std::string climb;
        for (int up = 0; up < 6; ++up, climb += "..\\") {
            const std::string path = start + climb + target;
            SCOPED_TRACE(path);
            EXPECT_EQ(win::Files().GetFileAttributes(path.c_str()), win::INVALID_FILE_ATTRIBUTES);
            win::ScopedHandle file(win::Files().CreateFile(
                path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
            EXPECT_FALSE(file.Valid());
            win::FindData data;
            win::ScopedFind find(win::Files().FindFirstFile(path.c_str(), &data));
            EXPECT_FALSE(find.Valid());
            std::string canonical = path;
            if (CanonicalNetWarePath(canonical, true)) {
                EXPECT_EQ(win::Files().GetFileAttributes(canonical.c_str()),
                          win::INVALID_FILE_ATTRIBUTES);
            }
        }
    }
    fs::remove_all(outside);
}

}  // namespace
