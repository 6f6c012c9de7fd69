// A new metadata store made from the trees when the old one is lost. What the trees tell is
// kept: which files hold a compressed stream. What only the lost store knew (attributes, rights
// masks, trustees, aliases given before) cannot be known, and the report says so.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "netware/sim/held_directories.h"
#include "netware/sim/sim_core.h"
#include "netware/sim/sim_network.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace sim {

namespace {

// The bytes every zstd frame begins with.
constexpr unsigned char kZstdMagic[4] = {0x28, 0xB5, 0x2F, 0xFD};

bool ReadFile(const std::string& path, std::string* data) {
    const int fd = OpenAt(path, O_RDONLY);
    if (fd < 0)
        return false;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        data->append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return n == 0;
}

class Rebuild {
  public:
    Rebuild(Core& core, std::vector<std::string>* lines) : core_(core), lines_(lines) {}

    void Directory(Volume& v, const std::string& dirRel) {
        for (const Core::Listed& l : core_.List(v, dirRel)) {
            ++entries_;
            const std::string rel = dirRel.empty() ? l.name : dirRel + "/" + l.name;
            if (l.st.isDir)
                Directory(v, rel);
            else if (v.cfg.compression)
                MaybeCompressed(v, dirRel, l);
        }
    }
    unsigned Entries() const { return entries_; }

  private:
    void MaybeCompressed(Volume& v, const std::string& dirRel, const Core::Listed& l) {
        const Entry e = core_.ChildEntry(v, dirRel, l.name, l.st);
        std::string stream, data;
        if (l.st.size < sizeof kZstdMagic || !ReadFile(e.local, &stream) ||
            std::memcmp(stream.data(), kZstdMagic, sizeof kZstdMagic) != 0 ||
            !Core::Decompress(stream, &data))
            return;
        MetaRow row = core_.DefaultMeta(v, false);
        row.compressed = true;
        row.size = data.size();
        if (core_.SaveMeta(e, row))
            lines_->push_back(FormatText(LoadResString(IDS_NETSIM_REBUILD_COMPRESSED),
                                         core_.EntryNetForm(e).c_str()));
    }

    Core& core_;
    std::vector<std::string>* lines_;
    unsigned entries_ = 0;
};

}  // namespace

bool RebuildStore(const std::string& root, std::vector<std::string>* lines, std::string* error) {
    Core core;
    if (!core.Load(root, error, false, true))
        return false;
    Rebuild rebuild(core, lines);
    core.Store().Begin();
    for (auto& server : core.Servers()) {
        for (Volume& v : server->volumes) {
            if (core.VolumeUsable(v))
                rebuild.Directory(v, "");
        }
    }
    if (const std::uint32_t failure = core.Store().CommitChecked()) {
        *error = FormatText(LoadResString(IDS_SIM_STORE_UNUSABLE),
                            (core.Root() + "/.netsim/metadata.db").c_str(),
                            std::to_string(failure).c_str());
        return false;
    }
    lines->push_back(FormatText(LoadResString(IDS_NETSIM_REBUILT),
                                (core.Root() + "/.netsim/metadata.db").c_str(), rebuild.Entries()));
    lines->push_back(LoadResString(IDS_NETSIM_REBUILD_UNKNOWN));
    return true;
}

}  // namespace sim
