#pragma once
// A simulated network built by a test in a fresh temporary directory and removed afterwards.
//
//   TestNetwork net(R"(
//     [workstation]
//     primary_server = "HQ"
//     login_name = "ADMIN"
//     [[server]]
//     name = "HQ"
//     connection = "logged_in"
//       [[server.volume]]
//       name = "DATA"
//   )");
//   net.WriteFile("HQ/DATA/proj/a.txt", "hello");
//   net.Install();               // opens the network, SetNetWare + SetFiles
//   ... \\HQ\DATA\PROJ\A.TXT is now reachable through NetWare() and win::Files() ...

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "netware/sim/sim_network.h"

class TestNetwork {
  public:
    explicit TestNetwork(const std::string& networkToml);
    ~TestNetwork();
    TestNetwork(const TestNetwork&) = delete;
    TestNetwork& operator=(const TestNetwork&) = delete;

    const std::string& Root() const { return root_; }
    // Local path of "SERVER/VOLUME/dir/name" under the root.
    std::string LocalPath(const std::string& relative) const;

    // Files and directories put into the trees by hand (they appear with default metadata).
    // mtime: seconds since the epoch, or -1 to leave the current time.
    void WriteFile(const std::string& relative, const std::string& content,
                   std::int64_t mtime = -1);
    void MakeDir(const std::string& relative);
    std::string ReadFile(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Names of the temporary copy files ("FCT...", in either case) in a directory
    // ("SERVER/VOLUME/dir").
    std::vector<std::string> TemporaryFiles(const std::string& relativeDir) const;
    // The folder of the journals of work under way (ROOT/.netsim/journal), and the names in it.
    std::string JournalDir() const;
    std::set<std::string> Journals() const;

    // Opens the network on first use (the test fails when it cannot be opened).
    sim::SimNetwork& Net();
    // Opens the network if needed and installs it as NetWare() and win::Files().
    void Install();
    // Closes the network, so that the next Net() reopens it from disk (and installs it again
    // when it was installed).
    void Close();

    // The entry's metadata as `farcast-netsim stat` prints it (key=value lines); the test fails
    // when path names no entry.
    std::string Stat(const std::string& path);
    // The entry's metadata for assertions (attributes, rights mask, trustees...); the test fails
    // when path names no entry.
    sim::EntryMeta Meta(const std::string& path);

  private:
    std::string root_;
    std::unique_ptr<sim::SimNetwork> net_;
    bool installed_ = false;
};

// The network of runs from one server's sources to another: HQ (the primary) and ALPHA, both
// logged in, each with a volume DATA. alphaLatencyMs: the round-trip time of ALPHA's calls.
std::string HqAndAlphaNetwork(int alphaLatencyMs = 0);
