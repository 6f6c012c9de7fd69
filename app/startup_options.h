#pragma once
// What the desktop program does before it opens a window: --version and --help are answered
// without a display, and without a display to open a window on it says so in one line instead
// of aborting inside the GUI library. Other arguments are left to the GUI library.

#include <ostream>

// The exit status when the program ends here (--version, --help: 0; no display: 2), or -1
// when it is to start. environment looks up a variable (getenv in the program).
int HandleStartupOptions(int argc, char** argv, const char* (*environment)(const char*),
                         std::ostream& out, std::ostream& err);
