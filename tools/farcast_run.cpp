// farcast-run: the copy run of Farcast without a screen, for scheduled and scripted
// distribution. The same engine, settings store and log file as the desktop program; the
// window system is the scripted one, which prints every box and takes its answers from the
// command line.
//
//   farcast-run --select NAME[,NAME...] [--target \VOL\PATH] [--set ValueName=Value]...
//               [--answer yes|no|cancel|ok]... [--login USER:PASSWORD]... [--network DIR]
//               PATH...
//
// Exit status: 0 when the run reached its summary, 1 when it ended before copying, 2 for a
// usage error or an unusable network or settings store.

#include <strings.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#if __has_include(<CLI/CLI.hpp>)
#include <CLI/CLI.hpp>
#define FARCAST_RUN_HAS_CLI11 1
#endif

#include "copy/run_driver.h"
#include "netware/client_startup.h"
#include "netware/netware_client.h"
#include "netware/server_list.h"
#include "netware/sim/sim_network.h"
#include "platform/registry.h"
#include "platform/scripted_window_system.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "settings/option_values.h"
#include "settings/settings_store.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr int kExitSummary = 0;
constexpr int kExitEndedEarly = 1;
constexpr int kExitUsage = 2;

struct Arguments {
    std::vector<std::string> select;
    std::optional<std::string> target;
    std::vector<std::string> settings;  // "ValueName=Value"
    std::vector<std::string> answers;
    std::vector<std::string> logins;
    std::optional<std::string> network;
    std::vector<std::string> paths;
    bool help = false;
};

void PrintHelp() {
    for (unsigned id = IDS_RUN_HELP_FIRST; id <= IDS_RUN_HELP_LAST; ++id)
        std::cout << LoadResString(id) << '\n';
}

// A usage error: the reason, then how the program is called.
int UsageError(const std::string& message) {
    std::cerr << message << '\n' << LoadResString(IDS_RUN_HELP_FIRST) << '\n';
    return kExitUsage;
}

std::vector<std::string> SplitCommas(const std::vector<std::string>& values) {
    std::vector<std::string> names;
    for (const std::string& value : values) {
        std::size_t start = 0;
        while (start <= value.size()) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            if (comma > start)
                names.push_back(value.substr(start, comma - start));
            start = comma + 1;
        }
    }
    return names;
}

#ifdef FARCAST_RUN_HAS_CLI11

// Parses with CLI11; each repeatable option takes exactly one value per occurrence, so that the
// paths that follow are never taken for further values.
bool ParseArguments(int argc, char** argv, Arguments* args, std::string* error) {
    CLI::App app;
    app.set_help_flag();
    app.add_flag("--help", args->help);
    app.add_option("--select", args->select)->allow_extra_args(false);
    app.add_option("--target", args->target);
    app.add_option("--set", args->settings)->allow_extra_args(false);
    app.add_option("--answer", args->answers)->allow_extra_args(false);
    app.add_option("--login", args->logins)->allow_extra_args(false);
    app.add_option("--network", args->network);
    app.add_option("paths", args->paths);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        *error = FormatText(LoadResString(IDS_RUN_ERROR), e.what());
        return false;
    }
    args->select = SplitCommas(args->select);
    return true;
}

#else

// The same command line without CLI11: "--name value" or "--name=value", then paths; "--"
// ends the options.
bool ParseArguments(int argc, char** argv, Arguments* args, std::string* error) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            args->paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            args->help = true;
            continue;
        }
        std::string value;
        const auto equals = arg.find('=');
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
        }
        const bool known = arg == "--select" || arg == "--target" || arg == "--set" ||
                           arg == "--answer" || arg == "--login" || arg == "--network";
        if (!known) {
            *error = FormatText(LoadResString(IDS_RUN_UNKNOWN_OPTION), arg.c_str());
            return false;
        }
        if (equals == std::string::npos) {
            if (i + 1 >= argc) {
                *error = FormatText(LoadResString(IDS_RUN_MISSING_VALUE), arg.c_str());
                return false;
            }
            value = argv[++i];
        }
        if (arg == "--select")
            args->select.push_back(value);
        else if (arg == "--target")
            args->target = value;
        else if (arg == "--set")
            args->settings.push_back(value);
        else if (arg == "--answer")
            args->answers.push_back(value);
        else if (arg == "--login")
            args->logins.push_back(value);
        else
            args->network = value;
    }
    args->select = SplitCommas(args->select);
    return true;
}

#endif

bool ParseAnswer(const std::string& text, int* answer) {
    static const struct {
        const char* name;
        int answer;
    } kAnswers[] = {
        {"yes", win::IDYES}, {"no", win::IDNO}, {"cancel", win::IDCANCEL}, {"ok", win::IDOK}};
    for (const auto& entry : kAnswers) {
        if (strcasecmp(text.c_str(), entry.name) == 0) {
            *answer = entry.answer;
            return true;
        }
    }
    return false;
}

// A path as the run expects it: local paths under the network root become network paths;
// other local paths stay local (the run's source check refuses them with its message).
std::string DropPath(const std::string& path) {
    const bool networkForm =
        path.rfind("\\\\", 0) == 0 ||
        (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])));
    if (networkForm)
        return path;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec).lexically_normal();
    if (ec)
        return path;
    if (!absolute.has_filename() && absolute.has_parent_path())
        absolute = absolute.parent_path();  // "dir/" names dir itself
    std::string netPath;
    if (NetWare().LocalPathToNetWarePath(absolute.string(), &netPath))
        return netPath;
    // The same place reached through symbolic links.
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ec);
    if (!ec && NetWare().LocalPathToNetWarePath(resolved.string(), &netPath))
        return netPath;
    return absolute.string();
}

// The settings store can be read (a missing key only means that the defaults apply).
bool SettingsStoreUsable(std::uint32_t* code) {
    win::HKEY key = 0;
    *code = win::RegOpenKeyEx(win::HKEY_CURRENT_USER, LoadResString(IDS_REG_SETTINGS_KEY), &key);
    if (*code == win::ERROR_SUCCESS)
        win::RegCloseKey(key);
    return *code == win::ERROR_SUCCESS || *code == win::ERROR_FILE_NOT_FOUND;
}

int Run(const Arguments& args) {
    win::ScriptedWindowSystem ui;
    ui.keepHistory = false;
    ui.echo = &std::cout;
    for (const std::string& text : args.answers) {
        int answer = 0;
        if (!ParseAnswer(text, &answer))
            return UsageError(FormatText(LoadResString(IDS_RUN_BAD_ANSWER), text.c_str()));
        ui.answers.push_back(answer);
    }
    for (const std::string& login : args.logins) {
        if (login.find(':') == std::string::npos)
            return UsageError(FormatText(LoadResString(IDS_RUN_BAD_LOGIN), login.c_str()));
        ui.logins.push_back(login);
    }
    if (args.select.empty() || args.paths.empty())
        return UsageError(LoadResString(IDS_RUN_NOTHING_TO_DO));

    std::string error;
    const std::string root = args.network ? *args.network : sim::SimNetwork::DefaultRoot();
    std::unique_ptr<sim::SimNetwork> network = sim::SimNetwork::Open(root, &error);
    if (!network) {
        std::cerr << FormatText(LoadResString(IDS_RUN_NETWORK_UNUSABLE), error.c_str()) << '\n';
        return kExitUsage;
    }
    network->Install();
    win::SetUi(&ui);
    struct Uninstall {
        ~Uninstall() {
            win::SetDialogCancelHandler(nullptr);
            win::SetUi(nullptr);
            SetNetWare(nullptr);
            win::SetFiles(nullptr);
        }
    } uninstall;

    std::uint32_t code = 0;
    if (!SettingsStoreUsable(&code)) {
        std::cerr << FormatText(LoadResString(IDS_RUN_SETTINGS_UNUSABLE), code) << '\n';
        return kExitUsage;
    }
    LoadOptions();
    for (const std::string& setting : args.settings)
        if (!ApplyOptionSetting(setting, &error))
            return UsageError(error);

    // The client start-up and the server scan show their own messages.
    if (!StartNetWareClient() || !FillServerList())
        return kExitUsage;
    for (const std::string& name : args.select)
        if (!ui.SelectServerByName(name))
            return UsageError(FormatText(LoadResString(IDS_RUN_UNKNOWN_SERVER), name.c_str()));

    if (args.target) {
        // As the Copying page's "Select..." does: first in the history, and the selection
        // (also when the run puts the source folder in front of it).
        AddPathToHistory(*args.target);
        const std::string target = *args.target;
        ui.onOptionsSheet = [target](OptionsSheetModel& sheet) {
            const auto& items = sheet.ComboItems();
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (strcasecmp(items[i].c_str(), target.c_str()) == 0) {
                    sheet.SelectComboItem(static_cast<int>(i));
                    break;
                }
            }
        };
    }
    std::vector<std::string> drop;
    for (const std::string& path : args.paths)
        drop.push_back(DropPath(path));
    RunCopy(drop);
    return LastRunReachedSummary() ? kExitSummary : kExitEndedEarly;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, &args, &error))
        return UsageError(error);
    if (args.help) {
        PrintHelp();
        return kExitSummary;
    }
    return Run(args);
}
