#include "netware/trustee_transfer.h"

#include <algorithm>

#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::size_t kTrusteesPerScan = 20;
constexpr std::size_t kDsNameSize = 260;

// "VOLUME:dir\name" of a full path (UNC or drive form); false when it is not on NetWare.
bool EntryName(const std::string& path, std::string* entryName) {
    char volume[nw::kNameSize] = {};
    char directory[win::kPathBufferSize] = {};
    if (NetWare().NWParsePath(path.c_str(), nullptr, nullptr, volume, directory) != nw::SUCCESSFUL)
        return false;
    volume[nw::kNameSize - 1] = directory[win::kPathBufferSize - 1] = '\0';
    const char* below = directory[0] == '\\' ? directory + 1 : directory;
    *entryName = FormatText(LoadResString(IDS_FMT_VOLUME_RELATIVE), volume, below);
    return true;
}

// The Unicode tables and the Directory Services context of one transfer, released on every
// way out.
class DirectoryServicesSession {
  public:
    DirectoryServicesSession() {
        LCONV locale;
        NetWare().NWLlocaleconv(&locale);
        tables_ =
            NetWare().NWInitUnicodeTables(locale.country_id, locale.code_page) == nw::SUCCESSFUL;
        if (tables_)
            context_ = NetWare().NWDSCreateContext();
    }
    ~DirectoryServicesSession() {
        if (HasContext())
            NetWare().NWDSFreeContext(context_);
        if (tables_)
            NetWare().NWFreeUnicodeTables();
    }
    DirectoryServicesSession(const DirectoryServicesSession&) = delete;
    DirectoryServicesSession& operator=(const DirectoryServicesSession&) = delete;

    bool Ready() const { return tables_ && HasContext(); }
    NWDSContextHandle Context() const { return context_; }

  private:
    bool HasContext() const { return context_ != nw::ERR_CONTEXT_CREATION; }

    bool tables_ = false;
    NWDSContextHandle context_ = nw::ERR_CONTEXT_CREATION;
};

// The destination's object ID for a source trustee: the same ID on one connection, otherwise
// the source's object carried by its Directory Services name.
bool DestinationObjectId(const DirectoryServicesSession& session, NWCONN_HANDLE sourceConn,
                         NWCONN_HANDLE destinationConn, std::uint32_t sourceId,
                         std::uint32_t* destinationId) {
    if (sourceConn == destinationConn) {
        *destinationId = sourceId;
        return true;
    }
    char name[kDsNameSize] = {};
    if (NetWare().NWDSMapIDToName(session.Context(), sourceConn, sourceId, name) != nw::SUCCESSFUL)
        return false;
    name[kDsNameSize - 1] = '\0';
    return NetWare().NWDSMapNameToID(session.Context(), destinationConn, name, destinationId) ==
           nw::SUCCESSFUL;
}

}  // namespace

bool TransferTrustees(NWCONN_HANDLE sourceConn, NWCONN_HANDLE destinationConn,
                      const std::string& sourcePath, const std::string& destinationPath) {
    std::string sourceEntry, destinationEntry;
    if (!EntryName(sourcePath, &sourceEntry) || !EntryName(destinationPath, &destinationEntry))
        return false;

    const DirectoryServicesSession session;
    if (!session.Ready())
        return false;

    // Scans return up to 20 trustees a call; the sequence number carries the scan on until
    // the client reports that no more are left. The first failure ends the transfer; the
    // trustees added before it stay.
    std::uint32_t sequence = 0;
    for (;;) {
        std::uint16_t count = 0;
        NWET_INFO found;
        const NWCCODE code = NetWare().NWIntScanForTrustees(sourceConn, 0, sourceEntry.c_str(),
                                                            &sequence, &count, &found, 0);
        if (code == nw::NO_MORE_TRUSTEES)
            return true;
        if (code != nw::SUCCESSFUL)
            return false;
        if (count == 0)
            return true;
        const std::size_t valid = std::min<std::size_t>(count, kTrusteesPerScan);
        for (std::size_t i = 0; i < valid; ++i) {
            const TRUSTEE_INFO& trustee = found.trusteeList[i];
            if (trustee.objectID == 0)
                continue;  // an empty entry
            std::uint32_t objectId = 0;
            if (!DestinationObjectId(session, sourceConn, destinationConn, trustee.objectID,
                                     &objectId))
                return false;
            if (NetWare().NWAddTrustee(destinationConn, 0, destinationEntry.c_str(), objectId,
                                       trustee.objectRights) != nw::SUCCESSFUL)
                return false;
        }
    }
}
