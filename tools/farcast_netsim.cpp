// farcast-netsim: administration of a simulated NetWare network (demo, check, stat, attr, irm,
// trustee, compress, rebuild-store). Exit status 0 done, 1 problems found or the command failed (no
// network where it looks included), 2 usage.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "netware/sim/sim_network.h"
#include "resources/string_ids.h"
#include "tools/open_network.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

std::string Text(unsigned id) {
    return LoadResString(id);
}

void PrintHelp() {
    for (unsigned id : {IDS_NETSIM_ABOUT, IDS_NETSIM_USAGE, IDS_NETSIM_ROOT_RULE})
        std::printf("%s\n", Text(id).c_str());
    std::printf("\n%s\n", Text(IDS_NETSIM_COMMANDS).c_str());
    for (unsigned id : std::initializer_list<unsigned>{
             IDS_NETSIM_HELP_DEMO, IDS_NETSIM_HELP_CHECK, IDS_NETSIM_HELP_STAT,
             IDS_NETSIM_HELP_ATTR, IDS_NETSIM_HELP_IRM, IDS_NETSIM_HELP_TRUSTEE,
             IDS_NETSIM_HELP_COMPRESS, IDS_NETSIM_HELP_REBUILD, IDS_NETSIM_HELP_NETWORK,
             IDS_BATCH_NETSIM_HELP_VERSION, IDS_NETSIM_HELP_HELP})
        std::printf("%s\n", Text(id).c_str());
    std::printf("\n%s\n%s\n", Text(IDS_NETSIM_HELP_PATHS).c_str(),
                Text(IDS_NETSIM_HELP_EXIT).c_str());
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return kUsage;
}

int Failed(const std::string& message) {
    std::fprintf(stderr, "%s\n",
                 FormatText(Text(IDS_NETSIM_ERROR).c_str(), message.c_str()).c_str());
    return kFailed;
}

bool ParseHex(const std::string& text, std::uint32_t max, std::uint32_t* value) {
    std::string digits =
        text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    unsigned long v = std::strtoul(digits.c_str(), nullptr, 16);
    if (v > max)
        return false;
    *value = static_cast<std::uint32_t>(v);
    return true;
}

struct Request {
    std::string network;
    std::string command;
    std::vector<std::string> args;
};

// Number of arguments each command takes.
int ArgumentCount(const std::string& command) {
    if (command == "check" || command == "rebuild-store")
        return 0;
    if (command == "demo" || command == "stat" || command == "compress")
        return 1;
    if (command == "attr" || command == "irm")
        return 2;
    if (command == "trustee")
        return 3;
    return -1;
}

int Run(const Request& r) {
    int count = ArgumentCount(r.command);
    if (count < 0)
        return Usage(FormatText(Text(IDS_NETSIM_UNKNOWN_COMMAND).c_str(), r.command.c_str()));
    if (static_cast<int>(r.args.size()) != count)
        return Usage(FormatText(Text(IDS_NETSIM_ARGUMENT_COUNT).c_str(), r.command.c_str()));
    if (r.command == "demo") {
        std::string error;
        if (!sim::CreateDemoNetwork(r.args[0], &error))
            return Failed(error);
        std::printf("%s\n", FormatText(Text(IDS_NETSIM_DEMO_DONE).c_str(), r.args[0].c_str(),
                                       r.args[0].c_str())
                                .c_str());
        return kOk;
    }
    std::uint32_t value = 0;
    if (r.command == "attr" && !ParseHex(r.args[1], 0xFFFFFFFF, &value))
        return Usage(FormatText(Text(IDS_NETSIM_BAD_HEX).c_str(), r.args[1].c_str()));
    if (r.command == "irm" && !ParseHex(r.args[1], 0xFFFF, &value))
        return Usage(FormatText(Text(IDS_NETSIM_BAD_HEX).c_str(), r.args[1].c_str()));
    if (r.command == "trustee" && !ParseHex(r.args[2], 0xFFFF, &value))
        return Usage(FormatText(Text(IDS_NETSIM_BAD_HEX).c_str(), r.args[2].c_str()));

    std::string root = r.network.empty() ? sim::SimNetwork::DefaultRoot() : r.network;
    std::string error;
    if (r.command == "rebuild-store") {
        std::vector<std::string> lines;
        if (!sim::RebuildStore(root, &lines, &error))
            return Failed(error);
        for (const std::string& line : lines)
            std::printf("%s\n", line.c_str());
        return kOk;
    }
    std::unique_ptr<sim::SimNetwork> net =
        OpenNetworkAt(root, IDS_BATCH_NETSIM_NO_NETWORK, IDS_NETSIM_ERROR, &error);
    if (!net) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kFailed;
    }
    if (r.command == "check") {
        std::vector<std::string> problems = net->Check();
        for (const std::string& p : problems)
            std::printf("%s\n", p.c_str());
        if (!problems.empty()) {
            // The count follows the lines it counts, also where both streams go to one place.
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n",
                         FormatText(Text(IDS_NETSIM_CHECK_PROBLEMS).c_str(),
                                    static_cast<unsigned>(problems.size()))
                             .c_str());
            return kFailed;
        }
        std::printf("%s\n",
                    FormatText(Text(IDS_NETSIM_CHECK_OK).c_str(), net->Root().c_str()).c_str());
        return kOk;
    }
    bool ok = false;
    if (r.command == "stat") {
        std::string out;
        ok = net->Stat(r.args[0], &out, &error);
        if (ok)
            std::fputs(out.c_str(), stdout);
    } else if (r.command == "attr") {
        ok = net->SetAttributes(r.args[0], value, &error);
    } else if (r.command == "irm") {
        ok = net->SetInheritedRightsMask(r.args[0], static_cast<std::uint16_t>(value), &error);
    } else if (r.command == "trustee") {
        ok = net->SetTrustee(r.args[0], r.args[1], static_cast<std::uint16_t>(value), &error);
    } else if (r.command == "compress") {
        ok = net->Compress(r.args[0], &error);
    }
    return ok ? kOk : Failed(error);
}

int Parse(int argc, char** argv, Request* r) {
    CLI::App app{Text(IDS_NETSIM_ABOUT)};
    app.set_help_flag();  // --help prints the program's own text
    bool help = false;
    bool version = false;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    app.add_option("--network", r->network);
    app.add_option("command", r->command);
    app.add_option("arguments", r->args);
    app.allow_extras(false);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        if (what.find("--network") != std::string::npos)
            return Usage(Text(IDS_NETSIM_NETWORK_VALUE));
        return Usage(FormatText(Text(IDS_NETSIM_ERROR).c_str(), what.c_str()));
    }
    if (help) {
        PrintHelp();
        return kOk;
    }
    if (version) {
        std::printf("%s\n",
                    FormatText(Text(IDS_BATCH_NETSIM_VERSION).c_str(), FARCAST_VERSION).c_str());
        return kOk;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    Request r;
    int parsed = Parse(argc, argv, &r);
    if (parsed >= 0)
        return parsed;
    if (r.command.empty())
        return Usage(Text(IDS_NETSIM_NO_COMMAND));
    return Run(r);
}
