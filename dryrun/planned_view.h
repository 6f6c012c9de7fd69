#pragma once
// The network as the plan would leave it: the overlay over what the network itself answers.
// A key serves as the network path of its entry (names compare without regard to case).
// Both layers of the dry run ask it whether an entry exists and what a directory holds, and
// make and remove directories through it, so that the two agree.

#include <cstdint>
#include <string>
#include <vector>

#include "dryrun/plan_state.h"
#include "platform/file_services.h"

namespace dryrun {

class PlannedView {
  public:
    PlannedView(PlanState& state, win::FileServices& network) : state_(state), network_(network) {}

    // Whether an entry would be at key; *directory tells which kind.
    bool Exists(const std::string& key, bool* directory = nullptr);
    // The entries of the directory at path (its key: key), "." and ".." first where the
    // network lists them, the others in name order. Returns 0 or the error of the listing.
    std::uint32_t List(const std::string& path, const std::string& key,
                       std::vector<win::FindData>* items);

    enum class Outcome { Done, Exists, NoParent, Missing, NotEmpty, NotDirectory };
    // Plans "mkdir" of the directory at key, named as the engine spelt it (shown).
    Outcome MakeDirectory(const std::string& key, const std::string& shown, std::uint8_t nameSpace);
    // Plans "rmdir" of the empty directory at key.
    Outcome RemoveDirectory(const std::string& key, const std::string& shown);

    // What an enumeration reports for a made entry, and for an entry the plan changes.
    static win::FindData FindDataOf(const PlannedEntry& entry);
    static void Patch(const PlannedEntry& change, win::FindData* data);
    // The attribute word of a made entry, directory and compressed bits included.
    static std::uint32_t AttributeWord(const PlannedEntry& entry);
    // The DOS attributes the file services report, with a change applied.
    static std::uint32_t PatchDosAttributes(const PlannedEntry& change, std::uint32_t reported);

  private:
    PlanState& state_;
    win::FileServices& network_;
};

// The last name of a path ("\\S\V\dir\name" gives "name").
std::string LastName(const std::string& path);
// The DOS date and time of now, as the network stamps what it makes.
std::pair<std::uint16_t, std::uint16_t> DosNow();

}  // namespace dryrun
