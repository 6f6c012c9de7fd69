#include "copy/dir_creation.h"

bool CreateDestinationDirectory(const std::string&, const std::string&) { return true; }
NWCCODE SetDestinationDosInfo(NWCONN_HANDLE, NWDIR_HANDLE, const std::string&, std::uint8_t,
                              const EntryInfo&) {
    return 0;
}
