#include "copy/tree_walk.h"

int CopyDirectoryTree(const std::string&, const std::string&) { return 1; }
