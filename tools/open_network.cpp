#include "tools/open_network.h"

#include <filesystem>

#include "util/format_text.h"
#include "util/string_table.h"

std::string ShellWord(const std::string& text) {
    const bool plain = !text.empty() && text.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_./+-:=@%,") == std::string::npos;
    if (plain)
        return text;
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

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
    std::unique_ptr<sim::SimNetwork> network = sim::SimNetwork::Open(root, &reason, finishStoppedWork);
    if (!network)
        *error = FormatText(LoadResString(unusableFormat), reason.c_str());
    return network;
}
