// Shows that a lookup or a metadata update on a simulated volume costs the same whether the
// volume holds 100 or 100,000 files: every call goes through indexes (the store's, and one
// name index per directory kept up to date), never through a scan. Prints microseconds per
// call for both sizes. A benchmark, not a test: nothing here passes or fails.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "netware/netware_client.h"
#include "netware/sim/sim_network.h"
#include "platform/file_services.h"

namespace {

const char* kToml = R"([workstation]
primary_server = "S"
login_name = "ADMIN"
[[server]]
name = "S"
  [[server.volume]]
  name = "VOL"
)";

double MicrosPerCall(int calls, const std::function<void(int)>& call) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        call(i);
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count() / calls;
}

void Measure(int files) {
    std::string root = "/tmp/farcast-bench-XXXXXX";
    if (!mkdtemp(root.data()))
        return;
    std::ofstream(root + "/network.toml") << kToml;
    std::string dir = root + "/S/VOL/BIG";
    std::filesystem::create_directories(dir);
    for (int i = 0; i < files; ++i) {
        int fd =
            ::open((dir + "/file" + std::to_string(i) + ".txt").c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    std::string error;
    auto net = sim::SimNetwork::Open(root, &error);
    if (!net) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    net->Install();
    NWCONN_HANDLE conn = 0;
    NetWare().NWGetPrimaryConnectionID(&conn);
    auto name = [files](int i) { return "file" + std::to_string((i * 7919) % files) + ".txt"; };
    // Warm up: the first space query of a volume counts its content once, and the first
    // case-blind lookup of a directory builds its name index once.
    win::Files().GetFileAttributes(("\\\\S\\VOL\\BIG\\" + name(0)).c_str());
    win::Files().GetFileAttributes("\\\\S\\VOL\\BIG\\FILE1.TXT");
    std::uint32_t available = 0;
    NetWare().NWGetVolumeInfoWithNumber(conn, 0, nullptr, nullptr, nullptr, &available, nullptr,
                                        nullptr, nullptr);
    const int calls = 2000;
    // Entries get their metadata row when first touched; the measured calls find it there.
    MicrosPerCall(calls, [&](int i) {
        win::Files().GetFileAttributes(("\\\\S\\VOL\\BIG\\" + name(i)).c_str());
    });
    double exact = MicrosPerCall(calls, [&](int i) {
        win::Files().GetFileAttributes(("\\\\S\\VOL\\BIG\\" + name(i)).c_str());
    });
    double caseBlind = MicrosPerCall(calls, [&](int i) {
        std::string n = name(i);
        for (char& c : n)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        win::Files().GetFileAttributes(("\\\\S\\VOL\\BIG\\" + n).c_str());
    });
    double info = MicrosPerCall(calls, [&](int i) {
        EntryInfo e;
        NetWare().NWGetNSEntryInfo(conn, 0, ("VOL:BIG\\" + name(i)).c_str(), 4, 4, 0xFB, 0x098E,
                                   &e);
    });
    double update = MicrosPerCall(calls, [&](int i) {
        NWEntryDOSInfo dos;
        dos.attributes = 0x20 | (i & 1);
        dos.inheritanceRevokeMask = 0x0010;
        NetWare().NWSetNSEntryDOSInfo(conn, 0, ("VOL:BIG\\" + name(i)).c_str(), 4, 6,
                                      nw::DM_ATTRIBUTES | nw::DM_INHERITED_RIGHTS_MASK, &dos);
    });
    double space = MicrosPerCall(calls, [&](int) {
        std::uint32_t avail = 0;
        NetWare().NWGetVolumeInfoWithNumber(conn, 0, nullptr, nullptr, nullptr, &avail, nullptr,
                                            nullptr, nullptr);
    });
    std::printf(
        "%7d files: lookup %6.1f us, case-blind lookup %6.1f us, entry info %6.1f us, "
        "metadata update %6.1f us, free space %6.1f us\n",
        files, exact, caseBlind, info, update, space);
    SetNetWare(nullptr);
    win::SetFiles(&sim::LocalFileServices());
    net.reset();
    std::filesystem::remove_all(root);
}

}  // namespace

int main() {
    // Each size twice, so that noise from other programs shows.
    for (int files : {100, 100000, 100, 100000})
        Measure(files);
    return 0;
}
