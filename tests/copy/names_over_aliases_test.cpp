// Copies whose name is another destination entry's 8.3 alias: each file arrives under its own
// name, and the entry whose alias it was keeps its bytes and metadata.
#include <set>

#include "copy/file_copy.h"
#include "tests/copy/copy_fixture.h"

namespace {

const std::string kSrc = R"(\\HQ\DATA\SRC)";
const std::string kDst = R"(\\HQ\DATA\DST)";

class NamesOverAliasesTest : public CopyTest {
  protected:
    std::string ShortName(const std::string& path) {
        char out[win::kPathBufferSize] = {};
        if (win::Files().GetShortPathName(path.c_str(), out, sizeof out) == 0)
            return "<none>";
        const std::string text = out;
        return text.substr(text.rfind('\\') + 1);
    }
};

TEST_F(NamesOverAliasesTest, ARealNameAndALongNameWithThatAliasBothArrive) {
    Write("HQ/DATA/SRC/Long File Name.txt", "long bytes", 1700000000);
    Write("HQ/DATA/SRC/LONGFI~1.TXT", "tilde bytes", 1700000000);
    Net().MakeDir("HQ/DATA/DST/LONG_FIRST");
    Net().MakeDir("HQ/DATA/DST/SHORT_FIRST");
    Install();
    const std::string longName = kSrc + R"(\Long File Name.txt)";
    const std::string tildeName = kSrc + R"(\LONGFI~1.TXT)";
    for (const char* order : {"LONG_FIRST", "SHORT_FIRST"}) {
        SCOPED_TRACE(order);
        const std::string dir = kDst + "\\" + order;
        const bool longFirst = std::string(order) == "LONG_FIRST";
        EXPECT_GT(CopyOneFile(longFirst ? longName : tildeName, dir), 0u);
        EXPECT_GT(CopyOneFile(longFirst ? tildeName : longName, dir), 0u);
        EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
        const std::string local = std::string("HQ/DATA/DST/") + order + "/";
        EXPECT_EQ(Net().ReadFile(local + "Long File Name.txt"), "long bytes");
        EXPECT_EQ(Net().ReadFile(local + "LONGFI~1.TXT"), "tilde bytes");
        EXPECT_EQ(ShortName(dir + R"(\Long File Name.txt)"), "LONGFI~2.TXT");
    }
}

TEST_F(NamesOverAliasesTest, AnEightThreeSourceNeverReplacesTheEntryWhoseAliasItIs) {
    Write("HQ/DOS/SRC/BUDGET~1.XLS", "other bytes", 1700000000);
    Write("HQ/DATA/DST/Budget Plan 2026.xls", "budget", 1600000000);
    Install(false, true);
    const std::string budget = kDst + R"(\Budget Plan 2026.xls)";
    ASSERT_EQ(ShortName(budget), "BUDGET~1.XLS");
    SetAttributes(budget, 0x00000021);
    EXPECT_EQ(CopyOneFile(R"(\\HQ\DOS\SRC\BUDGET~1.XLS)", kDst), 11u);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
    EXPECT_EQ(Content(budget), "budget");
    EXPECT_EQ(Stat(budget)["attributes"], "0x00000021");
    EXPECT_EQ(Net().ReadFile("HQ/DATA/DST/BUDGET~1.XLS"), "other bytes");
    EXPECT_EQ(ShortName(budget), "BUDGET~2.XLS");
}

TEST_F(NamesOverAliasesTest, ADozenLookAlikeNamesArriveOnADosVolumeUnderDistinctNames) {
    for (int i = 0; i < 12; ++i)
        Write("HQ/DATA/SRC/Quarterly Report " + std::to_string(i) + ".document",
              "report " + std::to_string(i));
    Net().MakeDir("HQ/DOS/DST");
    Install(true, false);
    std::set<std::string> arrived;
    for (int i = 0; i < 12; ++i) {
        const std::string source = kSrc + R"(\Quarterly Report )" + std::to_string(i) + ".document";
        const std::string alias = ShortName(source);
        EXPECT_TRUE(alias.size() <= 12 && alias.find('.') <= 8) << alias;
        EXPECT_GT(CopyOneFile(source, R"(\\HQ\DOS\DST)"), 0u) << source;
        EXPECT_EQ(Net().ReadFile("HQ/DOS/DST/" + alias), "report " + std::to_string(i));
        arrived.insert(alias);
    }
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
    EXPECT_EQ(arrived.size(), 12u);
    EXPECT_EQ(arrived.count("QUART~10.DOC"), 1u);
}

}  // namespace
