#pragma once
// The deleting steps of synchronisation: asking, deleting a file, reporting a failure and
// counting what was deleted. Each step that can end the server's synchronisation returns
// false for "stop" and true for "go on".

#include <cstdint>
#include <string>

// The user's answer to "Do you want to delete %s?" (IDYES, IDNO or IDCANCEL; Cancel also sets
// CancelRequested). Not logged.
int AskDelete(const std::string& path);
// Reports a file or directory that could not be deleted; false when the user chose to stop
// (No: the next server follows; Cancel: CancelRequested is set as well).
bool ReportDeleteFailure(const std::string& path);
void CountDeletedFile(const std::string& path, std::uint64_t size);
void CountDeletedDirectory(const std::string& path);

// Asks (when prompting is on), clears the attributes and deletes the file, then counts or
// reports it.
bool DeleteDestinationFile(const std::string& path, std::uint64_t size);
// Deletes the directory's contents depth first and then the directory on the server.
bool DeleteDestinationTree(const std::string& directory);

// After a listing of a destination directory that gave no entry: true when the directory is
// empty or absent (nothing to delete). A listing that failed otherwise leaves the directory's
// contents unknown, and unknown is never taken for absent: false.
bool NothingListed();
// Said when the listing failed for another reason than an empty or absent directory: the
// directory is reported with the call and its code, counts as an error and is kept whole.
// False when the user chose to stop.
bool DestinationListingFailed(const std::string& directory);

// Enumeration entries that synchronisation never touches: ".", ".." and every name beginning
// with a dot, and names that could lead anywhere but to one entry of the directory listed.
bool PassedOver(const std::string& name);

// Controls of the synchronisation dialog.
constexpr int kSyncCheckingField = 216;
constexpr int kSyncFilesDeletedField = 226;
constexpr int kSyncDirsDeletedField = 221;
constexpr int kSyncBytesDeletedField = 223;
