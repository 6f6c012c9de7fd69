// The destination-path history: most recent first, kept in the "TargetPath" multi-string.

#include <cstring>

#include "platform/locale.h"
#include "settings/settings_store.h"
#include "util/characters.h"

std::list<std::string> TargetPathHistory;

namespace {

constexpr std::size_t kMaxEntryLength = 259;

std::list<std::string>::iterator FindIgnoringCase(const std::string& text) {
    for (auto it = TargetPathHistory.begin(); it != TargetPathHistory.end(); ++it) {
        if (LocaleEqualIgnoreCase(*it, text))
            return it;
    }
    return TargetPathHistory.end();
}

}  // namespace

void ParseTargetPathValue(const char* data, std::size_t size) {
    std::size_t pos = 0;
    while (pos < size && TargetPathHistory.size() < kMaxHistoryEntries) {
        // A value whose last string lacks its NUL ends at the value's end.
        const void* nul = std::memchr(data + pos, '\0', size - pos);
        std::size_t end = nul ? static_cast<const char*>(nul) - data : size;
        if (end == pos)
            break;
        if (CharacterCount(std::string(data + pos, end - pos)) <= kMaxEntryLength)
            TargetPathHistory.emplace_back(data + pos, end - pos);
        pos = end + 1;
    }
}

std::string BuildTargetPathValue() {
    std::string value;
    std::size_t written = 0;
    for (const std::string& entry : TargetPathHistory) {
        if (written == kMaxHistoryEntries)
            break;
        if (entry.empty() || CharacterCount(entry) > kMaxEntryLength)
            continue;
        value += entry;
        value += '\0';
        ++written;
    }
    value += '\0';
    return value;
}

PathComboContents FillPathCombo() {
    PathComboContents contents;
    contents.items.assign(TargetPathHistory.begin(), TargetPathHistory.end());
    if (!contents.items.empty())
        contents.selection = 0;
    return contents;
}

void AddPathToHistory(const std::string& path) {
    // An empty path is no destination; keeping it would only push a real one out.
    if (path.empty())
        return;
    auto match = FindIgnoringCase(path);
    if (match != TargetPathHistory.end()) {
        TargetPathHistory.erase(match);
        TargetPathHistory.push_front(path);
        return;
    }
    TargetPathHistory.push_front(path);
    if (TargetPathHistory.size() > kMaxHistoryEntries)
        TargetPathHistory.pop_back();
}

void PromoteSelectedPath(const std::string& selected) {
    if (selected.empty())
        return;
    auto match = FindIgnoringCase(selected);
    if (match == TargetPathHistory.end())
        return;
    TargetPathHistory.erase(match);
    TargetPathHistory.push_front(selected);
}
