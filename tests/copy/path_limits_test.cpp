// The 259-character limit of paths: it counts characters, not the bytes that encode them, and a
// path beyond it is said once for each server that would receive it, never also while counting.
#include "tests/copy/run_fixture.h"

namespace {

class PathLimitsTest : public RunFixture {};

std::string Accented(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\xC3\xA9";  // é, two bytes
    return text;
}

TEST_F(PathLimitsTest, NamesOfManyBytesButFewCharactersAreCopied) {
    Start();
    const std::string directory = Accented(100);
    const std::string file = Accented(127);
    Net().WriteFile("HQ/DATA/SRC/" + directory + "/" + file, "accented");
    Select({"ALPHA"});
    RunCopy({"\\\\HQ\\DATA\\SRC\\" + directory});
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/" + directory + "/" + file), "accented");
    EXPECT_EQ(ui.boxes.size(), 1u) << ui.boxes[0].text;
    EXPECT_EQ(ui.boxes.back().text, "Updated or created 1 files totalling 8 bytes");
}

TEST_F(PathLimitsTest, APathBeyondTheLimitIsSaidOnceForEachServer) {
    Start();
    const std::string directory(200, 'D');
    const std::string tooLong = std::string(60, 'F') + ".TXT";
    Net().WriteFile("HQ/DATA/SRC/" + directory + "/" + tooLong, "too long");
    Net().WriteFile("HQ/DATA/SRC/" + directory + "/OK.TXT", "ok");
    Select({"ALPHA", "BETA"});
    CopyOptions.UnattendedMode = 1;
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\" + directory});

    const std::string message = "ERROR - The path \\\\HQ\\DATA\\SRC\\" + directory + "\\" +
                                tooLong + " is longer than 259 characters and has been skipped.";
    const std::string text = ReadLocal(log);
    int count = 0;
    for (std::size_t at = text.find(message); at != std::string::npos;
         at = text.find(message, at + 1))
        ++count;
    EXPECT_EQ(count, 2) << text;
    EXPECT_NE(text.find("Source Files:\t1\r\n"), std::string::npos) << "counted as the copy goes";
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/" + directory + "/OK.TXT"), "ok");
    EXPECT_EQ(Net().ReadFile("BETA/DATA/DEST/" + directory + "/OK.TXT"), "ok");
}

// A file dropped by its 8.3 path, whose long path is beyond the limit: said and left out like
// any path beyond it, never delivered under its alias.
TEST_F(PathLimitsTest, ADropByAnAliasWhoseLongPathIsBeyondTheLimitIsLeftOut) {
    Start();
    const std::string directory = "Quarterly " + std::string(190, 'q');
    const std::string file = "Summary " + std::string(60, 's') + ".txt";
    Net().WriteFile("HQ/DATA/SRC/" + directory + "/" + file, "summary");
    Select({"ALPHA"});
    CopyOptions.UnattendedMode = 1;
    const std::string log = UseLogFile();
    RunCopy({"\\\\HQ\\DATA\\SRC\\QUARTE~1\\SUMMAR~1.TXT"});

    const std::string message = "ERROR - The path \\\\HQ\\DATA\\SRC\\" + directory + "\\" + file +
                                " is longer than 259 characters and has been skipped.";
    EXPECT_NE(ReadLocal(log).find(message), std::string::npos) << ReadLocal(log);
    EXPECT_TRUE(std::filesystem::is_empty(Net().LocalPath("ALPHA/DATA/DEST")));
    ASSERT_EQ(CopyRun.SkippedNames.size(), 1u);
    EXPECT_EQ(CopyRun.SkippedNames[0].reason, "longer than 259 characters");
    EXPECT_TRUE(LastRunWentWrong());
}

}  // namespace
