#pragma once
// The per-user settings key: options, destination history, first-run flag, window placement,
// and the help file's location.

#include <cstdint>
#include <list>
#include <string>

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

void AddPathToHistory(const std::string& path);
// Moves the history entry equal (ignoring case) to selected to the front.
void PromoteSelectedPath(const std::string& selected);
