#pragma once
// The per-user settings key: options, destination history, first-run flag, window placement,
// and the help file's location.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

// Most recent first; at most 15 entries when built by this program.
extern std::list<std::string> TargetPathHistory;

struct WindowPlacement {
    int left = 50;
    int top = 50;
    int width = 155;
    int height = 400;
};

// Start-up: creates or opens the settings key (writing an empty "LogFileName" when it was
// new) and reads the placement. False with the registry's return code when the key cannot be
// created or opened.
bool OpenSettingsKeyAtStartup(WindowPlacement* placement, std::uint32_t* errorCode);

void LoadOptions();
void SaveOptions();
// Writes the placement unless the window is minimised.
void SaveWindowPlacement(const WindowPlacement& placement, bool minimized);
void RecordHelpFileLocation();
// The directory the help-location value names, empty when there is none.
std::string HelpFileDirectory();

// The history holds at most this many entries, each at most 259 characters.
constexpr std::size_t kMaxHistoryEntries = 15;
// "TargetPath" is read into a buffer of this many bytes first.
constexpr std::uint32_t kTargetPathReadSize = 3900;

// Appends the entries of a "TargetPath" multi-string (size bytes) to the history, up to the
// first empty string. A stored value only a hand edit can make loads this way: entries longer
// than 259 characters are passed over, and loading stops once the history holds 15 entries.
void ParseTargetPathValue(const char* data, std::size_t size);
// The history as a "TargetPath" multi-string: each entry and a NUL, then a closing NUL (an
// empty history is the single NUL byte). Entries that could not be read back whole (empty
// ones, which would end the list early, or longer than 259 characters) are left out.
std::string BuildTargetPathValue();

// What the Copying page's destination combo box shows: the history in order, the first entry
// selected (-1 when the history is empty).
struct PathComboContents {
    std::vector<std::string> items;
    int selection = -1;
};
PathComboContents FillPathCombo();

// Moves (when an entry equals it ignoring case) or inserts path at the front; the oldest
// entry goes when a 16th would be kept.
void AddPathToHistory(const std::string& path);
// Moves the history entry equal (ignoring case) to selected to the front.
void PromoteSelectedPath(const std::string& selected);
