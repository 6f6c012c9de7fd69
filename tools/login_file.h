#pragma once
// farcast-run's --login-file: the credentials for the login dialogs kept out of the command
// line, where every user of the machine could read them (ps, /proc). Like ssh with a private
// key, the file is refused when its group or others may read it.

#include <string>
#include <vector>

// Appends the file's "USER:PASSWORD" lines to *logins, in order. Blank lines and lines that
// begin with "#" are skipped; a line ending in "\r\n" counts without its "\r". A line
// without a colon names a user whose password is asked at a terminal, when allowUserOnly.
// False with the message in *error (the file cannot be read, group or others can read it, a
// line is not USER:PASSWORD); *logins is then unchanged.
bool ReadLoginFile(const std::string& path, bool allowUserOnly, std::vector<std::string>* logins,
                   std::string* error);
