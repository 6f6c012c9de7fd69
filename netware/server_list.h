#pragma once
// Filling the main window's server list from the primary server's bindery.

// Shows its message and returns false when the scan fails.
bool FillServerList();
