// Copying single files through the simulated network: contents, names, metadata, the failure
// table and the guarantees that no destination is lost and no temporary file stays behind.
#include "copy/file_copy.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "copy/path_utils.h"
#include "platform/locale.h"
#include "tests/copy/copy_fixture.h"

namespace {

const std::string kSrc = R"(\\HQ\DATA\SRC)";
const std::string kDst = R"(\\HQ\DATA\DST)";
const std::string kDosDst = R"(\\HQ\DOS\DST)";

class FileCopyTest : public CopyTest {
  protected:
    // A source file A.TXT and an empty destination directory on DATA.
    void Prepare(const std::string& extraToml = "", const std::string& content = "new content") {
        Net(extraToml);
        Write("HQ/DATA/SRC/A.TXT", content, 1700000000);
        Net().MakeDir("HQ/DATA/DST");
    }
    // An older destination A.TXT that a copy must never lose.
    void PrepareExisting(const std::string& extraToml = "") {
        Prepare(extraToml);
        Write("HQ/DATA/DST/A.TXT", "old", 1600000000);
    }
};

TEST_F(FileCopyTest, NewFileArrivesWithContentTimeAndArchiveBit) {
    Prepare();
    Install();
    SetAttributes(kSrc + R"(\A.TXT)", 0x00000003);  // read-only, hidden

    EXPECT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 11u);

    EXPECT_EQ(Content(kDst + R"(\A.TXT)"), "new content");
    auto stat = Stat(kDst + R"(\A.TXT)");
    EXPECT_EQ(stat["attributes"], "0x00000020");  // attributes not copied: archive bit only
    EXPECT_EQ(stat["modified"], Stat(kSrc + R"(\A.TXT)")["modified"]);
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    EXPECT_TRUE(ui.boxes.empty());

    // Display: source shown, fields cleared after the copy.
    const auto* dialog = ui.FindDialog(ProgressDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Field(201), kSrc + R"(\A.TXT)");
    EXPECT_EQ(dialog->Field(202), " ");
    EXPECT_EQ(dialog->FieldHistory(223).front(), "11 bytes");
    EXPECT_EQ(dialog->FieldHistory(233).front(), "11 bytes");
    EXPECT_EQ(dialog->BarHistory(204).front(), 100);
    EXPECT_EQ(dialog->Bar(204), 0);
}

TEST_F(FileCopyTest, AttributesAndMaskCarriedWhenAsked) {
    Prepare();
    Install();
    SetAttributes(kSrc + R"(\A.TXT)", 0x00000001);
    SetMask(kSrc + R"(\A.TXT)", 0x0000);
    CopyOptions.CopyAttributes = 1;
    CopyOptions.CopyInheritedRightsMask = 1;

    ASSERT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 11u);

    auto stat = Stat(kDst + R"(\A.TXT)");
    EXPECT_EQ(stat["attributes"], "0x00000021");
    // Every carried right is revoked; only the never-carried bits may remain.
    const unsigned mask = std::stoul(stat["irm"], nullptr, 16);
    EXPECT_EQ(mask & 0xFBu, 0u);
}

TEST_F(FileCopyTest, EmptyFileIsCopiedButCountsNothing) {
    Prepare("", "");
    Install();
    EXPECT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 0u);
    EXPECT_TRUE(Exists(kDst + R"(\A.TXT)"));
    EXPECT_EQ(Content(kDst + R"(\A.TXT)"), "");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCopyTest, ReadOnlyDestinationIsReplaced) {
    PrepareExisting();
    Install();
    SetAttributes(kDst + R"(\A.TXT)", 0x00000001);
    EXPECT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 11u);
    EXPECT_EQ(Content(kDst + R"(\A.TXT)"), "new content");
    EXPECT_EQ(Stat(kDst + R"(\A.TXT)")["attributes"], "0x00000020");
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
}

// A file replaced by one whose name differs only in case takes the new file's name: the
// delivered file bears the source's name, and no second entry of that name in another case
// ever arises.
TEST_F(FileCopyTest, AReplacedFileTakesTheSourcesName) {
    Net();
    Write("HQ/DATA/SRC/a.txt", "new content", 1700000000);
    Write("HQ/DATA/DST/A.TXT", "old", 1600000000);
    Install();
    SetAttributes(kDst + R"(\A.TXT)", 0x00000001);

    EXPECT_EQ(CopyOneFile(kSrc + R"(\a.txt)", kDst), 11u);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Net().LocalPath("HQ/DATA/DST")))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"a.txt"});
    EXPECT_EQ(Net().ReadFile("HQ/DATA/DST/a.txt"), "new content");
    auto stat = Stat(kDst + R"(\a.txt)");
    EXPECT_EQ(stat["name"], "a.txt");
    EXPECT_EQ(stat["attributes"], "0x00000020");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCopyTest, NamesFollowTheDestinationVolume) {
    Net();
    Write("HQ/DATA/SRC/Quarterly Report.txt", "q3");
    Net().MakeDir("HQ/DATA/DST");
    Net().MakeDir("HQ/DOS/DST");
    const std::string source = kSrc + R"(\Quarterly Report.txt)";

    // Long names on both sides: the long name.
    Install(true, true);
    EXPECT_EQ(CopyOneFile(source, kDst), 2u);
    EXPECT_EQ(Stat(kDst + R"(\Quarterly Report.txt)")["name"], "Quarterly Report.txt");

    // Toward a DOS-only volume: the source's 8.3 alias.
    CopyRun.DestHasLongNames = false;
    char shortPath[win::MAX_PATH] = {};
    ASSERT_GT(win::Files().GetShortPathName(source.c_str(), shortPath, sizeof shortPath), 0u);
    const std::string alias = LastComponent(shortPath);
    EXPECT_NE(alias, "Quarterly Report.txt");
    EXPECT_EQ(CopyOneFile(source, kDosDst), 2u);
    EXPECT_EQ(Stat(kDosDst + "\\" + alias)["name"], alias);
    EXPECT_EQ(Content(kDosDst + "\\" + alias), "q3");
}

TEST_F(FileCopyTest, VerboseRecordForEveryUpdatedFile) {
    Prepare();
    Install();
    OpenLog(true);
    ASSERT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 11u);
    const std::string log = LogText();
    EXPECT_NE(log.find("\r\nUpdated file " + kDst + "\\A.TXT\r\n"), std::string::npos) << log;
}

// A file the destination volume has no room for is not copied, and that is said: the run
// counts it as an error, and the user may stop.
TEST_F(FileCopyTest, FullVolumeSkipsTheFileAndSaysSo) {
    Net();
    Write("HQ/DATA/SRC/BIG.DAT", std::string(256 * 1024, 'x'));
    Net().MakeDir("HQ/TINY/DST");
    Write("HQ/TINY/DST/BIG.DAT", "old");
    Install();
    OpenLog();
    EXPECT_EQ(CopyOneFile(kSrc + R"(\BIG.DAT)", R"(\\HQ\TINY\DST)"), 0u);
    EXPECT_EQ(Content(R"(\\HQ\TINY\DST\BIG.DAT)"), "old");
    const std::string text = "ERROR - " + kSrc +
                             R"(\BIG.DAT has not been copied to \\HQ\TINY\DST\BIG.DAT: )"
                             "the destination volume does not have room for it.";
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, text + "\r\n\r\nContinue copying files?");
    EXPECT_EQ(CopyRun.ErrorMessages, 1u);
    EXPECT_NE(LogText().find(text), std::string::npos);
    EXPECT_TRUE(TemporaryFiles("HQ/TINY/DST").empty());
}

TEST_F(FileCopyTest, ZeroBufferSizeCopiesIn16KChunks) {
    Prepare("", std::string(40000, 'z'));
    Install();
    CopyOptions.BufferSize = 0;
    ASSERT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 40000u);
    const auto& copied = ui.FindDialog(ProgressDialog)->FieldHistory(233);
    ASSERT_GE(copied.size(), 3u);
    EXPECT_EQ(copied[0], "16,384 bytes");
    EXPECT_EQ(copied[1], "32,768 bytes");
    EXPECT_EQ(copied[2], "40,000 bytes");
    EXPECT_EQ(Content(kDst + R"(\A.TXT)"), std::string(40000, 'z'));
}

// Cancel pressed while the chunks flow: the old destination keeps its content and its
// attributes, no temporary file stays, no message.
TEST_F(FileCopyTest, CancelInTheMiddleKeepsTheOldDestination) {
    PrepareExisting();
    Write("HQ/DATA/SRC/A.TXT", std::string(64 * 1024, 'n'));
    Install();
    SetAttributes(kDst + R"(\A.TXT)", 0x00000021);
    CopyOptions.BufferSize = 4;
    int pumps = 0;
    ui.onPump = [&] {
        if (++pumps == 3)
            ui.CancelDialog(ProgressDialog);
    };

    EXPECT_EQ(CopyOneFile(kSrc + R"(\A.TXT)", kDst), 0u);
    EXPECT_TRUE(CancelRequested);
    EXPECT_EQ(Content(kDst + R"(\A.TXT)"), "old");
    EXPECT_EQ(Stat(kDst + R"(\A.TXT)")["attributes"], "0x00000021");
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileCopyTest, CompressedSourceStaysCompressedOnlyWhenAsked) {
    Net();
    const std::string data(100000, 'c');
    Write("HQ/COMP/SRC/PACK.DAT", data);
    Net().MakeDir("HQ/COMP/DST");
    Install();
    std::string error;
    ASSERT_TRUE(Net().Net().Compress(R"(\\HQ\COMP\SRC\PACK.DAT)", &error)) << error;
    const std::string source = R"(\\HQ\COMP\SRC\PACK.DAT)";

    // Without CopyCompressed: a plain copy of the uncompressed data.
    CopyRun.CompressedCopyPossible = false;
    EXPECT_EQ(CopyOneFile(source, R"(\\HQ\COMP\DST)"), 100000u);
    EXPECT_EQ(Stat(R"(\\HQ\COMP\DST\PACK.DAT)")["compressed"], "0");
    EXPECT_EQ(Content(R"(\\HQ\COMP\DST\PACK.DAT)"), data);

    // With it: the compressed stream is copied and declared; the data reads the same.
    CopyOptions.CopyCompressed = 1;
    CopyRun.CompressedCopyPossible = true;
    EXPECT_EQ(CopyOneFile(source, R"(\\HQ\COMP\DST)"), 100000u);
    auto stat = Stat(R"(\\HQ\COMP\DST\PACK.DAT)");
    EXPECT_EQ(stat["compressed"], "1");
    EXPECT_EQ(stat["size"], "100000");
    EXPECT_EQ(Content(R"(\\HQ\COMP\DST\PACK.DAT)"), data);
    EXPECT_TRUE(TemporaryFiles("HQ/COMP/DST").empty());
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
}

// ---- failures: each message exactly, nothing lost, nothing left behind ----

std::string Fault(const std::string& call, const std::string& path, unsigned code, int times = 0) {
    std::string entry = "\n[[fault]]\ncall = \"" + call + "\"\n";
    if (!path.empty())
        entry += "path = '" + path + "'\n";
    entry += "code = " + std::to_string(code) + "\n";
    if (times > 0)
        entry += "times = " + std::to_string(times) + "\n";
    return entry;
}

const std::string kSource = kSrc + R"(\A.TXT)";
const std::string kTarget = kDst + R"(\A.TXT)";

struct FailureCase {
    std::string name;
    std::string fault;       // the [[fault]] entry
    bool destinationExists;  // an old A.TXT (read-only, archive) waits in DST
    bool countsAsCopied;     // the file is in place despite the message
    std::function<void(const std::string& text)> check;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

std::function<void(const std::string&)> Is(std::function<std::string()> expected) {
    return [expected](const std::string& text) { EXPECT_EQ(text, expected()); };
}

// Messages that name the temporary file, whose number is not known in advance.
std::function<void(const std::string&)> NamesTemporary(unsigned id) {
    return [id](const std::string& text) {
        const std::string format = LoadResString(id);
        const std::string question = LoadResString(IDS_ASK_CONTINUE_COPYING);
        EXPECT_NE(text.find(kDst + "\\FCT"), std::string::npos) << text;
        EXPECT_NE(text.find(".TMP"), std::string::npos) << text;
        ASSERT_GE(text.size(), question.size());
        EXPECT_EQ(text.substr(text.size() - question.size()), question);
        EXPECT_EQ(text.substr(0, format.find('%')), format.substr(0, format.find('%')));
    };
}

std::vector<FailureCase> FailureCases() {
    constexpr unsigned kCode = 0x89FF;
    return {
        {"ParseSource", Fault("NWParseNetWarePath", "*SRC*", kCode), false, false,
         Is([] { return AskText(IDS_ERR_PARSE_PATH, kSource.c_str(), 0x89FFu); })},
        {"ParseDestination", Fault("NWParseNetWarePath", "*DST*", kCode), false, false,
         Is([] { return AskText(IDS_ERR_PARSE_PATH, kTarget.c_str(), 0x89FFu); })},
        {"NameSpaceSource", Fault("NWGetOwningNameSpace", "*SRC*", kCode), false, false,
         Is([] { return AskText(IDS_ERR_NAMESPACE, kSource.c_str(), 0x89FFu); })},
        {"NameSpaceDestination", Fault("NWGetOwningNameSpace", "*DST*", kCode), true, false,
         Is([] { return AskText(IDS_ERR_NAMESPACE, kTarget.c_str(), 0x89FFu); })},
        {"EntryInfoSource", Fault("NWGetNSEntryInfo", "*SRC*", kCode), false, false,
         Is([] { return AskText(IDS_ERR_GET_ATTRIBUTES, kSource.c_str(), 0x89FFu); })},
        {"EntryInfoDestination", Fault("NWGetNSEntryInfo", "*DST*", kCode), true, false,
         Is([] { return AskText(IDS_ERR_GET_ATTRIBUTES, kTarget.c_str(), 0x89FFu); })},
        {"ExistenceTest", Fault("GetFileAttributes", "*DST*", 5, 1), false, false,
         Is([] { return AskText(IDS_ERR_OPEN_CREATE_DEST, kTarget.c_str()); })},
        {"AttributeReset", Fault("SetFileAttributes", "*DST*", 5), true, false,
         Is([] { return AskText(IDS_ERR_OPEN_CREATE_DEST, kTarget.c_str()); })},
        {"OpenSource", Fault("NWOpenNSEntry", "*SRC*", kCode), true, false,
         Is([] { return AskText(IDS_ERR_OPEN_FILE, kSource.c_str(), 0x89FFu); })},
        {"OpenDestination", Fault("NWOpenNSEntry", "*DST*A.TXT", kCode), true, false,
         Is([] { return AskText(IDS_ERR_OPEN_FILE, kTarget.c_str(), 0x89FFu); })},
        // A system error is named with its call, code and text on a second line.
        {"CreateTemporary", Fault("GetTempFileName", "", 5), true, false, Is([] {
             return "ERROR - Unable to create temporary file for copy in directory " + kDst +
                    ".\r\nGetTempFileName error: 0x5 (Access is denied.)\r\n\r\nContinue "
                    "copying files?";
         })},
        {"OpenTemporary", Fault("NWOpenNSEntry", "*FCT*", kCode), true, false,
         NamesTemporary(IDS_ERR_OPEN_TEMP)},
        {"ShortRead", Fault("ReadFile", "", 5, 1), true, false, Is([] {
             return "ERROR - Unknown error while copying " + kSource + " to " + kTarget +
                    " - source and destination file sizes don't match.\r\nReadFile error: 0x5 "
                    "(Access is denied.)\r\n\r\nContinue copying files?";
         })},
        {"ShortWrite", Fault("WriteFile", "", 112, 1), true, false, Is([] {
             return "ERROR - Unknown error while copying " + kSource + " to " + kTarget +
                    " - source and destination file sizes don't match.\r\nWriteFile error: "
                    "0x70 (There is not enough space on the disk.)\r\n\r\nContinue copying "
                    "files?";
         })},
        // The replacement fails: the old file is still there, as it was.
        {"Rename", Fault("MoveFileEx", "", 5), true, false, NamesTemporary(IDS_ERR_RENAME_TEMP)},
        {"CloseTemporary", Fault("CloseHandle", "*FCT*", 112), true, false,
         NamesTemporary(IDS_ERR_FINISH_TEMP)},
        {"RenameNew", Fault("MoveFileEx", "", 5), false, false,
         NamesTemporary(IDS_ERR_RENAME_TEMP)},
        // The copy gets its metadata while it is still the temporary file.
        {"SetDosInfo", Fault("NWSetNSEntryDOSInfo", "*DST*FCT*", kCode), true, true,
         Is([] { return AskText(IDS_ERR_SET_ATTRIBUTES, kTarget.c_str(), 0x89FFu); })},
    };
}

class FileCopyFailureTest : public FileCopyTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FileCopyFailureTest, ReportsExactlyAndLosesNothing) {
    const FailureCase& c = GetParam();
    if (c.destinationExists)
        PrepareExisting(c.fault);
    else
        Prepare(c.fault);
    Install();
    if (c.destinationExists)
        SetAttributes(kTarget, 0x00000021);

    const std::uint64_t result = CopyOneFile(kSource, kDst);

    ASSERT_EQ(ui.boxes.size(), 1u);
    const std::string& text = ui.boxes[0].text;
    c.check(text);
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui.boxes[0].style, 0x10014u);
    EXPECT_TRUE(TemporaryFiles("HQ/DATA/DST").empty()) << text;
    EXPECT_EQ(Content(kSource), "new content");
    if (c.countsAsCopied) {
        EXPECT_EQ(result, 11u);
        EXPECT_EQ(Content(kTarget), "new content");
    } else if (c.destinationExists) {
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(Content(kTarget), "old") << text;
        EXPECT_EQ(Stat(kTarget)["attributes"], "0x00000021") << text;
    } else {
        EXPECT_EQ(result, 0u);
        EXPECT_TRUE(Net().Exists("HQ/DATA/DST") && !Net().Exists("HQ/DATA/DST/A.TXT")) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FileCopyFailureTest, ::testing::ValuesIn(FailureCases()),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             return info.param.name;
                         });

TEST_F(FileCopyTest, ShortFormFailureTowardDosVolume) {
    Net(Fault("GetShortPathName", "", 5));
    Write("HQ/DATA/SRC/Long Name.txt", "x");
    Net().MakeDir("HQ/DOS/DST");
    Install(true, false);
    const std::string source = kSrc + R"(\Long Name.txt)";
    EXPECT_EQ(CopyOneFile(source, kDosDst), 0u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              AskText(IDS_ERR_SHORT_NAME, source.c_str(), SystemErrorText(5).c_str()));
}

// Compressed copies: the three steps that declare the sizes, each made to fail.
class CompressedFailureTest
    : public FileCopyTest,
      public ::testing::WithParamInterface<std::pair<const char*, unsigned>> {};

TEST_P(CompressedFailureTest, ReportsAndKeepsTheOldFile) {
    const auto [call, id] = GetParam();
    Net(Fault(call, "", std::string(call) == "NWSetCompressedFileSize" ? 0x89FF : 5));
    Write("HQ/COMP/SRC/PACK.DAT", std::string(50000, 'p'));
    Write("HQ/COMP/DST/PACK.DAT", "old");
    Install();
    std::string error;
    ASSERT_TRUE(Net().Net().Compress(R"(\\HQ\COMP\SRC\PACK.DAT)", &error)) << error;
    CopyOptions.CopyCompressed = 1;
    CopyRun.CompressedCopyPossible = true;
    const std::string target = R"(\\HQ\COMP\DST\PACK.DAT)";

    EXPECT_EQ(CopyOneFile(R"(\\HQ\COMP\SRC\PACK.DAT)", R"(\\HQ\COMP\DST)"), 0u);

    ASSERT_EQ(ui.boxes.size(), 1u);
    const std::string expected = id == IDS_ERR_SET_COMPRESSED_SIZE
                                     ? AskText(id, target.c_str(), 0x89FFu)
                                     : AskText(id, target.c_str());
    EXPECT_EQ(ui.boxes[0].text, expected);
    EXPECT_EQ(Content(target), "old");
    EXPECT_TRUE(TemporaryFiles("HQ/COMP/DST").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CompressedFailureTest,
    ::testing::Values(std::make_pair("SetFilePointer", unsigned{IDS_ERR_SET_UNCOMPRESSED_SIZE}),
                      std::make_pair("SetEndOfFile", unsigned{IDS_ERR_SET_EOF}),
                      std::make_pair("NWSetCompressedFileSize",
                                     unsigned{IDS_ERR_SET_COMPRESSED_SIZE})),
    [](const auto& info) { return std::string(info.param.first); });

// Trustees are carried only between Directory Services connections; a failed transfer is
// reported, but the file is in place and counts as copied.
TEST_F(FileCopyTest, TrusteeFailureIsReportedOnlyBetweenDirectoryServicesConnections) {
    Prepare(Fault("NWIntScanForTrustees", "", 0x89FF));
    Install();
    CopyOptions.CopyTrustees = 1;
    CopyRun.SourceIsDirectoryServices = false;
    EXPECT_EQ(CopyOneFile(kSource, kDst), 11u);
    EXPECT_TRUE(ui.boxes.empty());

    CopyRun.SourceIsDirectoryServices = true;  // the destination is the same connection
    EXPECT_EQ(CopyOneFile(kSource, kDst), 11u);
    EXPECT_TRUE(CopyRun.DestIsDirectoryServices);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, AskText(IDS_ERR_SET_TRUSTEES, kTarget.c_str()));
    EXPECT_EQ(Content(kTarget), "new content");
}

// The simulator's file services, except that the data of the copy is counted instead of moved:
// reads hand out up to `readable` bytes without touching the disk and writes only count, so
// that a source of several gigabytes (a sparse file) is copied in a moment.
class CountingWrites : public win::FileServices {
  public:
    explicit CountingWrites(win::FileServices& inner) : inner_(inner) {}
    std::uint64_t readable = 0;
    std::uint64_t written = 0;

    win::HANDLE FindFirstFile(const char* p, win::FindData* d) override {
        return inner_.FindFirstFile(p, d);
    }
    bool FindNextFile(win::HANDLE f, win::FindData* d) override {
        return inner_.FindNextFile(f, d);
    }
    bool FindClose(win::HANDLE f) override { return inner_.FindClose(f); }
    std::uint32_t GetFileAttributes(const char* p) override { return inner_.GetFileAttributes(p); }
    bool SetFileAttributes(const char* p, std::uint32_t a) override {
        return inner_.SetFileAttributes(p, a);
    }
    std::uint32_t GetShortPathName(const char* l, char* s, std::uint32_t n) override {
        return inner_.GetShortPathName(l, s, n);
    }
    std::uint32_t GetTempFileName(const char* d, const char* p, std::uint32_t u, char* t) override {
        return inner_.GetTempFileName(d, p, u, t);
    }
    bool MoveFile(const char* f, const char* t) override { return inner_.MoveFile(f, t); }
    bool MoveFileEx(const char* f, const char* t, std::uint32_t x) override {
        return inner_.MoveFileEx(f, t, x);
    }
    bool DeleteFile(const char* p) override { return inner_.DeleteFile(p); }
    bool CreateDirectory(const char* p) override { return inner_.CreateDirectory(p); }
    bool RemoveDirectory(const char* p) override { return inner_.RemoveDirectory(p); }
    win::HANDLE CreateFile(const char* p, std::uint32_t a, std::uint32_t s, std::uint32_t c,
                           std::uint32_t f) override {
        return inner_.CreateFile(p, a, s, c, f);
    }
    bool ReadFile(win::HANDLE, void*, std::uint32_t n, std::uint32_t* r) override {
        *r = static_cast<std::uint32_t>(std::min<std::uint64_t>(n, readable));
        readable -= *r;
        return true;
    }
    bool WriteFile(win::HANDLE, const void*, std::uint32_t n, std::uint32_t* w) override {
        written += n;
        *w = n;
        return true;
    }
    bool SetFilePointer(win::HANDLE f, std::int64_t d, std::uint32_t m, std::uint64_t* p) override {
        return inner_.SetFilePointer(f, d, m, p);
    }
    bool SetEndOfFile(win::HANDLE f) override { return inner_.SetEndOfFile(f); }
    bool CloseHandle(win::HANDLE h) override { return inner_.CloseHandle(h); }
    bool GetFileInformationByHandle(win::HANDLE h, win::FileStatInformation* i) override {
        return inner_.GetFileInformationByHandle(h, i);
    }
    bool GetFileInformationByName(const char* p, win::FileStatInformation* i) override {
        return inner_.GetFileInformationByName(p, i);
    }
    bool GetVolumeInformation(const char* r, char* v, std::uint32_t vs, std::uint32_t* sn,
                              std::uint32_t* mc, std::uint32_t* fl, char* fs,
                              std::uint32_t fss) override {
        return inner_.GetVolumeInformation(r, v, vs, sn, mc, fl, fs, fss);
    }
    std::uint32_t GetLastError() override { return inner_.GetLastError(); }
    void SetLastError(std::uint32_t c) override { inner_.SetLastError(c); }

  private:
    win::FileServices& inner_;
};

// Files of 4 GiB and more are copied and counted whole, and the progress never overflows.
TEST_F(FileCopyTest, FilesBeyondFourGigabytesAreCopiedWhole) {
    constexpr std::uint64_t kSize = (std::uint64_t{1} << 32) + 5;
    Net();
    Write("HQ/DATA/SRC/HUGE.BIN", "");
    std::filesystem::resize_file(Net().LocalPath("HQ/DATA/SRC/HUGE.BIN"), kSize);
    Net().MakeDir("HQ/DATA/DST");
    Install();
    CountingWrites files(win::Files());
    files.readable = kSize;
    win::SetFiles(&files);

    const std::uint64_t result = CopyOneFile(kSrc + R"(\HUGE.BIN)", kDst);
    win::SetFiles(&Net().Net().FileServices());

    EXPECT_EQ(result, kSize);
    EXPECT_EQ(files.written, kSize);
    EXPECT_EQ(CopyRun.RunBytesProcessed.ToU64(), kSize);
    EXPECT_TRUE(ui.boxes.empty());
    const auto* dialog = ui.FindDialog(ProgressDialog);
    EXPECT_EQ(dialog->FieldHistory(223).front(), "4,294,967,301 bytes");
    const auto& copied = dialog->FieldHistory(233);
    ASSERT_GE(copied.size(), 2u);
    EXPECT_EQ(copied[copied.size() - 2], "4,294,967,301 bytes");  // the last entry is the reset
    const auto& bar = dialog->BarHistory(204);
    ASSERT_GE(bar.size(), 100u);
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end() - 1));
    EXPECT_EQ(bar[bar.size() - 2], 100);
    EXPECT_EQ(bar[50], 50);
}

}  // namespace
