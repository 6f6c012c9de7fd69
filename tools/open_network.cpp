#include "tools/open_network.h"

#include <filesystem>

#include "util/format_text.h"
#include "util/shell_word.h"
#include "util/string_table.h"

std::unique_ptr<sim::SimNetwork> OpenNetworkAt(const std::string& root, unsigned noNetworkFormat,
                                               unsigned unusableFormat, std::string* error,
                                               bool finishStoppedWork) {
    std::error_code ec;
    const std::filesystem::path description = std::filesystem::path(root) / "network.toml";
    if (!std::filesystem::exists(description, ec) && !ec) {
        *error = FormatText(LoadResString(noNetworkFormat), root.c_str(), ShellWord(root).c_str());
        return nullptr;
    }
    std::string reason;
    std::unique_ptr<sim::SimNetwork> network =
        sim::SimNetwork::Open(root, &reason, finishStoppedWork);
    if (!network)
        *error = FormatText(LoadResString(unusableFormat), reason.c_str());
    return network;
}
