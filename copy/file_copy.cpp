#include "copy/file_copy.h"

#include "copy/path_utils.h"

std::uint64_t CopyOneFile(const std::string&, const std::string&) { return 0; }

std::string MakeDestinationFileName(const std::string& sourceName,
                                    const std::string& destinationDir) {
    return destinationDir + "\\" + LastComponent(sourceName);
}
