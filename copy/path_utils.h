#pragma once
// The textual forms of NetWare paths and the conversions several stages share.

#include <string>

#include "platform/window_system.h"

// Rewrites a path on a NetWare volume (mapped drive or UNC, short or long names, any case) into
// the canonical form: \\SERVER\VOLUME\path with server, \VOLUME\path without, each component
// in the name its volume holds (the long name for an alias, the stored case for any spelling;
// upper case on a volume without long names). False, with path unchanged, when the path does
// not name an entry on a reachable NetWare volume.
bool CanonicalNetWarePath(std::string& path, bool withServer);
// The name the copy of a source item takes in its destination directory: its own last name, or
// its 8.3 alias toward a volume without long names from one with them (the run's current
// flags). Empty when the alias cannot be had (the copy says so).
std::string LandingName(const std::string& item);
// The same canonical form whatever its length, into *result (an 8.3 path can stand for a long
// path beyond the limit, which must then be refused rather than used in its short form).
bool CanonicalNetWarePathAnyLength(std::string path, bool withServer, std::string* result);

// True when the path keeps within the program's limit of 259 characters (characters, not
// the bytes that encode them).
bool WithinPathLimit(const std::string& path);

// The destination path of a run (the same volume path \VOLUME\path on every server) from what
// a user or a stored history gives: a place on the network (\\SERVER\VOLUME\path, a mapped
// drive, a local path under the network root) becomes its volume path; \VOLUME\path stays, with
// doubled and trailing backslashes removed and the volume name upper-cased. False for anything
// else (a local path, a relative path, ".." components, names no volume can hold).
// canonical turns a network path into its volume path (CanonicalNetWarePath without server).
bool NormaliseTargetPath(const std::string& given, std::string* targetPath,
                         bool (*canonical)(std::string&, bool) = &CanonicalNetWarePath);

// The text to show for path in a dialog control: leading directories dropped behind " ...\"
// until it fits the control, never the last component. Cannot fail.
std::string FitPathToControl(win::WindowId dialog, int control, const std::string& path);

// "%s\%s": a directory and one name below it.
std::string JoinPath(const std::string& directory, const std::string& name);
// The text after the last backslash (the whole text when there is none).
std::string LastComponent(const std::string& path);
