// The demo network: a small company network to learn the program on. Its network.toml
// writes out every key, defaults included, with comments, so that it also teaches the format.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "netware/sim/sim_core.h"
#include "netware/sim/sim_names.h"
#include "netware/sim/sim_network.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace sim {

namespace {

const char* kDemoToml =
    R"(# The demo network of Farcast: a simulated NetWare network in this directory.
#
# Each [[server]] is a folder of this directory, each of its [[server.volume]] a folder of
# that one: the files you put there appear on the network with default NetWare metadata.
# The NetWare metadata (attributes, rights masks, trustees, 8.3 aliases, compression) is kept
# in .netsim/metadata.db; change it with farcast-netsim (attr, irm, trustee, compress).
#
# Accounts of the demo:
#   ACME_HQ     the primary server, logged in at start as ADMIN (through the tree)
#   ACME_SALES  Directory Services: Farcast logs in through the tree, no password asked
#   LEGACY_FS   NetWare 3.12 bindery server: log in as SUPERVISOR, password NETWARE
#               (GUEST, no password, has an expired password)
#   OLD_PRINT   NetWare 3.11 bindery server: SUPERVISOR / NETWARE

tree = "ACME_TREE"                 # Directory Services tree; leave out on a bindery-only network

[workstation]
primary_server = "ACME_HQ"         # required: the primary connection's server, always logged in
login_name = "ADMIN"               # required: the user on the primary connection
ds_authenticated = true            # the workstation is authenticated to the tree (default false)

[workstation.drives]               # mapped drive letters (optional)
F = '\\ACME_HQ\SYS'
G = '\\ACME_HQ\DATA'
X = '\\ACME_HQ\DATA\APPS'

[[server]]
name = "ACME_HQ"                   # at most 47 characters, upper case
version = "4.11"                   # major.minor (default "4.11")
directory_services = true          # runs Directory Services (default false)
connection = "logged_in"           # at start: "none", "attached" or "logged_in" (default "none")
listed = true                      # in the primary's bindery scan (default true)
latency_ms = 0                     # round-trip time of every call to the server, in ms (default 0)

  [[server.volume]]
  name = "SYS"
  long_names = true                # long name space: names up to 255 characters (default true)
  compression = false              # the volume compresses files, on servers >= 4 (default false)
  block_size = 4096                # bytes, a multiple of 512 (default 4096)
  total_blocks = 4194304           # capacity in blocks (default 4194304, 16 GiB here)

  [[server.volume]]
  name = "DATA"
  long_names = true
  compression = false
  block_size = 4096
  total_blocks = 4194304

  [[server.volume]]
  name = "ARCHIVE"
  long_names = true
  compression = true               # files here may be stored compressed
  block_size = 8192
  total_blocks = 262144

  [[server.user]]                  # bindery accounts of the server
  name = "ADMIN"
  password = "SECRET"              # compared upper-cased, as the client upper-cases
  expired = false                  # true: the login succeeds with 0x89DF (default false)

[[server]]
name = "ACME_SALES"
version = "4.11"
directory_services = true
connection = "none"
listed = true
latency_ms = 2                     # a remote server: each call waits for its answer

  [[server.volume]]
  name = "SYS"
  long_names = true
  compression = false
  block_size = 4096
  total_blocks = 4194304

  [[server.volume]]
  name = "DATA"
  long_names = true
  compression = true
  block_size = 4096
  total_blocks = 1048576

  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
  expired = false

[[server]]
name = "ACME_BRANCH"
version = "4.10"
directory_services = true
connection = "attached"            # attached at start, not logged in
listed = true
latency_ms = 3

  [[server.volume]]
  name = "DATA"
  long_names = true
  compression = false
  block_size = 4096
  total_blocks = 524288            # a small volume: 2 GiB

[[server]]
name = "LEGACY_FS"
version = "3.12"                   # NetWare 3: bindery only, never compresses
directory_services = false
connection = "none"
listed = true
latency_ms = 5

  [[server.volume]]
  name = "SYS"
  long_names = true
  compression = false
  block_size = 4096
  total_blocks = 1048576

  [[server.volume]]
  name = "DOSDATA"
  long_names = false               # DOS name space only: upper-case 8.3 names
  compression = false
  block_size = 4096
  total_blocks = 262144

  [[server.user]]
  name = "SUPERVISOR"
  password = "NETWARE"
  expired = false

  [[server.user]]
  name = "GUEST"
  password = ""
  expired = true

[[server]]
name = "OLD_PRINT"
version = "3.11"
directory_services = false
connection = "none"
listed = true
latency_ms = 5

  [[server.volume]]
  name = "SYS"
  long_names = false
  compression = false
  block_size = 4096
  total_blocks = 131072

  [[server.user]]
  name = "SUPERVISOR"
  password = "NETWARE"
  expired = false

# Directory Services objects, for trustee transfer: each object's ID on each server.
[[object]]
name = "CN=Admin.O=ACME"
ids = { ACME_HQ = 0x01000001, ACME_SALES = 0x02000001, ACME_BRANCH = 0x03000001 }

[[object]]
name = "CN=JSmith.OU=Sales.O=ACME"
ids = { ACME_HQ = 0x01000011, ACME_SALES = 0x02000011, ACME_BRANCH = 0x03000011 }

[[object]]
name = "CN=Sales.OU=Sales.O=ACME"
ids = { ACME_HQ = 0x01000021, ACME_SALES = 0x02000021 }   # unknown on ACME_BRANCH

# Faults make calls fail, to see how Farcast reports them. Remove the # to try one:
# [[fault]]
# call = "NWGetVolumeNumber"       # any NetWare operation or file-service function by name
# server = "ACME_BRANCH"           # optional: only calls that concern this server
# path = '\\ACME_BRANCH\DATA\*'    # optional: wildcard pattern over the call's path
# code = 0x89FF                    # completion code, or Windows error code for file services
# times = 1                        # optional: only the first N matching calls (default all)
)";

struct DemoFile {
    const char* path;
    const char* content;
};

const DemoFile kFiles[] = {
    {"ACME_HQ/SYS/PUBLIC/LOGIN.EXE", "demo program\n"},
    {"ACME_HQ/SYS/PUBLIC/System Readme.txt", "The public directory of ACME_HQ.\n"},
    {"ACME_HQ/DATA/PROJECTS/README.TXT", "Projects of ACME. Drop this folder on the servers.\n"},
    {"ACME_HQ/DATA/PROJECTS/Quarterly Report 1996.txt",
     "Quarterly report\nSales rose in every region.\n"},
    {"ACME_HQ/DATA/PROJECTS/Budget Forecast.csv", "year,budget\n1996,100000\n1997,125000\n"},
    {"ACME_HQ/DATA/PROJECTS/Website Redesign/index.html", "<html><body>ACME</body></html>\n"},
    {"ACME_HQ/DATA/PROJECTS/Website Redesign/Style Sheet.css", "body { color: navy; }\n"},
    {"ACME_HQ/DATA/PROJECTS/Website Redesign/images/logo.txt", "[the ACME logo]\n"},
    {"ACME_HQ/DATA/PROJECTS/Confidential Notes.txt", "A hidden file.\n"},
    {"ACME_HQ/DATA/APPS/TOOLS/Setup Program.exe", "demo installer\n"},
    {"ACME_HQ/DATA/APPS/TOOLS/CONFIG.INI", "[tools]\nmode=demo\n"},
    {"ACME_HQ/ARCHIVE/1995 Sales Archive.txt", nullptr},
    {"ACME_SALES/DATA/PROJECTS/Old Report.txt", "An older copy on the sales server.\n"},
    {"LEGACY_FS/DOSDATA/REPORTS/Q1.TXT", "First quarter\n"},
    {"LEGACY_FS/DOSDATA/REPORTS/Q2.TXT", "Second quarter\n"},
    {"LEGACY_FS/SYS/PUBLIC/README.TXT", "A NetWare 3 server.\n"},
};

const char* kEmptyDirs[] = {"ACME_SALES/SYS/PUBLIC", "ACME_SALES/DATA/INCOMING",
                            "ACME_BRANCH/DATA/INCOMING", "OLD_PRINT/SYS/QUEUES"};

bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

// Creates path and the directories on the way inside the demo's own directory, never through
// anything that is already there but a directory.
bool MakeDirs(const std::string& base, const std::string& relative) {
    std::string path = base;
    for (const std::string& part : SplitPath(relative, true)) {
        path += "/" + part;
        if (::mkdir(path.c_str(), 0755) != 0 && !(errno == EEXIST && StatPath(path).isDir))
            return false;
    }
    return true;
}

// A new file with its content; an existing name (or a link put there) is never written.
bool WriteNewFile(const std::string& path, const std::string& content) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && done == content.size();
}

// The demo goes into a new directory or an empty one: never over files a user has there.
bool FreshDirectory(const std::string& dir, std::string* error) {
    DiskStat st = StatPath(dir);
    if (!st.ok) {
        std::error_code ec;
        std::filesystem::path parent = std::filesystem::path(dir).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent, ec);
        if (::mkdir(dir.c_str(), 0755) != 0)
            return Fail(error, FormatText(LoadResString(IDS_SIM_CANNOT_CREATE), dir.c_str(),
                                          std::strerror(errno)));
        return true;
    }
    if (!st.isDir)
        return Fail(error, FormatText(LoadResString(IDS_SIM_DEMO_NOT_A_DIRECTORY), dir.c_str()));
    if (StatPath(dir + "/network.toml").ok)
        return Fail(error, FormatText(LoadResString(IDS_SIM_DEMO_EXISTS), dir.c_str()));
    std::error_code ec;
    if (!std::filesystem::is_empty(dir, ec) || ec)
        return Fail(error, FormatText(LoadResString(IDS_SIM_DEMO_NOT_EMPTY), dir.c_str()));
    return true;
}

}  // namespace

bool CreateDemoNetwork(const std::string& dir, std::string* error) {
    if (!FreshDirectory(dir, error))
        return false;
    const std::string tomlPath = dir + "/network.toml";
    if (!WriteNewFile(tomlPath, kDemoToml))
        return Fail(error, FormatText(LoadResString(IDS_SIM_CANNOT_CREATE), tomlPath.c_str(),
                                      std::strerror(errno)));
    std::string archive;
    for (int i = 0; i < 400; ++i)
        archive += "1995-" + std::to_string(i % 12 + 1) + " order " + std::to_string(i) +
                   ": 12 widgets, shipped\n";
    for (const DemoFile& f : kFiles) {
        const std::string relative = f.path;
        const std::size_t slash = relative.rfind('/');
        if (!MakeDirs(dir, relative.substr(0, slash)) ||
            !WriteNewFile(dir + "/" + relative, f.content ? f.content : archive))
            return Fail(error, FormatText(LoadResString(IDS_SIM_CANNOT_CREATE),
                                          (dir + "/" + relative).c_str(), std::strerror(errno)));
    }
    for (const char* d : kEmptyDirs) {
        if (!MakeDirs(dir, d))
            return Fail(error, FormatText(LoadResString(IDS_SIM_CANNOT_CREATE),
                                          (dir + "/" + d).c_str(), std::strerror(errno)));
    }

    std::unique_ptr<SimNetwork> net = SimNetwork::Open(dir, error);
    if (!net)
        return false;
    const std::string hq = "\\\\ACME_HQ\\DATA\\PROJECTS";
    std::string why;
    bool ok =
        net->SetAttributes(hq + "\\README.TXT", 0x00000021, &why) &&
        net->SetAttributes(hq + "\\Confidential Notes.txt", 0x00000022, &why) &&
        net->SetAttributes("\\\\ACME_HQ\\DATA\\APPS\\TOOLS\\Setup Program.exe", 0x000000A1, &why) &&
        net->SetInheritedRightsMask(hq, 0x00FB, &why) &&
        net->SetInheritedRightsMask(hq + "\\Website Redesign", 0x00DB, &why) &&
        net->SetTrustee(hq, "CN=JSmith.OU=Sales.O=ACME", 0x00FB, &why) &&
        net->SetTrustee(hq, "CN=Sales.OU=Sales.O=ACME", 0x0041, &why) &&
        net->SetTrustee(hq + "\\Budget Forecast.csv", "CN=Admin.O=ACME", 0x00FF, &why) &&
        net->SetTrustee(hq + "\\Website Redesign", "CN=JSmith.OU=Sales.O=ACME", 0x0003, &why) &&
        net->Compress("\\\\ACME_HQ\\ARCHIVE\\1995 Sales Archive.txt", &why);
    if (!ok)
        return Fail(error, why);
    return true;
}

}  // namespace sim
