#pragma once
// The textual forms of NetWare paths and the conversions several stages share.

#include <string>

#include "platform/window_system.h"

// Rewrites a path on a NetWare volume (mapped drive or UNC, short or long names) into the
// canonical form with long names: \\SERVER\VOLUME\path with server, \VOLUME\path without.
// False when the path is not on a reachable NetWare volume (path then holds it upper-cased).
bool CanonicalNetWarePath(std::string& path, bool withServer);

// The text to show for path in a dialog control: leading directories dropped behind " ...\"
// until it fits the control, never the last component. Cannot fail.
std::string FitPathToControl(win::WindowId dialog, int control, const std::string& path);

// "%s\%s": a directory and one name below it.
std::string JoinPath(const std::string& directory, const std::string& name);
// The text after the last backslash (the whole text when there is none).
std::string LastComponent(const std::string& path);
