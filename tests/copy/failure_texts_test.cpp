// The file copy's failure messages, word for word as the user reads them: each failure made to
// happen and its box compared with the literal text (file_copy_test.cpp checks what each
// failure leaves behind).
#include "copy/file_copy.h"
#include "tests/copy/copy_fixture.h"

namespace {

struct LiteralCase {
    const char* name;
    const char* call;  // the failing call, 0x89FF for NetWare calls, 5 or 112 for file services
    const char* path;  // glob of its path argument, "" for any
    unsigned code;
    int times;  // 0: every matching call
    bool destinationExists;
    const char* text;  // the box's text, "Continue copying files?" included
};

void PrintTo(const LiteralCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr LiteralCase kCases[] = {
    {"ParseSource", "NWParseNetWarePath", "*SRC*", 0x89FF, 0, false,
     "ERROR - Unable to get details for path \\\\HQ\\DATA\\SRC\\A.TXT.\r\n"
     "NWParseNetWarePath error: 0x89FF\r\n\r\nContinue copying files?"},
    {"ParseDestination", "NWParseNetWarePath", "*DST*", 0x89FF, 0, false,
     "ERROR - Unable to get details for path \\\\HQ\\DATA\\DST\\A.TXT.\r\n"
     "NWParseNetWarePath error: 0x89FF\r\n\r\nContinue copying files?"},
    {"NameSpaceSource", "NWGetOwningNameSpace", "*SRC*", 0x89FF, 0, false,
     "Unable to get namespace information for \\\\HQ\\DATA\\SRC\\A.TXT.\r\n"
     "NWGetOwningNameSpace error: 0x89FF\r\n\r\nContinue copying files?"},
    {"EntryInfoDestination", "NWGetNSEntryInfo", "*DST*", 0x89FF, 0, true,
     "ERROR - Unable to get attributes for \\\\HQ\\DATA\\DST\\A.TXT.\r\n"
     "NWGetNSEntryInfo error: 0x89FF\r\n\r\nContinue copying files?"},
    {"ExistenceTest", "GetFileAttributes", "*DST*", 5, 1, false,
     "ERROR - Unable to open or create destination file \\\\HQ\\DATA\\DST\\A.TXT.\r\n\r\n"
     "Continue copying files?"},
    {"OpenSource", "NWOpenNSEntry", "*SRC*", 0x89FF, 0, true,
     "ERROR - Unable to open file \\\\HQ\\DATA\\SRC\\A.TXT.\r\nNWOpenNSEntry error: 0x89FF\r\n\r\n"
     "Continue copying files?"},
    {"CreateTemporary", "GetTempFileName", "", 5, 0, true,
     "ERROR - Unable to create temporary file for copy in directory \\\\HQ\\DATA\\DST.\r\n"
     "GetTempFileName error: 0x5 (Access is denied.)\r\n\r\nContinue copying files?"},
    {"ShortWrite", "WriteFile", "", 112, 1, true,
     "ERROR - Unknown error while copying \\\\HQ\\DATA\\SRC\\A.TXT to \\\\HQ\\DATA\\DST\\A.TXT - "
     "source and destination file sizes don't match.\r\nWriteFile error: 0x70 (There is not "
     "enough space on the disk.)\r\n\r\nContinue copying files?"},
    {"SetDosInfo", "NWSetNSEntryDOSInfo", "*DST*FCT*", 0x89FF, 0, true,
     "ERROR - Unable to set attributes for \\\\HQ\\DATA\\DST\\A.TXT.\r\n"
     "NWSetNSEntryDOSInfo error: 0x89FF\r\n\r\nContinue copying files?"},
};

class FailureTextTest : public CopyTest, public ::testing::WithParamInterface<LiteralCase> {};

TEST_P(FailureTextTest, TheBoxSaysExactlyThis) {
    const LiteralCase& c = GetParam();
    std::string fault = std::string("\n[[fault]]\ncall = \"") + c.call + "\"\n";
    if (*c.path)
        fault += std::string("path = '") + c.path + "'\n";
    fault += "code = " + std::to_string(c.code) + "\n";
    if (c.times > 0)
        fault += "times = " + std::to_string(c.times) + "\n";
    Net(fault);
    Write("HQ/DATA/SRC/A.TXT", "new content");
    Net().MakeDir("HQ/DATA/DST");
    if (c.destinationExists)
        Write("HQ/DATA/DST/A.TXT", "old");
    Install();

    CopyOneFile("\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\DST");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, c.text);
    EXPECT_EQ(ui.boxes[0].caption, "Farcast");
    EXPECT_EQ(ui.boxes[0].style, 0x10014u);  // stop icon, Yes and No, foreground
}

INSTANTIATE_TEST_SUITE_P(FileCopy, FailureTextTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LiteralCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
