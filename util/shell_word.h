#pragma once
// Texts shown as commands a user can paste into a shell.

#include <string>

// The text as one word of a POSIX shell command line: quoted only when it must be.
std::string ShellWord(const std::string& text);
