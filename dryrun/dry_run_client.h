#pragma once
// The dry run's NetWare client: reads go to the network and are answered as the plan would
// have left it; writes change nothing, are kept in the overlay, and the ones a run's reader
// cares about (a directory made or removed) become plan lines.
//
// Only places given with directory handle 0 ("VOLUME:dir\name"), as the engine gives every
// destination, are known to the overlay; others are handed on as they are.

#include <cstdint>
#include <map>
#include <string>

#include "dryrun/naming_client.h"
#include "dryrun/plan_state.h"
#include "dryrun/planned_view.h"

namespace dryrun {

class DryRunClient : public NamingClient {
  public:
    DryRunClient(NetWareClient& inner, PlanState& state, PlannedView& view)
        : NamingClient(inner, state), view_(view) {}

    NWCCODE NWGetVolumeNumber(NWCONN_HANDLE conn, const char* volumeName,
                              std::uint16_t* volumeNumber) override;
    NWCCODE NWGetVolumeInfoWithNumber(NWCONN_HANDLE conn, std::uint16_t volumeNumber,
                                      char* volumeName, std::uint32_t* totalBlocks,
                                      std::uint16_t* sectorsPerBlock,
                                      std::uint32_t* availableBlocks,
                                      std::uint32_t* totalDirEntries,
                                      std::uint32_t* availableDirEntries,
                                      std::uint16_t* volumeIsRemovable) override;

    // Reads of entries.
    NWCCODE NWGetOwningNameSpace(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint8_t* nameSpace) override;
    NWCCODE NWGetNSEntryInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                             std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                             std::uint16_t searchAttributes, std::uint32_t returnInfoMask,
                             EntryInfo* info) override;
    NWCCODE NWIntScanDirectoryInformation2(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                                           const char* searchPath, std::uint32_t* sequence,
                                           char* dirName, std::uint32_t* dirDateTime,
                                           std::uint32_t* ownerID, std::uint8_t* rightsMask,
                                           std::uint16_t augmentFlag) override;
    NWCCODE NWGetLongName(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                          std::uint8_t srcNameSpace, std::uint8_t dstNameSpace,
                          char* longName) override;
    NWCCODE NWIntScanForTrustees(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                 std::uint32_t* sequence, std::uint16_t* numberOfEntries,
                                 NWET_INFO* info, std::uint16_t augmentFlag) override;

    // Writes.
    NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                              std::uint8_t accessMask) override;
    NWCCODE NWSetNSEntryDOSInfo(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                                std::uint8_t nameSpace, std::uint16_t searchAttributes,
                                std::uint32_t modifyDOSMask,
                                const NWEntryDOSInfo* dosInfo) override;
    NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t nameSpace,
                          std::uint8_t dataStream, const char* path, NW_NS_OPENCREATE* request,
                          win::HANDLE* fileHandle) override;
    NWCCODE NWSetCompressedFileSize(NWCONN_HANDLE conn, win::HANDLE fileHandle,
                                    std::uint64_t requestedSize,
                                    std::uint64_t* resultSize) override;
    NWCCODE NWAddTrustee(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                         std::uint32_t objectID, std::uint16_t rightsMask) override;
    NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const char* path) override;

  private:
    // The overlay key of a place given as connection, handle and "VOLUME:dir\name"; empty
    // when the overlay cannot know it.
    std::string KeyOf(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path);
    // The completion code the network gives for an entry that is not there.
    static NWCCODE Missing(const Lookup& found);
    // The name space new entries get on the volume of key.
    std::uint8_t NewEntryNameSpace(NWCONN_HANDLE conn, const std::string& key);
    NWCCODE Done(NWCCODE code);

    PlannedView& view_;
    std::map<std::string, std::uint8_t> volumeNameSpaces_;
};

}  // namespace dryrun
