// NetWare operations on volumes and entries: volume numbers and space, entry information,
// DOS information (attributes, times, rights masks), directories, opens, trustees.
#include <sys/stat.h>

#include <ctime>

#include "netware/sim/sim_names.h"
#include "tests/sim/sim_fixture.h"

namespace {

class EntriesTest : public SimTest {
  protected:
    NWCONN_HANDLE hq() { return Connection("HQ"); }
    EntryInfo Info(const char* path, std::uint8_t ns = nw::NS_LONG) {
        EntryInfo info;
        EXPECT_EQ(NetWare().NWGetNSEntryInfo(hq(), 0, path, ns, ns, 0xFB, 0x098E, &info), 0u)
            << path;
        return info;
    }
};

TEST_F(EntriesTest, VolumesHaveNumbersVersionsAndCompressionFlags) {
    std::uint16_t number = 99;
    ASSERT_EQ(NetWare().NWGetVolumeNumber(hq(), "comp", &number), 0u);
    EXPECT_EQ(number, 2u);
    EXPECT_EQ(NetWare().NWGetVolumeNumber(hq(), "NOVOL", &number), nw::VOLUME_DOES_NOT_EXIST);
    EXPECT_EQ(LastNetWareError, nw::VOLUME_DOES_NOT_EXIST);
    NWVolExtendedInfo info;
    ASSERT_EQ(NetWare().NWGetExtendedVolumeInfo(hq(), 2, &info), 0u);
    EXPECT_EQ(info.statusFlag & nw::VOL_COMPRESSION_ENABLED, nw::VOL_COMPRESSION_ENABLED);
    ASSERT_EQ(NetWare().NWGetExtendedVolumeInfo(hq(), 0, &info), 0u);
    EXPECT_EQ(info.statusFlag & nw::VOL_COMPRESSION_ENABLED, 0u);
    std::uint8_t major = 0, minor = 0;
    ASSERT_EQ(NetWare().NWGetFileServerInformation(hq(), nullptr, &major, &minor, nullptr), 0u);
    EXPECT_EQ(major, 4);
    EXPECT_EQ(minor, 11);
    NWCONN_HANDLE old = 0;
    ASSERT_EQ(NetWare().NWAttachToFileServer("OLD", 0, &old), 0u);
    ASSERT_EQ(NetWare().NWGetFileServerInformation(old, nullptr, &major, &minor, nullptr), 0u);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 12);
}

TEST_F(EntriesTest, FreeBlocksAreCapacityMinusContentKeptAsFilesChange) {
    net_.Close();
    net_.WriteFile("HQ/COMP/big.dat", std::string(10000, 'x'));  // 3 blocks of 4096
    net_.Install();
    std::uint16_t spb = 0;
    std::uint32_t total = 0, avail = 0;
    ASSERT_EQ(NetWare().NWGetVolumeInfoWithNumber(hq(), 2, nullptr, &total, &spb, &avail, nullptr,
                                                  nullptr, nullptr),
              0u);
    EXPECT_EQ(total, 1000u);
    EXPECT_EQ(spb, 8u);
    EXPECT_EQ(avail, 997u);
    {
        win::ScopedHandle h(win::Files().CreateFile(R"(\\HQ\COMP\more.dat)", win::GENERIC_WRITE, 0,
                                                    win::CREATE_NEW, 0));
        std::string data(4097, 'y');
        std::uint32_t n = 0;
        ASSERT_TRUE(win::Files().WriteFile(h.Get(), data.data(), 4097, &n));
    }
    NetWare().NWGetVolumeInfoWithNumber(hq(), 2, nullptr, nullptr, nullptr, &avail, nullptr,
                                        nullptr, nullptr);
    EXPECT_EQ(avail, 995u);
    ASSERT_TRUE(win::Files().DeleteFile(R"(\\HQ\COMP\big.dat)"));
    NetWare().NWGetVolumeInfoWithNumber(hq(), 2, nullptr, nullptr, nullptr, &avail, nullptr,
                                        nullptr, nullptr);
    EXPECT_EQ(avail, 998u);
    // A volume that is full refuses the write.
    win::ScopedHandle h(win::Files().CreateFile(R"(\\HQ\COMP\huge.dat)", win::GENERIC_WRITE, 0,
                                                win::CREATE_NEW, 0));
    std::string block(4096 * 100, 'z');
    std::uint32_t n = 0;
    for (int i = 0; i < 9; ++i)
        ASSERT_TRUE(win::Files().WriteFile(h.Get(), block.data(),
                                           static_cast<std::uint32_t>(block.size()), &n));
    EXPECT_FALSE(win::Files().WriteFile(h.Get(), block.data(),
                                        static_cast<std::uint32_t>(block.size()), &n));
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_DISK_FULL);
}

// The compression flag is asked of every source volume: it never walks the volume to count
// its content, so a file added by hand afterwards is counted when the space is asked for.
TEST_F(EntriesTest, TheExtendedInformationCountsNoContent) {
    net_.Close();
    net_.WriteFile("HQ/COMP/big.dat", std::string(10000, 'x'));  // 3 blocks of 4096
    net_.Install();
    NWVolExtendedInfo info;
    ASSERT_EQ(NetWare().NWGetExtendedVolumeInfo(hq(), 2, &info), 0u);
    EXPECT_EQ(info.statusFlag & nw::VOL_COMPRESSION_ENABLED, nw::VOL_COMPRESSION_ENABLED);
    EXPECT_EQ(info.volSizeInClusters, 1000u);
    EXPECT_EQ(info.freedClusters, 0u) << "not counted yet: none known free";

    net_.WriteFile("HQ/COMP/late.dat", std::string(5000, 'y'));  // 2 blocks
    std::uint32_t avail = 0;
    ASSERT_EQ(NetWare().NWGetVolumeInfoWithNumber(hq(), 2, nullptr, nullptr, nullptr, &avail,
                                                  nullptr, nullptr, nullptr),
              0u);
    EXPECT_EQ(avail, 995u);
    ASSERT_EQ(NetWare().NWGetExtendedVolumeInfo(hq(), 2, &info), 0u);
    EXPECT_EQ(info.freedClusters, 995u);
}

TEST_F(EntriesTest, EntryInformationOfFilesAndDirectories) {
    net_.Close();
    std::time_t when = 1796000000;  // an even number of seconds
    net_.WriteFile("HQ/DATA/PROJ/dated.txt", "12345678", when);
    net_.Install();
    EntryInfo info = Info(R"(DATA:proj\DATED.TXT)");
    EXPECT_EQ(info.dataStreamSize, 8u);
    EXPECT_EQ(info.spaceAllocated, 8u);
    EXPECT_EQ(info.attributes, nw::A_NEEDS_ARCHIVING);
    EXPECT_EQ(info.inheritedRightsMask, 0x00FF);
    EXPECT_STREQ(info.entryName, "dated.txt");
    EXPECT_EQ(sim::UnpackDosTime(info.modifyDate, info.modifyTime), when);
    NW_DATE date;
    NW_TIME time;
    ASSERT_EQ(NetWare().NWUnpackDateTime((std::uint32_t(info.modifyDate) << 16) | info.modifyTime,
                                         &date, &time),
              0u);
    std::tm tm{};
    localtime_r(&when, &tm);
    EXPECT_EQ(date.year, tm.tm_year + 1900);
    EXPECT_EQ(date.day, tm.tm_mday);
    EXPECT_EQ(time.seconds, tm.tm_sec);
    EXPECT_STREQ(Info(R"(DATA:PROJ\LongFileName.txt)", nw::NS_DOS).entryName, "LONGFI~1.TXT");
    EXPECT_EQ(Info(R"(DATA:APPS)").attributes, nw::A_DIRECTORY);
    EntryInfo none;
    EXPECT_EQ(NetWare().NWGetNSEntryInfo(hq(), 0, R"(DATA:PROJ\none)", 4, 4, 0xFB, 0, &none),
              nw::NO_FILES_FOUND);
    EXPECT_NE(NetWare().NWGetNSEntryInfo(hq(), 0, R"(NOVOL:X)", 4, 4, 0xFB, 0, &none), 0u);
    EXPECT_EQ(NetWare().NWGetNSEntryInfo(0x7777, 0, R"(DATA:PROJ)", 4, 4, 0xFB, 0, &none),
              nw::INVALID_CONNECTION);
}

TEST_F(EntriesTest, DosInfoSetsAttributesModifyTimeAndRevokesRights) {
    NWEntryDOSInfo dos;
    dos.attributes = nw::A_NEEDS_ARCHIVING | nw::A_READ_ONLY | 0x00010000;
    std::time_t when = 1700000000;
    sim::PackDosTime(when, &dos.modifyDate, &dos.modifyTime);
    dos.inheritanceRevokeMask = 0x0014;
    ASSERT_EQ(NetWare().NWSetNSEntryDOSInfo(hq(), 0, R"(DATA:PROJ\a.txt)", nw::NS_LONG, 0x06,
                                            nw::DM_ATTRIBUTES | nw::DM_MODIFY_DATE |
                                                nw::DM_MODIFY_TIME | nw::DM_INHERITED_RIGHTS_MASK,
                                            &dos),
              0u);
    EntryInfo info = Info(R"(DATA:PROJ\a.txt)");
    EXPECT_EQ(info.attributes, 0x00010021u);
    EXPECT_EQ(info.inheritedRightsMask, 0x00EB);
    struct stat sb {};
    ASSERT_EQ(::stat(net_.LocalPath("HQ/DATA/PROJ/a.txt").c_str(), &sb), 0);
    EXPECT_EQ(sb.st_mtime, when);  // the file's real modification time
    // Only the fields of the mask change.
    NWEntryDOSInfo other;
    other.attributes = 0;
    ASSERT_EQ(NetWare().NWSetNSEntryDOSInfo(hq(), 0, R"(DATA:PROJ\a.txt)", nw::NS_LONG, 0x06,
                                            nw::DM_INHERITED_RIGHTS_MASK, &other),
              0u);
    EXPECT_EQ(Info(R"(DATA:PROJ\a.txt)").attributes, 0x00010021u);
    // A date that is no calendar date changes nothing.
    NWEntryDOSInfo bad;
    bad.attributes = 0;
    EXPECT_NE(NetWare().NWSetNSEntryDOSInfo(hq(), 0, R"(DATA:PROJ\a.txt)", nw::NS_LONG, 0x06,
                                            nw::DM_ATTRIBUTES | nw::DM_MODIFY_DATE, &bad),
              0u);
    EXPECT_EQ(Info(R"(DATA:PROJ\a.txt)").attributes, 0x00010021u);
}

TEST_F(EntriesTest, DirectoriesThroughTheClient) {
    std::uint32_t sequence = 0xFFFFFFFF;
    std::uint32_t dateTime = 0;
    EXPECT_EQ(NetWare().NWIntScanDirectoryInformation2(hq(), 0, R"(DATA:APPS)", &sequence, nullptr,
                                                       &dateTime, nullptr, nullptr, 0),
              0u);
    EXPECT_NE(dateTime, 0u);
    sequence = 0xFFFFFFFF;
    EXPECT_NE(NetWare().NWIntScanDirectoryInformation2(hq(), 0, R"(DATA:APPS\NEW)", &sequence,
                                                       nullptr, nullptr, nullptr, nullptr, 0),
              0u);
    ASSERT_EQ(NetWare().NWCreateDirectory(hq(), 0, R"(DATA:APPS\NEW)", 0xFB), 0u);
    EXPECT_EQ(NetWare().NWCreateDirectory(hq(), 0, R"(DATA:APPS\new)", 0xFB), nw::FILE_EXISTS);
    EXPECT_EQ(NetWare().NWCreateDirectory(hq(), 0, R"(DATA:NODIR\NEW)", 0xFB), nw::INVALID_PATH);
    EXPECT_EQ(NetWare().NWCreateDirectory(hq(), 0, R"(DOS:A LONG NAME)", 0xFB), nw::INVALID_PATH);
    NWDIR_HANDLE handle = 0;
    ASSERT_EQ(NetWare().NWAllocTemporaryDirectoryHandle(hq(), 0, R"(DATA:APPS)", &handle, nullptr),
              0u);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(NetWare().NWAllocTemporaryDirectoryHandle(hq(), 0, R"(DATA:NODIR)", &handle, nullptr),
              nw::INVALID_PATH);
    // Paths relative to the handle.
    EXPECT_EQ(NetWare().NWCreateDirectory(hq(), handle, R"(NEW\SUB)", 0xFB), 0u);
    EXPECT_TRUE(net_.Exists("HQ/DATA/APPS/NEW/SUB"));
    EXPECT_EQ(NetWare().NWDeleteDirectory(hq(), 0, R"(DATA:APPS\NEW)"), nw::DIRECTORY_NOT_EMPTY);
    EXPECT_EQ(NetWare().NWDeleteDirectory(hq(), handle, R"(NEW\SUB)"), 0u);
    EXPECT_EQ(NetWare().NWDeleteDirectory(hq(), 0, R"(DATA:APPS\NEW)"), 0u);
    EXPECT_FALSE(net_.Exists("HQ/DATA/APPS/NEW"));
    EXPECT_NE(NetWare().NWDeleteDirectory(hq(), 0, R"(DATA:APPS\NEW)"), 0u);
}

TEST_F(EntriesTest, OpenModesAndActions) {
    NW_NS_OPENCREATE request;
    request.openCreateMode = nw::OC_MODE_OPEN;
    request.accessRights = nw::AR_READ | nw::AR_DENY_WRITE;
    win::HANDLE h = win::INVALID_HANDLE_VALUE;
    EXPECT_EQ(NetWare().NWOpenNSEntry(hq(), 0, 4, 0, R"(DATA:PROJ\none.txt)", &request, &h),
              nw::NO_FILES_FOUND);
    ASSERT_EQ(NetWare().NWOpenNSEntry(hq(), 0, 4, 0, R"(DATA:PROJ\A.TXT)", &request, &h), 0u);
    EXPECT_EQ(request.openCreateAction, 0x01);
    {
        win::ScopedHandle held(h);
        char buffer[8];
        std::uint32_t n = 0;
        ASSERT_TRUE(win::Files().ReadFile(h, buffer, sizeof buffer, &n));
        EXPECT_EQ(std::string(buffer, n), "hello");
    }
    request.openCreateMode = nw::OC_MODE_REPLACE;
    request.accessRights = 0x000F;
    ASSERT_EQ(NetWare().NWOpenNSEntry(hq(), 0, 4, 0, R"(DATA:PROJ\A.TXT)", &request, &h), 0u);
    EXPECT_EQ(request.openCreateAction, 0x04);
    win::Files().CloseHandle(h);
    EXPECT_EQ(net_.ReadFile("HQ/DATA/PROJ/a.txt"), "");
    request.openCreateMode = nw::OC_MODE_CREATE;
    ASSERT_EQ(NetWare().NWOpenNSEntry(hq(), 0, 4, 0, R"(DATA:PROJ\made.txt)", &request, &h), 0u);
    EXPECT_EQ(request.openCreateAction, 0x02);
    win::Files().CloseHandle(h);
    EXPECT_EQ(NetWare().NWOpenNSEntry(hq(), 0, 4, 0, R"(DATA:PROJ\made.txt)", &request, &h),
              nw::FILE_EXISTS);
    // A connection that is only attached reaches no entries.
    request.openCreateMode = nw::OC_MODE_OPEN;
    EXPECT_EQ(NetWare().NWOpenNSEntry(Connection("SALES"), 0, 4, 0, R"(DATA:X)", &request, &h),
              nw::ACCESS_DENIED);
}

TEST_F(EntriesTest, TrusteeScansGiveTwentyACallThenEnd) {
    std::uint32_t sequence = 0;
    std::uint16_t count = 99;
    NWET_INFO info;
    EXPECT_EQ(
        NetWare().NWIntScanForTrustees(hq(), 0, R"(DATA:PROJ\a.txt)", &sequence, &count, &info, 0),
        nw::NO_MORE_TRUSTEES);
    EXPECT_EQ(count, 0u);
    // 45 trustees: bindery users are known objects of the server as well.
    TestNetwork many(std::string(R"(
[workstation]
primary_server = "S"
login_name = "U0"
[[server]]
name = "S"
  [[server.volume]]
  name = "V"
)") + [] {
        std::string users;
        for (int i = 0; i < 45; ++i)
            users += "  [[server.user]]\n  name = \"U" + std::to_string(i) + "\"\n";
        return users;
    }());
    many.MakeDir("S/V/D");
    many.Install();
    NWCONN_HANDLE conn = 0;
    NetWare().NWGetPrimaryConnectionID(&conn);
    for (std::uint32_t i = 0; i < 45; ++i)
        ASSERT_EQ(NetWare().NWAddTrustee(conn, 0, "V:D", 0x02000001 + i,
                                         static_cast<std::uint16_t>(i + 1)),
                  0u);
    ASSERT_EQ(NetWare().NWAddTrustee(conn, 0, "V:D", 0x02000001, 0x00FB), 0u);  // replaces
    EXPECT_EQ(NetWare().NWAddTrustee(conn, 0, "V:D", 0x0BADBAD0, 1), nw::NO_SUCH_OBJECT);
    std::vector<std::uint16_t> counts;
    std::uint32_t total = 0;
    sequence = 0;
    NWCCODE code = 0;
    while ((code = NetWare().NWIntScanForTrustees(conn, 0, "V:D", &sequence, &count, &info, 0)) ==
               0 &&
           counts.size() < 10) {
        counts.push_back(count);
        for (int i = 0; i < count; ++i) {
            EXPECT_NE(info.trusteeList[i].objectID, 0u);
            total += info.trusteeList[i].objectRights;
        }
    }
    EXPECT_EQ(code, nw::NO_MORE_TRUSTEES);
    EXPECT_EQ(counts, (std::vector<std::uint16_t>{20, 20, 5}));
    EXPECT_EQ(total, 45u * 46u / 2u - 1u + 0xFBu);
    EXPECT_EQ(many.Meta(R"(\\S\V\D)").trustees.size(), 45u);
}

TEST_F(EntriesTest, LongNamesBothWays) {
    char name[256];
    ASSERT_EQ(NetWare().NWGetLongName(hq(), 0, R"(DATA:PROJ\longfi~1.txt)", 0, 4, name), 0u);
    EXPECT_STREQ(name, "LongFileName.txt");
    ASSERT_EQ(NetWare().NWGetLongName(hq(), 0, R"(DATA:PROJ\LongFileName.txt)", 4, 0, name), 0u);
    EXPECT_STREQ(name, "LONGFI~1.TXT");
    EXPECT_EQ(NetWare().NWGetLongName(hq(), 0, R"(DATA:PROJ\NOTHER~1.TXT)", 0, 4, name),
              nw::NO_FILES_FOUND);
}

}  // namespace
