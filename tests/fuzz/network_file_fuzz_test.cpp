// Mutated network.toml files, a few hundred of them from fixed seeds: each is either refused
// with one message that names the file (no crash, no hang, no sanitizer report), or opens into
// a network whose servers, volumes, drives and listings answer every call.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "netware/netware_client.h"
#include "netware/sim/sim_network.h"
#include "platform/file_services.h"
#include "tests/fuzz/mutator.h"

namespace {

// A network that uses every section and key, small enough to mutate densely.
const char* kDenseSeed = R"(tree = "TREE"
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
ds_authenticated = true
[workstation.drives]
F = '\\HQ\DATA'
X = '\\HQ\DATA\APPS'
[[server]]
name = "HQ"
version = "4.11"
directory_services = true
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  block_size = 4096
  total_blocks = 1000
  [[server.volume]]
  name = "DOS"
  long_names = false
  compression = true
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
[[server]]
name = "OLD"
version = "3.12"
connection = "attached"
listed = true
  [[server.volume]]
  name = "SYS"
  [[server.user]]
  name = "GUEST"
  expired = true
[[object]]
name = "CN=JSMITH.O=ACME"
ids = { HQ = 0x01000011, OLD = 2 }
[[fault]]
call = "GetFileAttributes"
server = "HQ"
path = '\\HQ\DATA\*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b'
code = 5
times = 3
)";

// Values after a key's '=': hostile ones, and many that a network may well hold, so that a good
// share of the cases open and get used.
const char* kValues = R"(""
"A B"
"A\u0007"
"\u0085"
"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
"ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ"
"*"
"?"
"HQ"
"hq"
"DATA"
"OLD"
"ADMIN"
"SECRET"
"4.4294967297"
"3.12"
"0.0"
"255.255"
"logged_in"
"attached"
"none"
'\\HQ\DATA\..\..'
'\\HQ\DOS\X'
'\\OLD\SYS'
'\\HQ\DATA\*'
'*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b'
'\\HQ\DATA\*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b'
0
-1
1
511
512
4096
33553920
33554432
4294967295
4294967296
9223372036854775807
0x89FF
0xFFFFFFFF
0x100000000
true
false
1.5
nan
{ HQ = 1 }
{ hq = 1, HQ = 2 }
{ NOWHERE = 1 }
{ HQ = -1 }
[]
[1, 2]
"FindFirstFile"
"NWScanObject"
"ReadFile"
"NWGetVolumeInfoWithNumber"
"GetFileAttributes"
"B"
"NEW_NAME"
"V2"
"4.10"
"2.15"
true
false
8192
1024
10
2
'\\OLD\SYS\PUBLIC'
'\\HQ\DATA\PROJ\*.TXT'
)";

// Pieces of TOML's syntax and of this file's tables, and bytes no text should hold.
const char* kTokens = R"("
'
'''
"""
[
]
[[
]]
{
}
=
,
.
#
^n
\
\\
\u0000
\u0007
\u0085
\U0010FFFF
\uD800
^xC2^x85
^xFF
^xED^xA0^x80
^x00
^t
^r^n
true
false
0
-1
1e400
nan
inf
0x7FFFFFFFFFFFFFFF
99999999999999999999
4294967296
4294967295
33554432
33553920
"4.4294967297"
"255.255"
""
"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"
"HQ"
"hq"
'\\HQ\DATA\..\..'
[workstation]
[workstation.drives]
^n[[server]]^nname = "NEW"^n
^n[[server.volume]]^nname = "V"^n
^n[[server.user]]^nname = "U"^n
^n[[object]]^nname = "CN=X"^nids = { HQ = 7, hq = 8 }^n
^n[[fault]]^ncall = "FindFirstFile"^npath = '*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b'^ncode = 2^n
^n[[fault]]^ncall = "NWScanObject"^ncode = 0x89FF^n
^n[[fault]]^ncall = "NWGetVolumeInfoWithNumber"^ncode = 0x8998^ntimes = 1^n
f = '\\HQ\DATA'
tree = ""
login_name = ""
version = "999.1"
block_size = 33554432
total_blocks = 0
connection = "logged_in"
)";

// A fresh directory for one case, removed with everything in it afterwards.
class Scratch {
  public:
    Scratch() {
        std::string pattern = ::testing::TempDir() + "farcast-fuzz-net-XXXXXX";
        if (mkdtemp(pattern.data()))
            root_ = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    const std::string& Root() const { return root_; }

  private:
    std::string root_;
};

// Installs the network as the one the engine uses, for the length of one case.
class Installed {
  public:
    explicit Installed(sim::SimNetwork& net) { net.Install(); }
    ~Installed() {
        SetNetWare(nullptr);
        win::SetFiles(&sim::LocalFileServices());
    }
};

bool HasControlCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// Every server the bindery lists: volumes, their information and listings, a login.
void ExerciseServers(NetWareClient& nw) {
    NWCONN_HANDLE primary = 0;
    if (nw.NWGetPrimaryConnectionID(&primary) != 0)
        return;
    std::uint32_t id = 0xFFFFFFFF;
    for (int scanned = 0; scanned < 64; ++scanned) {
        char server[nw::kNameSize] = {};
        if (nw.NWScanObject(primary, "*", nw::OT_FILE_SERVER, &id, server, nullptr, nullptr,
                            nullptr, nullptr) != 0)
            break;
        NWCONN_HANDLE conn = 0;
        if (nw.NWAttachToFileServer(server, 0, &conn) != 0)
            continue;
        nw.NWLoginToFileServer(conn, "ADMIN", nw::OT_USER, "SECRET");
        std::uint32_t userId = 0xFFFFFFFF;
        char user[nw::kNameSize] = {};
        while (nw.NWScanObject(conn, "*", nw::OT_USER, &userId, user, nullptr, nullptr, nullptr,
                               nullptr) == 0) {
        }
        for (std::uint16_t number = 0; number < 64; ++number) {
            char volume[nw::kNameSize] = {};
            std::uint32_t total = 0, available = 0;
            std::uint16_t sectors = 0;
            if (nw.NWGetVolumeInfoWithNumber(conn, number, volume, &total, &sectors, &available,
                                             nullptr, nullptr, nullptr) != 0)
                break;
            EXPECT_LE(available, total) << server << " " << volume;
            NWVolExtendedInfo info;
            nw.NWGetExtendedVolumeInfo(conn, number, &info);
            const std::string root = std::string("\\\\") + server + "\\" + volume;
            win::FindData data;
            win::ScopedFind find(win::Files().FindFirstFile((root + "\\*.*").c_str(), &data));
            for (int n = 0; find.Valid() && n < 100 && win::Files().FindNextFile(find.Get(), &data);
                 ++n) {
            }
            win::Files().GetFileAttributes((root + "\\aaaaaaaaaaaaaaaaaaaab").c_str());
            win::Files().GetVolumeInformation((root + "\\").c_str(), nullptr, 0, nullptr, nullptr,
                                              nullptr, nullptr, 0);
        }
    }
}

void ExerciseDrives() {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string drive = std::string(1, letter) + ":\\";
        win::Files().GetFileAttributes(drive.c_str());
        char shortPath[win::kPathBufferSize] = {};
        win::Files().GetShortPathName((drive + "APPS").c_str(), shortPath, sizeof shortPath);
    }
}

// One case: refused with a message naming the file, or opened and used.
void RunCase(const std::string& toml, const std::string& label) {
    Scratch scratch;
    ASSERT_FALSE(scratch.Root().empty());
    std::ofstream(scratch.Root() + "/network.toml", std::ios::binary) << toml;
    std::string error;
    std::unique_ptr<sim::SimNetwork> net = sim::SimNetwork::Open(scratch.Root(), &error);
    if (!net) {
        EXPECT_EQ(error.rfind(scratch.Root() + "/network.toml", 0), 0u) << label << ": " << error;
        EXPECT_GT(error.size(), scratch.Root().size() + 14) << label;
        EXPECT_FALSE(HasControlCharacter(error)) << label << ": " << error;
        return;
    }
    for (const std::string& problem : net->Check())
        EXPECT_FALSE(problem.empty()) << label;
    Installed installed(*net);
    ExerciseServers(net->Client());
    ExerciseDrives();
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DemoSeed() {
    Scratch scratch;
    const std::string dir = scratch.Root() + "/demo";
    std::string error;
    EXPECT_TRUE(sim::CreateDemoNetwork(dir, &error)) << error;
    return Read(dir + "/network.toml");
}

TEST(NetworkFileFuzz, TheSeedsThemselvesOpen) {
    for (const std::string& seed : {std::string(kDenseSeed), DemoSeed()}) {
        Scratch scratch;
        std::ofstream(scratch.Root() + "/network.toml") << seed;
        std::string error;
        EXPECT_NE(sim::SimNetwork::Open(scratch.Root(), &error), nullptr) << error;
    }
}

// Half the cases change the text's shape, half only its values.
void RunCases(const std::string& seed, std::uint32_t randomSeed, int count,
              const std::string& label) {
    // Keys of many parts, which the parser would descend into once per part.
    std::vector<std::string> tokens = EntryLines(kTokens);
    std::string deepKey = "a";
    for (int part = 1; part < 5000; ++part) {
        deepKey += ".a";
        if (part == 63 || part == 64 || part == 4999)
            tokens.push_back("\n[" + deepKey + "]\n");
    }
    Mutator mutator(randomSeed, tokens, EntryLines(kValues));
    for (int i = 0; i < count && !::testing::Test::HasFatalFailure(); ++i) {
        const std::string toml = i % 2 ? mutator.MutateValues(seed) : mutator.Mutate(seed);
        RunCase(toml, label + " case " + std::to_string(i));
    }
}

TEST(NetworkFileFuzz, DenseSeedMutations) {
    RunCases(kDenseSeed, 20240613, 300, "dense");
}

TEST(NetworkFileFuzz, DemoNetworkMutations) {
    RunCases(DemoSeed(), 4112, 150, "demo");
}

}  // namespace
