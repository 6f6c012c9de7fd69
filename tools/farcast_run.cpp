// farcast-run: the copy run of Farcast without a screen, for scheduled and scripted
// distribution. The same engine, settings store and log file as the desktop program; the
// window system is the scripted one, which prints every box and takes its answers from the
// command line.
//
//   farcast-run --select NAME[,NAME...] [--target \VOL\PATH] [--set ValueName=Value]...
//               [--answer yes|no|cancel|ok]... [--login USER:PASSWORD]... [--login-file FILE]
//               [--network DIR] [--dry-run] [--parallel N] [-q|-v] PATH...
//
// After the summary it prints one [server] line per selected server and one [skipped] line
// per name left out; error texts and [skipped] lines also go to standard error. At a
// terminal it keeps a progress line on standard error and asks there what the command line
// does not answer. SIGINT, SIGTERM and SIGHUP act as the copy dialog's Cancel. Exit
// statuses: tools/run_results.h.

#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "copy/copy_run.h"
#include "copy/run_driver.h"
#include "dryrun/dry_run.h"
#include "netware/client_startup.h"
#include "netware/netware_client.h"
#include "netware/server_list.h"
#include "netware/sim/sim_network.h"
#include "platform/registry.h"
#include "resources/string_ids.h"
#include "scripted/scripted_window_system.h"
#include "settings/copy_options.h"
#include "settings/option_values.h"
#include "settings/settings_store.h"
#include "tools/done_lines.h"
#include "tools/drop_paths.h"
#include "tools/login_file.h"
#include "tools/open_network.h"
#include "tools/parallel_passes.h"
#include "tools/run_results.h"
#include "tools/run_window_system.h"
#include "tools/terminal_questions.h"
#include "tools/terminal_session.h"
#include "util/format_text.h"
#include "util/stop_signals.h"
#include "util/string_table.h"

namespace {

struct Arguments {
    std::vector<std::string> select;
    std::optional<std::string> target;
    std::vector<std::string> settings;  // "ValueName=Value"
    std::vector<std::string> answers;
    std::vector<std::string> logins;
    std::optional<std::string> loginFile;
    std::optional<std::string> network;
    std::vector<std::string> paths;
    std::string parallel = "1";
    bool dryRun = false;
    bool quiet = false;
    bool verbose = false;
    bool help = false;
    bool version = false;
};

void PrintLines(unsigned first, unsigned last) {
    for (unsigned id = first; id <= last; ++id)
        std::cout << LoadResString(id) << '\n';
}

// The options, what a terminal changes, every --set name with its meaning and default, the
// exit statuses.
void PrintHelp() {
    PrintLines(IDS_BATCH_RUN_HELP_FIRST, IDS_BATCH_RUN_HELP_DRY_RUN);
    PrintLines(IDS_PARALLEL_HELP, IDS_PARALLEL_HELP);
    PrintLines(IDS_BATCH_RUN_HELP_DRY_RUN + 1, IDS_BATCH_RUN_HELP_LAST - 2);
    PrintLines(IDS_TERM_HELP_OPTIONS_FIRST, IDS_TERM_HELP_OPTIONS_LAST);
    std::cout << '\n';
    PrintLines(IDS_TERM_HELP_NOTES_FIRST, IDS_TERM_HELP_NOTES_LAST);
    std::cout << '\n';
    PrintLines(IDS_TERM_HELP_SET_FIRST, IDS_TERM_HELP_SET_LAST);
    std::cout << '\n';
    PrintLines(IDS_BATCH_RUN_HELP_LAST - 1, IDS_BATCH_RUN_HELP_LAST);
}

// A usage error: the reason, then how the program is called.
int UsageError(const std::string& message) {
    std::cerr << message << '\n' << LoadResString(IDS_BATCH_RUN_HELP_FIRST) << '\n';
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

// Each repeatable option takes exactly one value per occurrence, so that the paths that follow
// are never taken for further values.
bool ParseArguments(int argc, char** argv, Arguments* args, std::string* error) {
    CLI::App app;
    app.set_help_flag();
    app.add_flag("-h,--help", args->help);
    app.add_flag("--version", args->version);
    app.add_flag("--dry-run", args->dryRun);
    app.add_flag("-q,--quiet", args->quiet);
    app.add_flag("-v,--verbose", args->verbose);
    app.add_option("--select", args->select)->allow_extra_args(false);
    app.add_option("--target", args->target);
    app.add_option("--set", args->settings)->allow_extra_args(false);
    app.add_option("--answer", args->answers)->allow_extra_args(false);
    app.add_option("--login", args->logins)->allow_extra_args(false);
    app.add_option("--login-file", args->loginFile);
    app.add_option("--network", args->network);
    app.add_option("--parallel", args->parallel);
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

// The settings store can be read (a missing key only means that the defaults apply).
bool SettingsStoreUsable(std::uint32_t* code) {
    win::HKEY key = 0;
    *code = win::RegOpenKeyEx(win::HKEY_CURRENT_USER, LoadResString(IDS_REG_SETTINGS_KEY), &key);
    if (*code == win::ERROR_SUCCESS)
        win::RegCloseKey(key);
    return *code == win::ERROR_SUCCESS || *code == win::ERROR_FILE_NOT_FOUND;
}

// The Errors page's rule: answering every question unattended needs a log to keep the messages
// in, or they would go nowhere. Empty when the options are usable, else the page's message.
std::string UnattendedWithoutLog() {
    if (CopyOptions.UnattendedMode &&
        (!CopyOptions.CreateLogfile || CopyOptions.LogFileName.empty()))
        return LoadResString(IDS_LOG_NAME_REQUIRED);
    return {};
}

// What the user's Cancel does in the dialog that is open: the synchronisation dialog when there
// is one, else the progress dialog. With neither open the run stops at its next check.
void CancelLikeTheUser(win::ScriptedWindowSystem& ui) {
    for (const win::WindowId dialog : {SyncDialog, ProgressDialog}) {
        if (dialog != win::kNoWindow && ui.IsWindow(dialog)) {
            ui.CancelDialog(dialog);
            break;
        }
    }
    CancelRequested = true;
}

// The options sheet, as the Copying page's "Select..." leaves it: the target first in the
// history and selected (also when the run puts the source folder in front of it).
void SelectTarget(win::ScriptedWindowSystem& ui, const std::string& target) {
    AddPathToHistory(target);
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

// The engine's stand-ins, installed for the run and taken away when it ends.
struct InstalledServices {
    ~InstalledServices() {
        win::SetDialogCancelHandler(nullptr);
        win::SetUi(nullptr);
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
    }
};

// --parallel N: 1 to kMaxParallel.
constexpr unsigned kMaxParallel = 64;

bool ParseParallel(const std::string& text, unsigned* width) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxParallel)
        return false;
    *width = value;
    return true;
}

// Passes that run at the same time cannot put questions to anyone in a meaningful order:
// a run with more than one at a time must not need answers. 0, or the exit status.
int RefuseQuestions(const Arguments& args, unsigned width) {
    if (width <= 1)
        return 0;
    if (!args.answers.empty())
        return UsageError(FormatText(LoadResString(IDS_PARALLEL_NO_ANSWERS), width));
    for (const auto& [on, name] :
         {std::pair{CopyOptions.PromptOnOverwrite != 0, "PromptOnOverwrite"},
          std::pair{CopyOptions.PromptOnDeletion != 0, "PromptOnDeletion"}})
        if (on)
            return UsageError(FormatText(LoadResString(IDS_PARALLEL_NO_PROMPTS), width, name));
    return 0;
}

// Every --login, then the lines of --login-file. A login without its password is asked at the
// terminal, so it is accepted only when there is one.
bool CollectLogins(const Arguments& args, bool askable, std::deque<std::string>* logins,
                   int* status) {
    std::vector<std::string> all;
    for (const std::string& login : args.logins) {
        if (login.find(':') == std::string::npos && !askable) {
            *status = UsageError(FormatText(LoadResString(IDS_RUN_BAD_LOGIN), login.c_str()));
            return false;
        }
        all.push_back(login);
    }
    std::string error;
    if (args.loginFile && !ReadLoginFile(*args.loginFile, askable, &all, &error)) {
        std::cerr << error << '\n';
        *status = kExitUsage;
        return false;
    }
    logins->insert(logins->end(), all.begin(), all.end());
    return true;
}

int Run(const Arguments& args) {
    unsigned width = 1;
    if (!ParseParallel(args.parallel, &width))
        return UsageError(FormatText(LoadResString(IDS_PARALLEL_BAD_WIDTH), args.parallel.c_str()));
    RunWindowSystem ui;
    ui.keepHistory = false;
    ui.echo = &std::cout;
    ui.errors = &std::cerr;
    ui.quiet = args.quiet;
    if (args.quiet && args.verbose)
        return UsageError(LoadResString(IDS_TERM_QUIET_AND_VERBOSE));
    for (const std::string& text : args.answers) {
        int answer = 0;
        if (!ParseAnswer(text, &answer))
            return UsageError(FormatText(LoadResString(IDS_RUN_BAD_ANSWER), text.c_str()));
        ui.answers.push_back(answer);
    }
    int status = kExitUsage;
    if (!CollectLogins(args, TerminalQuestions::IsTerminal(STDIN_FILENO), &ui.logins, &status))
        return status;
    if (args.select.empty() || args.paths.empty())
        return UsageError(LoadResString(IDS_RUN_NOTHING_TO_DO));

    const std::string root = args.network ? *args.network : sim::SimNetwork::DefaultRoot();
    std::string error;
    std::unique_ptr<sim::SimNetwork> network =
        OpenNetworkAt(root, IDS_BATCH_RUN_NO_NETWORK, IDS_RUN_NETWORK_UNUSABLE, &error,
                      !args.dryRun);  // a dry run changes nothing, leftovers included
    if (!network) {
        std::cerr << error << '\n';
        return kExitUsage;
    }
    InstalledServices installed;
    std::ostream nowhere(nullptr);  // what -q leaves out of a dry run's plan
    std::optional<DryRun> dryRun;
    std::optional<DoneLines> doneLines;
    if (args.dryRun) {
        dryRun.emplace(network->Client(), network->FileServices(),
                       args.quiet ? nowhere : std::cout);
        dryRun->Install();
    } else {
        network->Install();
        if (args.verbose) {
            doneLines.emplace(network->Client(), network->FileServices(), std::cout);
            doneLines->Install();
        }
    }
    win::SetUi(&ui);

    std::uint32_t code = 0;
    if (!SettingsStoreUsable(&code)) {
        std::cerr << FormatText(LoadResString(IDS_RUN_SETTINGS_UNUSABLE), code) << '\n';
        return kExitUsage;
    }
    LoadOptions();
    for (const std::string& setting : args.settings)
        if (!ApplyOptionSetting(setting, &error))
            return UsageError(error);
    if (const std::string refused = UnattendedWithoutLog(); !refused.empty())
        return UsageError(refused);
    if (const int refused = RefuseQuestions(args, width))
        return refused;

    // The client start-up and the server scan show their own messages.
    if (!StartNetWareClient() || !FillServerList())
        return kExitUsage;
    for (const std::string& name : args.select)
        if (!ui.SelectServerByName(name))
            return UsageError(FormatText(LoadResString(IDS_RUN_UNKNOWN_SERVER), name.c_str()));
    if (args.target)
        SelectTarget(ui, *args.target);

    TerminalSession terminal(ui, !args.quiet && TerminalQuestions::IsTerminal(STDERR_FILENO));
    // Passes that run at the same time must not ask at the terminal: several would wait on it
    // at once, and their questions would come in no meaningful order.
    if (width > 1)
        ui.AskAt(nullptr, false);
    StopSignals stopSignals({SIGINT, SIGTERM, SIGHUP});
    terminal.WatchStopSignals(stopSignals.ReadFd());
    bool stoppedBySignal = false;
    ui.onPump = [&] {
        if (stopSignals.Take())
            stoppedBySignal = true;
        // Cancel again at every pump: a question answered Yes clears the request.
        if (stoppedBySignal)
            CancelLikeTheUser(ui);
        terminal.Pump();
    };
    if (width > 1) {
        ParallelPassesSetup passes;
        passes.width = width;
        passes.network = network.get();
        passes.ui = &ui;
        passes.stopFd = stopSignals.ReadFd();
        passes.stopRequested = [&] {
            return stoppedBySignal = stoppedBySignal || stopSignals.Take();
        };
        passes.cancelLikeTheUser = [&ui] { CancelLikeTheUser(ui); };
        if (terminal.ShowsProgress()) {
            passes.passProgress = [&terminal](std::uint64_t before) {
                return terminal.PassProgress(before);
            };
            passes.showProgress = [&terminal](const ProgressSnapshot& run) {
                terminal.ShowRun(run);
            };
        }
        SetServerTurns([passes] { RunParallelPasses(passes); });
    }
    const DropList drop = MakeDropList(args.paths, network->Root());
    RunCopyLeavingOut(drop.paths, drop.leftOut);
    SetServerTurns(nullptr);
    ui.onPump = nullptr;
    terminal.EndProgress();

    PrintServerLines(std::cout);
    PrintSkippedLines(std::cout);
    std::cout.flush();
    PrintSkippedLines(std::cerr);
    return RunExitStatus(stoppedBySignal);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, &args, &error))
        return UsageError(error);
    if (args.help) {
        PrintHelp();
        return kExitDone;
    }
    if (args.version) {
        std::cout << FormatText(LoadResString(IDS_BATCH_RUN_VERSION), FARCAST_VERSION) << '\n';
        return kExitDone;
    }
    return Run(args);
}
