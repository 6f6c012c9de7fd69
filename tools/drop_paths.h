#pragma once
// The PATHs of farcast-run's command line as a drop onto the main window hands them over.

#include <string>
#include <vector>

#include "copy/copy_run.h"

struct DropList {
    std::vector<std::string> paths;    // what the run copies
    std::vector<SkippedName> leftOut;  // what never reaches it, with the reason
};

// Network forms (\\SERVER\VOLUME\path, X:\path) are taken as given. A local path under the
// network root becomes the network path it is, found without following any symbolic link
// inside the network: a link or special file there, or a name that cannot be a NetWare name,
// is left out. Every other local path stays as it is (the run refuses or reports it).
DropList MakeDropList(const std::vector<std::string>& paths, const std::string& networkRoot);
