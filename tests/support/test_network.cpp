#include "tests/support/test_network.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <toml++/toml.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// The network that is installed as NetWare() and Files(), if one of ours is.
const sim::SimNetwork* g_installed = nullptr;

void Uninstall(const sim::SimNetwork* net) {
    if (net && g_installed == net) {
        SetNetWare(nullptr);
        win::SetFiles(&sim::LocalFileServices());
        g_installed = nullptr;
    }
}

}  // namespace

TestNetwork::TestNetwork(const std::string& networkToml) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/farcast-net-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    std::ofstream(root_ + "/network.toml") << networkToml;
    // Every volume gets its directory, as the simulator expects them; a file that does not
    // parse is left for the test to open (and see the message).
    try {
        toml::table t = toml::parse(networkToml);
        if (const toml::array* servers = t["server"].as_array()) {
            for (const toml::node& s : *servers) {
                const toml::table* server = s.as_table();
                if (!server)
                    continue;
                std::string name = server->get_as<std::string>("name")
                                       ? server->get_as<std::string>("name")->get()
                                       : "";
                const toml::array* volumes = (*server)["volume"].as_array();
                for (std::size_t i = 0; volumes && !name.empty() && i < volumes->size(); ++i) {
                    const toml::table* v = (*volumes)[i].as_table();
                    if (v && v->get_as<std::string>("name"))
                        std::filesystem::create_directories(root_ + "/" + name + "/" +
                                                            v->get_as<std::string>("name")->get());
                }
            }
        }
    } catch (const toml::parse_error&) {
    }
}

TestNetwork::~TestNetwork() {
    Uninstall(net_.get());
    net_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TestNetwork::LocalPath(const std::string& relative) const {
    return root_ + "/" + relative;
}

void TestNetwork::WriteFile(const std::string& relative, const std::string& content,
                            std::int64_t mtime) {
    std::string path = LocalPath(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    if (mtime >= 0) {
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(mtime);
        times[0].tv_nsec = times[1].tv_nsec = 0;
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

void TestNetwork::MakeDir(const std::string& relative) {
    std::filesystem::create_directories(LocalPath(relative));
}

std::string TestNetwork::ReadFile(const std::string& relative) const {
    std::ifstream in(LocalPath(relative), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TestNetwork::Exists(const std::string& relative) const {
    struct stat sb {};
    return ::lstat(LocalPath(relative).c_str(), &sb) == 0;
}

std::vector<std::string> TestNetwork::TemporaryFiles(const std::string& relativeDir) const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(LocalPath(relativeDir), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= 3 && (name.compare(0, 3, "FCT") == 0 || name.compare(0, 3, "fct") == 0))
            names.push_back(name);
    }
    return names;
}

std::string TestNetwork::JournalDir() const {
    return (std::filesystem::canonical(root_) / ".netsim" / "journal").string();
}

std::set<std::string> TestNetwork::Journals() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(JournalDir(), ec))
        names.insert(entry.path().filename().string());
    return names;
}

sim::SimNetwork& TestNetwork::Net() {
    if (!net_) {
        std::string error;
        net_ = sim::SimNetwork::Open(root_, &error);
        if (!net_) {
            ADD_FAILURE() << "the test network cannot be opened: " << error;
            throw std::runtime_error(error);
        }
        if (installed_) {
            net_->Install();
            g_installed = net_.get();
        }
    }
    return *net_;
}

void TestNetwork::Install() {
    Net().Install();
    g_installed = net_.get();
    installed_ = true;
}

void TestNetwork::Close() {
    Uninstall(net_.get());
    net_.reset();
}

std::string TestNetwork::Stat(const std::string& path) {
    std::string out, error;
    if (!Net().Stat(path, &out, &error))
        ADD_FAILURE() << "stat " << path << ": " << error;
    return out;
}

sim::EntryMeta TestNetwork::Meta(const std::string& path) {
    sim::EntryMeta meta;
    std::string error;
    if (!Net().GetEntryMeta(path, &meta, &error))
        ADD_FAILURE() << "no entry " << path << ": " << error;
    return meta;
}

std::string HqAndAlphaNetwork(int alphaLatencyMs) {
    return R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
[[server]]
name = "ALPHA"
connection = "logged_in"
latency_ms = )" +
           std::to_string(alphaLatencyMs) +
           R"(
  [[server.volume]]
  name = "DATA"
)";
}
