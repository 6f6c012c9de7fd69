#include "app/startup_options.h"

#include <cstring>

#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitNoDisplay = 2;

bool Set(const char* (*environment)(const char*), const char* name) {
    const char* value = environment(name);
    return value && *value;
}

// A platform plugin named explicitly (offscreen, vnc...) needs no display of its own; else
// the window goes to an X or Wayland display.
bool HasDisplay(const char* (*environment)(const char*)) {
    return Set(environment, "QT_QPA_PLATFORM") || Set(environment, "DISPLAY") ||
           Set(environment, "WAYLAND_DISPLAY");
}

}  // namespace

int HandleStartupOptions(int argc, char** argv, const char* (*environment)(const char*),
                         std::ostream& out, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            out << FormatText(LoadResString(IDS_TERM_FARCAST_VERSION), FARCAST_VERSION) << '\n';
            return kExitDone;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            for (unsigned id = IDS_TERM_FARCAST_HELP_FIRST; id <= IDS_TERM_FARCAST_HELP_LAST; ++id)
                out << LoadResString(id) << '\n';
            return kExitDone;
        }
    }
    // Qt's own -platform and -display name where the window goes.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "-display") == 0)
            return -1;
    if (!HasDisplay(environment)) {
        err << LoadResString(IDS_TERM_FARCAST_NO_DISPLAY) << '\n';
        return kExitNoDisplay;
    }
    return -1;
}
