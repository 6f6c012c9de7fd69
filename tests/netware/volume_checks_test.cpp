// The checks made before writing to a server: volume, path, long names, compression, room.

#include <string>

#include "netware/volume_checks.h"
#include "tests/netware/netware_fixture.h"

namespace {

// SALES: NetWare 4 with a long-name volume DATA (no compression), a compressing volume PACK,
// a DOS-only volume DOSVOL and a volume BIG of 2,000,000 blocks of 4 KiB (8 GB).
// OLD3: NetWare 3 with a volume that is marked compressing.
const char* const kNetwork = R"(
tree = "ACME_TREE"
[workstation]
primary_server = "SALES"
login_name = "ADMIN"
ds_authenticated = true
[[server]]
name = "SALES"
directory_services = true
  [[server.volume]]
  name = "DATA"
  [[server.volume]]
  name = "PACK"
  compression = true
  [[server.volume]]
  name = "DOSVOL"
  long_names = false
  [[server.volume]]
  name = "BIG"
  block_size = 4096
  total_blocks = 2000000
  [[server.volume]]
  name = "EDGE"
  block_size = 4096
  total_blocks = 65546
[[server]]
name = "OLD3"
version = "3.12"
connection = "logged_in"
  [[server.volume]]
  name = "VOL1"
  compression = true
)";

std::string WithFault(const std::string& call, const std::string& code) {
    return std::string(kNetwork) + "[[fault]]\ncall = \"" + call + "\"\ncode = " + code + "\n";
}

class VolumeChecksTest : public NetWareFixture {
  protected:
    void Start(const std::string& toml = kNetwork) {
        files = {{"SALES/DATA/PROJ/NOTES.TXT", "notes"}};
        Open(toml);
        sales = PrimaryConnection;
    }

    NWCONN_HANDLE sales = 0;
};

TEST_F(VolumeChecksTest, DestinationVolumeIsTakenFromTheTargetPath) {
    Start();
    std::string volume;
    EXPECT_TRUE(CheckDestinationVolume(sales, "SALES", "\\DATA\\PROJ\\SUB", &volume));
    EXPECT_EQ(volume, "DATA");
    // Without a second backslash the whole rest is the volume name.
    EXPECT_TRUE(CheckDestinationVolume(sales, "SALES", "\\PACK", &volume));
    EXPECT_EQ(volume, "PACK");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(VolumeChecksTest, MissingVolumeHasItsOwnMessageWithoutCode) {
    Start();
    std::string volume;
    EXPECT_FALSE(CheckDestinationVolume(sales, "SALES", "\\NOVOL\\PROJ", &volume));
    EXPECT_EQ(volume, "NOVOL");
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"ERROR - Volume NOVOL does not exist on server SALES."});
    EXPECT_EQ(ui.boxes[0].style, kErrorBoxStyle);
}

TEST_F(VolumeChecksTest, OtherVolumeFailuresNameTheCall) {
    Start(WithFault("NWGetVolumeNumber", "0x8801"));
    std::string volume;
    EXPECT_FALSE(CheckDestinationVolume(sales, "SALES", "\\DATA\\PROJ", &volume));
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"ERROR - Unable to get details for volume DATA on SALES.\r\n"
                                       "NWGetVolumeNumber error: 0x8801"});
}

TEST_F(VolumeChecksTest, DestinationPathMustExistAndIsReportedAsConfigured) {
    Start();
    NWDIR_HANDLE handle = 0;
    std::string relative;
    EXPECT_TRUE(CheckDestinationPath(sales, &handle, "SALES", "\\DATA\\PROJ", &relative));
    EXPECT_TRUE(CheckDestinationPath(sales, &handle, "SALES", "\\DATA", &relative));
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_FALSE(CheckDestinationPath(sales, &handle, "SALES", "\\DATA\\NOPE\\SUB", &relative));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "ERROR - Destination path \\DATA\\NOPE\\SUB does not exist on "
                              "server SALES."});
    // A file is not a destination directory.
    EXPECT_FALSE(
        CheckDestinationPath(sales, &handle, "SALES", "\\DATA\\PROJ\\NOTES.TXT", &relative));
}

TEST_F(VolumeChecksTest, LongNamesAreKnownFromTheVolumesComponentLength) {
    Start();
    EXPECT_TRUE(SupportsLongNames("\\\\SALES\\DATA\\"));
    EXPECT_FALSE(SupportsLongNames("\\\\SALES\\DOSVOL\\"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(VolumeChecksTest, UnqueryableVolumeRootCountsAsWithoutLongNames) {
    Start(WithFault("GetVolumeInformation", "5"));
    EXPECT_FALSE(SupportsLongNames("\\\\SALES\\DATA\\"));
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"ERROR - Unable to establish whether long filenames are "
                                       "supported on \\\\SALES\\DATA\\."});
}

TEST_F(VolumeChecksTest, CompressionOnlyOnNetWare4VolumesThatCompress) {
    Start();
    EXPECT_TRUE(VolumeSupportsCompression(sales, "SALES", "PACK"));
    EXPECT_FALSE(VolumeSupportsCompression(sales, "SALES", "DATA"));
    EXPECT_FALSE(VolumeSupportsCompression(Connection("OLD3"), "OLD3", "VOL1"));
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_FALSE(VolumeSupportsCompression(sales, "SALES", "NOVOL"));
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"ERROR - Volume NOVOL does not exist on server SALES."});
}

TEST_F(VolumeChecksTest, CompressionQueryFailuresAreReported) {
    Start(WithFault("NWGetFileServerInformation", "0x8801"));
    EXPECT_FALSE(VolumeSupportsCompression(sales, "SALES", "PACK"));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "ERROR - Unable to get version information for server SALES. "
                              "\r\n NWGetFileServerInformation error: 0x8801"});
}

TEST_F(VolumeChecksTest, ExtendedVolumeInformationFailureIsReported) {
    Start(WithFault("NWGetExtendedVolumeInfo", "0x89FF"));
    EXPECT_FALSE(VolumeSupportsCompression(sales, "SALES", "PACK"));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "ERROR - unable to get extended volume information for PACK on "
                              "SALES.\r\nNWGetExtendedVolumeInfo error: 0x89FF"});
}

EntryInfo FileOfSize(std::uint64_t size) {
    EntryInfo info;
    info.dataStreamSize = size;
    return info;
}

// The free bytes the volume reports (full block count times block size).
std::uint64_t FreeBytes(NWCONN_HANDLE conn, const char* volume, std::uint32_t* blocks) {
    std::uint16_t number = 0;
    EXPECT_EQ(NetWare().NWGetVolumeNumber(conn, volume, &number), 0u);
    std::uint16_t sectors = 0;
    EXPECT_EQ(NetWare().NWGetVolumeInfoWithNumber(conn, number, nullptr, nullptr, &sectors, blocks,
                                                  nullptr, nullptr, nullptr),
              0u);
    return std::uint64_t{*blocks} * sectors * 512;
}

TEST_F(VolumeChecksTest, FreeSpaceOfVolumesBeyond65535BlocksIsCountedInFull) {
    Start();
    std::uint32_t blocks = 0;
    const std::uint64_t free = FreeBytes(sales, "BIG", &blocks);
    ASSERT_GT(blocks, 65535u);
    ASSERT_GT(free, std::uint64_t{1} << 32);
    // 5 GiB fits on the 8 GB volume; 16-bit block counts or a 32-bit product would refuse it.
    EXPECT_TRUE(HasRoomForFile(sales, "\\\\SALES\\BIG", FileOfSize(std::uint64_t{5} << 30)));
    EXPECT_FALSE(HasRoomForFile(sales, "\\\\SALES\\BIG", FileOfSize(std::uint64_t{9} << 30)));

    // Just over 65,535 blocks: a 16-bit count would leave about ten blocks.
    ASSERT_GT(FreeBytes(sales, "EDGE", &blocks), 200u << 20);
    EXPECT_TRUE(HasRoomForFile(sales, "\\\\SALES\\EDGE", FileOfSize(100u << 20)));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(VolumeChecksTest, FileExactlyAsLargeAsTheFreeSpaceIsRefusedSilently) {
    Start();
    std::uint32_t blocks = 0;
    const std::uint64_t free = FreeBytes(sales, "DATA", &blocks);
    EXPECT_FALSE(HasRoomForFile(sales, "\\\\SALES\\DATA\\PROJ", FileOfSize(free)));
    EXPECT_TRUE(HasRoomForFile(sales, "\\\\SALES\\DATA\\PROJ", FileOfSize(free - 1)));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(VolumeChecksTest, RoomCheckFailuresAreReportedWithThePath) {
    Start(WithFault("NWGetVolumeInfoWithNumber", "0x8801"));
    EXPECT_FALSE(HasRoomForFile(sales, "\\\\SALES\\DATA\\PROJ", FileOfSize(1)));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "ERROR - Unable to get volume stats for path \\\\SALES\\DATA\\PROJ."
                              "\r\nNWGetVolumeInfoWithNumber error: 0x8801"});
}

TEST_F(VolumeChecksTest, RoomCheckOfAPathOffTheNetworkIsReported) {
    Start(WithFault("NWParsePath", "0x899C"));
    EXPECT_FALSE(HasRoomForFile(sales, "\\\\SALES\\DATA\\PROJ", FileOfSize(1)));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{
                              "ERROR - Unable to get volume name from path \\\\SALES\\DATA\\PROJ."
                              "\r\nNWParsePath error: 0x899C"});
}

}  // namespace
