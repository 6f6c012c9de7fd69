// The desktop program before its window: --version and --help need no display, and without a
// display it says so in one line and ends with status 2 instead of aborting.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup_options.h"

namespace {

std::map<std::string, std::string> g_environment;

const char* Lookup(const char* name) {
    const auto it = g_environment.find(name);
    return it == g_environment.end() ? nullptr : it->second.c_str();
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Start(std::vector<std::string> args, std::map<std::string, std::string> environment) {
    g_environment = std::move(environment);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    std::ostringstream out, err;
    const int status =
        HandleStartupOptions(static_cast<int>(argv.size()), argv.data(), &Lookup, out, err);
    return {status, out.str(), err.str()};
}

const std::string kNoDisplay =
    "farcast: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set). Use "
    "farcast-run for copies without a screen.\n";

TEST(StartupOptions, VersionAndHelpNeedNoDisplay) {
    const Outcome version = Start({"farcast", "--version"}, {});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("farcast ") + FARCAST_VERSION + "\n");
    for (const char* help : {"--help", "-h"}) {
        const Outcome shown = Start({"farcast", help}, {});
        EXPECT_EQ(shown.status, 0) << help;
        EXPECT_EQ(shown.out.rfind("Usage: farcast [--help] [--version]\n", 0), 0u) << shown.out;
        EXPECT_TRUE(shown.err.empty());
    }
}

TEST(StartupOptions, WithoutADisplayOneLineAndStatusTwo) {
    const struct {
        std::map<std::string, std::string> environment;
        int status;
    } kCases[] = {
        {{}, 2},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 2},
        {{{"DISPLAY", ":0"}}, -1},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, -1},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, -1},
    };
    for (const auto& c : kCases) {
        const Outcome started = Start({"farcast"}, c.environment);
        EXPECT_EQ(started.status, c.status);
        EXPECT_EQ(started.err, c.status == 2 ? kNoDisplay : "");
        EXPECT_TRUE(started.out.empty());
    }
    // Qt's own options name a display or a platform themselves.
    EXPECT_EQ(Start({"farcast", "-display", ":1"}, {}).status, -1);
    EXPECT_EQ(Start({"farcast", "-platform", "offscreen"}, {}).status, -1);
}

}  // namespace
