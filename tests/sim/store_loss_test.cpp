// A network that has had a metadata store is never opened without it: a deleted or emptied
// store is named, with the way back, instead of every attribute, rights mask and trustee being
// reset and compressed files being served as their stored bytes. The store rebuilt from the
// trees knows the compressed files again and says what it cannot know.
#include <filesystem>
#include <fstream>

#include "netware/sim/sim_network.h"
#include "resources/string_ids.h"
#include "tests/sim/sim_fixture.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

namespace fs = std::filesystem;

const std::string kPacked = R"(\\HQ\COMP\SRC\PACK.DAT)";
const std::string kPlain = std::string(5000, 'p');

class StoreLossTest : public SimTest {
  protected:
    void SetUp() override {
        net_.WriteFile("HQ/COMP/SRC/PACK.DAT", kPlain);
        SimTest::SetUp();
        std::string error;
        ASSERT_TRUE(net_.Net().Compress(kPacked, &error)) << error;
        ASSERT_TRUE(net_.Net().SetAttributes(R"(\\HQ\DATA\PROJ\a.txt)", 0x21, &error)) << error;
        net_.Close();
    }
    std::string Store() { return fs::canonical(net_.Root()).string() + "/.netsim/metadata.db"; }
    std::string Missing() {
        return FormatText(LoadResString(IDS_SIM_STORE_MISSING), Store().c_str());
    }
    std::string OpenError() {
        std::string error;
        EXPECT_FALSE(sim::SimNetwork::Open(net_.Root(), &error));
        return error;
    }
};

TEST_F(StoreLossTest, AStoreDeletedOrEmptiedIsNamedNotTakenForANewOne) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> lose;
    };
    const std::vector<Case> cases = {
        {"deleted", [](const std::string& file) { fs::remove(file); }},
        {"emptied", [](const std::string& file) { fs::resize_file(file, 0); }},
    };
    const std::string kept = Store() + ".kept";
    fs::copy_file(Store(), kept);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(Store() + "-wal");
        fs::remove(Store() + "-shm");
        c.lose(Store());
        EXPECT_EQ(OpenError(), Missing());
        EXPECT_EQ(OpenError(), Missing()) << "refused again: nothing was made meanwhile";
        fs::copy_file(kept, Store(), fs::copy_options::overwrite_existing);
    }
    net_.Install();  // put back, it serves as before
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\a.txt)").attributes, 0x21u);
    EXPECT_TRUE(net_.Meta(kPacked).compressed);
}

TEST_F(StoreLossTest, ARebuiltStoreKnowsCompressedFilesAndSaysWhatItCannotKnow) {
    std::vector<std::string> lines;
    std::string error;
    EXPECT_FALSE(sim::RebuildStore(net_.Root(), &lines, &error));
    EXPECT_EQ(error, FormatText(LoadResString(IDS_NETSIM_STORE_PRESENT), Store().c_str()));

    fs::remove(Store());
    ASSERT_TRUE(sim::RebuildStore(net_.Root(), &lines, &error)) << error;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], FormatText(LoadResString(IDS_NETSIM_REBUILD_COMPRESSED), kPacked.c_str()));
    EXPECT_EQ(lines[1], FormatText(LoadResString(IDS_NETSIM_REBUILT), Store().c_str(), 7u));
    EXPECT_EQ(lines[2], LoadResString(IDS_NETSIM_REBUILD_UNKNOWN));

    net_.Install();
    const sim::EntryMeta packed = net_.Meta(kPacked);
    EXPECT_TRUE(packed.compressed);
    EXPECT_EQ(packed.size, kPlain.size());
    win::ScopedHandle h(win::Files().CreateFile(kPacked.c_str(), win::GENERIC_READ,
                                                win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
    std::string data(kPlain.size() + 10, '\0');
    std::uint32_t n = 0;
    ASSERT_TRUE(win::Files().ReadFile(h.Get(), data.data(), data.size(), &n));
    EXPECT_EQ(data.substr(0, n), kPlain) << "served as its data, not its stream";
    EXPECT_EQ(net_.Meta(R"(\\HQ\DATA\PROJ\a.txt)").attributes, 0x20u) << "not known: default";
}

TEST_F(StoreLossTest, ANetworkOpenedBeforeStoresWereMarkedIsMarkedWhenOpened) {
    const std::string marker = fs::path(Store()).parent_path() / "store-made";
    ASSERT_TRUE(fs::exists(marker));
    fs::remove(marker);  // as a network written before
    net_.Install();
    net_.Close();
    EXPECT_TRUE(fs::exists(marker));
    fs::remove(Store());
    EXPECT_EQ(OpenError(), Missing());
}

}  // namespace
