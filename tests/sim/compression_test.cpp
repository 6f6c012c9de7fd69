// Compressed files: stored compressed, read plainly, copied as their compressed stream.
#include "netware/sim/sim_names.h"
#include "tests/sim/sim_fixture.h"

namespace {

class CompressionTest : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        text_ = std::string(20000, 'a') + "tail";
        net_.WriteFile("HQ/COMP/SRC/PACK.DAT", text_, 1700000000);
        net_.MakeDir("HQ/COMP/DST");
        std::string error;
        ASSERT_TRUE(net_.Net().Compress(R"(\\HQ\COMP\SRC\PACK.DAT)", &error)) << error;
    }
    NWCONN_HANDLE hq() { return Connection("HQ"); }
    win::HANDLE Open(const char* path, std::uint8_t mode, std::uint16_t rights) {
        NW_NS_OPENCREATE request;
        request.openCreateMode = mode;
        request.accessRights = rights;
        win::HANDLE h = win::INVALID_HANDLE_VALUE;
        EXPECT_EQ(NetWare().NWOpenNSEntry(hq(), 0, 4, 0, path, &request, &h), 0u) << path;
        return h;
    }
    std::string ReadAll(win::HANDLE h) {
        std::string out;
        char buffer[4096];
        std::uint32_t n = 0;
        while (win::Files().ReadFile(h, buffer, sizeof buffer, &n) && n > 0)
            out.append(buffer, n);
        return out;
    }
    std::string text_;
};

TEST_F(CompressionTest, StoredCompressedAndReadPlainly) {
    auto meta = net_.Meta(R"(\\HQ\COMP\SRC\PACK.DAT)");
    EXPECT_TRUE(meta.compressed);
    EXPECT_EQ(meta.size, text_.size());
    EXPECT_LT(meta.storedSize, text_.size());
    EXPECT_NE(net_.ReadFile("HQ/COMP/SRC/PACK.DAT"), text_);  // the disk holds the stream
    EXPECT_EQ(meta.modified, 1700000000);                     // compressing keeps the time
    EntryInfo info;
    ASSERT_EQ(
        NetWare().NWGetNSEntryInfo(hq(), 0, R"(COMP:SRC\PACK.DAT)", 4, 4, 0xFB, 0x098E, &info), 0u);
    EXPECT_EQ(info.attributes & nw::A_FILE_COMPRESSED, nw::A_FILE_COMPRESSED);
    EXPECT_EQ(info.dataStreamSize, text_.size());
    EXPECT_EQ(info.spaceAllocated, meta.storedSize);
    win::ScopedHandle plain(Open(R"(COMP:SRC\PACK.DAT)", nw::OC_MODE_OPEN, nw::AR_READ));
    EXPECT_EQ(ReadAll(plain.Get()), text_);
    win::FindData d;
    win::ScopedFind find(win::Files().FindFirstFile(R"(\\HQ\COMP\SRC\PACK.DAT)", &d));
    EXPECT_EQ(d.size, text_.size());
}

TEST_F(CompressionTest, CompressedStreamCopyBecomesACompressedFile) {
    win::ScopedHandle src(
        Open(R"(COMP:SRC\PACK.DAT)", nw::OC_MODE_OPEN, 0x0009 | nw::AR_OPEN_COMPRESSED));
    std::string stream = ReadAll(src.Get());
    EXPECT_EQ(stream.size(), net_.Meta(R"(\\HQ\COMP\SRC\PACK.DAT)").storedSize);
    net_.WriteFile("HQ/COMP/DST/FCT1.TMP", "");
    win::HANDLE tmp =
        Open(R"(COMP:DST\FCT1.TMP)", nw::OC_MODE_REPLACE, 0x000F | nw::AR_OPEN_COMPRESSED);
    std::uint32_t n = 0;
    ASSERT_TRUE(
        win::Files().WriteFile(tmp, stream.data(), static_cast<std::uint32_t>(stream.size()), &n));
    ASSERT_TRUE(win::Files().SetFilePointer(tmp, static_cast<std::int64_t>(text_.size()),
                                            win::FILE_BEGIN, nullptr));
    ASSERT_TRUE(win::Files().SetEndOfFile(tmp));
    std::uint64_t result = 0;
    ASSERT_EQ(NetWare().NWSetCompressedFileSize(hq(), tmp, n, &result), 0u);
    EXPECT_EQ(result, stream.size());
    ASSERT_TRUE(win::Files().CloseHandle(tmp));
    ASSERT_TRUE(win::Files().MoveFile(R"(\\HQ\COMP\DST\FCT1.TMP)", R"(\\HQ\COMP\DST\PACK.DAT)"));
    auto meta = net_.Meta(R"(\\HQ\COMP\DST\PACK.DAT)");
    EXPECT_TRUE(meta.compressed);
    EXPECT_EQ(meta.size, text_.size());
    EXPECT_EQ(meta.storedSize, stream.size());
    win::ScopedHandle plain(Open(R"(COMP:DST\PACK.DAT)", nw::OC_MODE_OPEN, nw::AR_READ));
    EXPECT_EQ(ReadAll(plain.Get()), text_);
}

TEST_F(CompressionTest, StreamsThatDoNotMatchTheirDeclaredSizeAreRefused) {
    net_.WriteFile("HQ/COMP/DST/BAD.TMP", "");
    win::ScopedHandle tmp(
        Open(R"(COMP:DST\BAD.TMP)", nw::OC_MODE_REPLACE, 0x000F | nw::AR_OPEN_COMPRESSED));
    std::uint32_t n = 0;
    ASSERT_TRUE(win::Files().WriteFile(tmp.Get(), "not a stream", 12, &n));
    std::uint64_t result = 0;
    EXPECT_NE(NetWare().NWSetCompressedFileSize(hq(), tmp.Get(), 12, &result), 0u);
    tmp.Close();
    EXPECT_FALSE(net_.Meta(R"(\\HQ\COMP\DST\BAD.TMP)").compressed);
    // Plain handles and volumes that do not compress cannot declare a compressed size.
    win::ScopedHandle plain(Open(R"(COMP:SRC\PACK.DAT)", nw::OC_MODE_OPEN, nw::AR_READ));
    EXPECT_NE(NetWare().NWSetCompressedFileSize(hq(), plain.Get(), 1, &result), 0u);
    std::string error;
    EXPECT_FALSE(net_.Net().Compress(R"(\\HQ\DATA\PROJ\a.txt)", &error));
    EXPECT_NE(error.find("does not compress"), std::string::npos) << error;
}

TEST_F(CompressionTest, PlainWriteLeavesTheFileUncompressed) {
    win::HANDLE h = Open(R"(COMP:SRC\PACK.DAT)", nw::OC_MODE_OPEN, nw::AR_READ | nw::AR_WRITE);
    ASSERT_TRUE(win::Files().SetFilePointer(h, 0, win::FILE_END, nullptr));
    std::uint32_t n = 0;
    ASSERT_TRUE(win::Files().WriteFile(h, "!", 1, &n));
    ASSERT_TRUE(win::Files().CloseHandle(h));
    EXPECT_FALSE(net_.Meta(R"(\\HQ\COMP\SRC\PACK.DAT)").compressed);
    EXPECT_EQ(net_.ReadFile("HQ/COMP/SRC/PACK.DAT"), text_ + "!");
}

}  // namespace
